// Build tool: paints the editor's button pictures into PNG files, NAME-SIZE.png in the given
// folder, to be compiled in as Qt resources.
#include <QDir>
#include <QGuiApplication>
#include <cstdio>

#include "ui/editor/editor_icons.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: ondela_editor_icon_writer FOLDER\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    for (ondela::EditorIcon icon : ondela::kEditorIcons) {
        for (int size : ondela::kEditorIconSizes) {
            const QString file =
                QStringLiteral("%1-%2.png").arg(ondela::EditorIconName(icon)).arg(size);
            if (!ondela::PaintEditorIcon(icon, size).save(folder.filePath(file))) return 1;
        }
    }
    return 0;
}
