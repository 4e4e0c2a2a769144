// The pictures of the editor's Cut, Copy, Paste and Print buttons, drawn by the program so the
// buttons have pictures where the desktop has no icon theme. A build tool paints them into PNG
// files that are compiled in as Qt resources.
#pragma once

#include <QIcon>
#include <QImage>
#include <QString>

namespace ondela {

enum class EditorIcon { Cut, Copy, Paste, Print };
constexpr EditorIcon kEditorIcons[] = {EditorIcon::Cut, EditorIcon::Copy, EditorIcon::Paste,
                                       EditorIcon::Print};
// The sizes painted: the toolbar's and a double-density one.
constexpr int kEditorIconSizes[] = {16, 32};

// The icon theme's name of the picture ("edit-cut", "document-print", ...).
QString EditorIconName(EditorIcon icon);
// The picture at size x size pixels on a transparent ground.
QImage PaintEditorIcon(EditorIcon icon, int size);
// The theme's picture where the theme has one, else the one compiled into the program.
QIcon LoadEditorIcon(EditorIcon icon);

}  // namespace ondela
