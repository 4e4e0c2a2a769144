#include "ui/editor/editor_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QTextDocument>
#include <QTextLayout>
#include <QToolBar>
#include <QUrl>
#include <algorithm>
#include <cstring>
#include <string_view>

#include "ui/editor/editor_icons.h"
#include "ui/editor/editor_notify.h"
#include "ui/editor/editor_text.h"
#include "ui/print/printer_source.h"
#include "workspace/file_replace.h"
#include "workspace/filter_workspace.h"
#include "workspace/user_dialogs.h"

namespace ondela {

namespace {

// Window placement when the editor opens.
constexpr int kLeft = 20;
constexpr int kTop = 20;
constexpr int kWidth = 900;
constexpr int kHeight = 600;

// The text's font: fixed pitch, 16 pixels from the top of the tallest to the bottom of the
// lowest character, 8 pixels per character (an em of 13 pixels); 10 points on paper.
constexpr int kFontPixels = 13;
constexpr qreal kPrintPoints = 10.0;

QFont EditorFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPixelSize(kFontPixels);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

// The paper's margin on every side of a printout.
constexpr qreal kPrintMarginMm = 15.0;
// The smallest type a printout shrinks to so that its longest row fits the width.
constexpr qreal kMinPrintPoints = 6.0;

// Where the text goes on a page, in the painter's coordinates (origin at the top left corner of
// the printable area): the paper less its margins, inside what the printer can print.
QRectF PrintArea(QPrinter& printer) {
    const QRectF paper = printer.paperRect(QPrinter::DevicePixel);
    const QRectF printable = printer.pageRect(QPrinter::DevicePixel);
    const qreal marginX = kPrintMarginMm / 25.4 * printer.logicalDpiX();
    const qreal marginY = kPrintMarginMm / 25.4 * printer.logicalDpiY();
    QRectF area = paper.adjusted(marginX, marginY, -marginX, -marginY).intersected(printable);
    // Paper smaller than its margins: the printable area as it is.
    if (area.width() < 1.0 || area.height() < 1.0) area = printable;
    return area.translated(-printable.topLeft());
}

// The editor's font at the printing size, made smaller (in steps of a quarter point, down to a
// floor) until the text's longest row fits the width.
QFont PrintFont(QFont font, const QString& text, qreal width, QPaintDevice* device) {
    QStringView longestRow;
    for (QStringView row : QStringView(text).split(QLatin1Char('\n'))) {
        if (row.size() > longestRow.size()) longestRow = row;
    }
    const QString row = longestRow.toString();
    qreal points = kPrintPoints;
    font.setPointSizeF(points);
    // Advances are rounded to whole device pixels, so the width does not scale exactly with the
    // size: each size is measured.
    while (points > kMinPrintPoints && QFontMetricsF(font, device).horizontalAdvance(row) > width) {
        points = std::max(kMinPrintPoints, points - 0.25);
        font.setPointSizeF(points);
    }
    return font;
}

bool HasLocalFiles(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls()) return false;
    const QList<QUrl> urls = data->urls();
    return std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); });
}

// The filter file among dropped files: the first local file whose name ends in ".txt".
QString DroppedFilterFile(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls()) return {};
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile()) continue;
        const QString path = url.toLocalFile();
        if (path.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive)) return path;
    }
    return {};
}

// A drag is welcome when it brings a filter file.
void AcceptFilterFile(QDropEvent* event) {
    if (DroppedFilterFile(event->mimeData()).isEmpty()) {
        event->ignore();
    } else {
        event->acceptProposedAction();
    }
}

}  // namespace

// The edit control. It takes only plain text from the clipboard, and hands files dropped on it to
// the frame instead of inserting their names.
class EditorTextView : public QPlainTextEdit {
  public:
    explicit EditorTextView(EditorWindow* frame) : QPlainTextEdit(frame), m_frame(frame) {}

  protected:
    bool canInsertFromMimeData(const QMimeData* source) const override {
        return source != nullptr && source->hasText();
    }
    void insertFromMimeData(const QMimeData* source) override {
        if (source != nullptr && source->hasText()) insertPlainText(source->text());
    }
    void dragEnterEvent(QDragEnterEvent* event) override {
        if (!HasLocalFiles(event->mimeData())) return QPlainTextEdit::dragEnterEvent(event);
        AcceptFilterFile(event);
    }
    void dragMoveEvent(QDragMoveEvent* event) override {
        if (!HasLocalFiles(event->mimeData())) return QPlainTextEdit::dragMoveEvent(event);
        AcceptFilterFile(event);
    }
    void dropEvent(QDropEvent* event) override {
        if (!HasLocalFiles(event->mimeData())) return QPlainTextEdit::dropEvent(event);
        if (m_frame->DropFiles(event->mimeData())) {
            event->acceptProposedAction();
        } else {
            event->ignore();
        }
    }

  private:
    EditorWindow* m_frame;
};

EditorWindow::EditorWindow(EditorServices services)
    : m_services(std::move(services)), m_caption(QStringLiteral("D_Edit")) {
    setWindowTitle(m_caption);
    setContextMenuPolicy(Qt::NoContextMenu);  // the View menu alone shows and hides the bars

    m_edit = new EditorTextView(this);
    m_edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_edit->setFrameShape(QFrame::StyledPanel);
    m_edit->setFont(EditorFont());
    setCentralWidget(m_edit);
    setFocusProxy(m_edit);
    connect(m_edit->document(), &QTextDocument::modificationChanged, this,
            &EditorWindow::ShowCaption);

    CreateActions();
    CreateMenus();
    CreateToolbar();
    CreateStatusBar();

    setAcceptDrops(true);
    move(kLeft, kTop);
    resize(kWidth, kHeight);
}

EditorWindow::~EditorWindow() = default;

void EditorWindow::CreateActions() {
    struct Definition {
        EditorCommand command;
        const char* text;
        const char* prompt;  // shown in the status bar
        const char* tip;     // shown over the toolbar button
        QList<QKeySequence> keys;
        void (EditorWindow::*run)();
    };
    const Definition definitions[] = {
        {EditorCommand::New,
         "&New",
         "Create a new document",
         "New",
         {QKeySequence(Qt::CTRL | Qt::Key_N)},
         &EditorWindow::NewText},
        {EditorCommand::Open,
         "&Open...",
         "Open an existing document",
         "Open",
         {QKeySequence(Qt::CTRL | Qt::Key_O)},
         &EditorWindow::RequestLoad},
        // Ctrl+S saves under a new name, even when the text already has a file.
        {EditorCommand::Save, "&Save", "Save the active document", "Save", {}, &EditorWindow::Save},
        {EditorCommand::SaveAs,
         "Save &As...",
         "Save the active document with a new name",
         "Save As",
         {QKeySequence(Qt::CTRL | Qt::Key_S)},
         &EditorWindow::SaveTextAs},
        {EditorCommand::Export,
         "&Export...",
         "Export the filter's coefficients as fixed-point words for a toolchain",
         "Export",
         {},
         &EditorWindow::RequestExport},
        {EditorCommand::Print,
         "&Print...",
         "Print the active document",
         "Print",
         {QKeySequence(Qt::CTRL | Qt::Key_P)},
         &EditorWindow::PrintText},
        {EditorCommand::Exit, "E&xit", "", "", {}, nullptr},
        {EditorCommand::Undo,
         "&Undo",
         "Undo the last action",
         "Undo",
         {QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::ALT | Qt::Key_Backspace)},
         nullptr},
        {EditorCommand::Cut,
         "Cu&t",
         "Cut the selection and put it on the Clipboard",
         "Cut",
         {QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::SHIFT | Qt::Key_Delete)},
         nullptr},
        {EditorCommand::Copy,
         "&Copy",
         "Copy the selection and put it on the Clipboard",
         "Copy",
         {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)},
         nullptr},
        {EditorCommand::Paste,
         "&Paste",
         "Insert Clipboard contents",
         "Paste",
         {QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)},
         nullptr},
        {EditorCommand::Toolbar,
         "&Toolbar",
         "Show or hide the toolbar",
         "Toggle ToolBar",
         {},
         nullptr},
        {EditorCommand::StatusBar,
         "&Status Bar",
         "Show or hide the status bar",
         "Toggle StatusBar",
         {},
         nullptr},
    };
    for (const Definition& definition : definitions) {
        auto* action = new QAction(QString::fromLatin1(definition.text), this);
        action->setStatusTip(QString::fromLatin1(definition.prompt));
        if (*definition.tip != '\0') action->setToolTip(QString::fromLatin1(definition.tip));
        action->setShortcuts(definition.keys);
        if (definition.run != nullptr) connect(action, &QAction::triggered, this, definition.run);
        m_actions[static_cast<std::size_t>(definition.command)] = action;
    }
    connect(Action(EditorCommand::Exit), &QAction::triggered, this, &QWidget::close);
    connect(Action(EditorCommand::Undo), &QAction::triggered, m_edit, &QPlainTextEdit::undo);
    connect(Action(EditorCommand::Cut), &QAction::triggered, m_edit, &QPlainTextEdit::cut);
    connect(Action(EditorCommand::Copy), &QAction::triggered, m_edit, &QPlainTextEdit::copy);
    connect(Action(EditorCommand::Paste), &QAction::triggered, m_edit, &QPlainTextEdit::paste);

    QStyle* const style = this->style();
    Action(EditorCommand::New)->setIcon(style->standardIcon(QStyle::SP_FileIcon));
    Action(EditorCommand::Open)->setIcon(style->standardIcon(QStyle::SP_DialogOpenButton));
    Action(EditorCommand::SaveAs)->setIcon(style->standardIcon(QStyle::SP_DialogSaveButton));
    // The style has no pictures for these: the desktop's icon theme's, else the program's own.
    Action(EditorCommand::Cut)->setIcon(LoadEditorIcon(EditorIcon::Cut));
    Action(EditorCommand::Copy)->setIcon(LoadEditorIcon(EditorIcon::Copy));
    Action(EditorCommand::Paste)->setIcon(LoadEditorIcon(EditorIcon::Paste));
    Action(EditorCommand::Print)->setIcon(LoadEditorIcon(EditorIcon::Print));
}

void EditorWindow::CreateMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(Action(EditorCommand::New));
    file->addAction(Action(EditorCommand::Open));
    file->addAction(Action(EditorCommand::Save));
    file->addAction(Action(EditorCommand::SaveAs));
    file->addAction(Action(EditorCommand::Export));
    file->addSeparator();
    file->addAction(Action(EditorCommand::Print));
    file->addSeparator();
    file->addAction(Action(EditorCommand::Exit));

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->addAction(Action(EditorCommand::Undo));
    edit->addSeparator();
    edit->addAction(Action(EditorCommand::Cut));
    edit->addAction(Action(EditorCommand::Copy));
    edit->addAction(Action(EditorCommand::Paste));

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    view->addAction(Action(EditorCommand::Toolbar));
    view->addAction(Action(EditorCommand::StatusBar));
}

void EditorWindow::CreateToolbar() {
    m_toolbar = addToolBar(QStringLiteral("Toolbar"));
    m_toolbar->setMovable(false);
    m_toolbar->setFloatable(false);
    m_toolbar->setIconSize(QSize(16, 16));
    m_toolbar->addAction(Action(EditorCommand::New));
    m_toolbar->addAction(Action(EditorCommand::Open));
    m_toolbar->addAction(Action(EditorCommand::SaveAs));
    m_toolbar->addSeparator();
    m_toolbar->addAction(Action(EditorCommand::Cut));
    m_toolbar->addAction(Action(EditorCommand::Copy));
    m_toolbar->addAction(Action(EditorCommand::Paste));
    m_toolbar->addSeparator();
    m_toolbar->addAction(Action(EditorCommand::Print));

    QAction* toggle = Action(EditorCommand::Toolbar);
    toggle->setCheckable(true);
    toggle->setChecked(true);
    connect(toggle, &QAction::toggled, m_toolbar, &QWidget::setVisible);
}

void EditorWindow::CreateStatusBar() {
    // A prompt is a temporary message, which hides "Ready" while it is shown.
    QStatusBar* bar = statusBar();
    bar->setFont(m_edit->font());
    bar->addWidget(new QLabel(QStringLiteral("Ready"), bar), 1);

    QAction* toggle = Action(EditorCommand::StatusBar);
    toggle->setCheckable(true);
    toggle->setChecked(true);
    connect(toggle, &QAction::toggled, bar, &QWidget::setVisible);
}

QAction* EditorWindow::Action(EditorCommand command) const {
    return m_actions[static_cast<std::size_t>(command)];
}

QString EditorWindow::CurrentText() const {
    return m_edit->toPlainText();
}

bool EditorWindow::HasUnsavedEdits() const {
    return m_edit->document()->isModified();
}

void EditorWindow::MarkSaved() {
    m_edit->document()->setModified(false);
    ShowCaption();
}

void EditorWindow::ShowCaption() {
    setWindowTitle(HasUnsavedEdits() ? QStringLiteral("*") + m_caption : m_caption);
}

void EditorWindow::ClearText() {
    m_edit->clear();
    MarkSaved();
}

void EditorWindow::SetTitle(const std::string& title) {
    if (!title.empty()) {
        m_fileName = title;
    } else if (!m_path.isEmpty()) {
        m_fileName = m_path.toStdString();
    } else {
        m_fileName.clear();
    }
    m_caption = QString::fromStdString(title);
    if (m_caption.isEmpty()) m_caption = m_path.isEmpty() ? QStringLiteral("Show & Edit") : m_path;
    ShowCaption();
}

void EditorWindow::PlaceText(const char* text, int length) {
    const QString placed = EditorTextFromBytes(text, length);
    QTextDocument* document = m_edit->document();
    // The placed text is the starting point of editing, not an edit the user could undo.
    document->setUndoRedoEnabled(false);
    QTextCursor cursor = m_edit->textCursor();
    for (QStringView piece : SplitIntoPieces(placed)) cursor.insertText(piece.toString());
    document->setUndoRedoEnabled(true);
    m_givenText = CurrentText();
    MarkSaved();  // the designer's description is no edit of the user's

    cursor.movePosition(QTextCursor::Start);
    m_edit->setTextCursor(cursor);
    m_edit->verticalScrollBar()->setValue(0);
    m_edit->horizontalScrollBar()->setValue(0);
}

int EditorWindow::CopyText(char* buffer, int size) const {
    if (buffer == nullptr || size <= 0) return 0;
    const QByteArray bytes = EditorTextToBytes(CurrentText());
    const int copied = std::min(static_cast<int>(bytes.size()), size - 1);
    std::memcpy(buffer, bytes.constData(), static_cast<std::size_t>(copied));
    buffer[copied] = '\0';
    buffer[size - 1] = '\0';
    return copied;
}

int EditorWindow::TextLength() const {
    const QString text = CurrentText();
    return static_cast<int>(text.size() + text.count(QLatin1Char('\n')));  // CR LF per break
}

void EditorWindow::NewText() {
    // An empty text replaces the edited one only once the user has said what becomes of it.
    if (!SaveOrDiscardEdits()) return;
    ClearText();
    m_path.clear();
    SetTitle(std::string());
}

void EditorWindow::RequestLoad() {
    if (m_services.notify) m_services.notify(kEditorLoadRequest, QString());
}

void EditorWindow::RequestExport() {
    if (m_services.notify) m_services.notify(kEditorExportRequest, QString());
}

void EditorWindow::Save() {
    if (m_path.isEmpty()) {
        SaveTextAs();
    } else {
        SaveText();
    }
}

void EditorWindow::SaveTextAs() {
    if (ChooseFile()) SaveText();
}

bool EditorWindow::ChooseFile() {
    if (m_services.dialogs == nullptr) return false;
    const std::string startDir =
        m_path.isEmpty() ? std::string() : QFileInfo(m_path).absolutePath().toStdString();
    const auto chosen =
        m_services.dialogs->ChooseFileToSave(startDir, m_fileName, kFilterFileTypes);
    if (!chosen || chosen->empty()) return false;

    QString path = QString::fromStdString(*chosen);
    // A name typed without an extension is a text file.
    if (!QFileInfo(path).fileName().contains(QLatin1Char('.'))) path += QStringLiteral(".txt");
    m_path = path;
    SetTitle(FileNameForTitle(m_path.toStdString()));
    return true;
}

void EditorWindow::SaveText() {
    if (!WriteText()) return;
    // An edited description is offered to the main window; any difference counts, a shortened
    // text as much as a changed or a lengthened one.
    if (CurrentText() != m_givenText && m_services.notify)
        m_services.notify(kEditorLoadRequest, QString());
}

bool EditorWindow::WriteText() {
    const QByteArray bytes = EditorTextToFileBytes(CurrentText());
    FileReplaceFailure failure;
    if (!ReplaceFileContents(m_path.toStdString(),
                             std::string_view(bytes.constData(), bytes.size()), &failure)) {
        ShowMessage(failure.stage == FileReplaceFailure::kCreate ? "Could not create File!"
                                                                 : "Could not write to File");
        return false;
    }
    MarkSaved();
    return true;
}

void EditorWindow::PrintText() {
    if (m_services.printers == nullptr) return;
    PrintRequest request;
    request.documentName = m_path;
    const std::unique_ptr<QPrinter> printer = m_services.printers->ChoosePrinter(this, request);
    if (!printer) return;
    printer->setDocName(m_path);

    QPainter painter;
    if (!painter.begin(printer.get())) {
        ShowMessage("Printing error occured. Unable to find printer.");
        return;
    }
    const QRectF area = PrintArea(*printer);
    const qreal width = area.width();
    const qreal height = area.height();

    const QString text = CurrentText();
    const QFont font = PrintFont(m_edit->font(), text, width, printer.get());
    // Rows follow each other at the font's line spacing; a page holds the rows that fit it
    // whole, and the next row starts the next page. Each row is drawn on one page only.
    const qreal rowStep = QFontMetricsF(font, printer.get()).lineSpacing();
    // A row too long even for the smallest type breaks between numbers, never inside one.
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    painter.setPen(Qt::black);
    qreal y = 0.0;
    for (const QString& row : text.split(QLatin1Char('\n'))) {
        // An empty row only moves the next one down; it never starts a page of its own.
        if (row.isEmpty()) {
            y += rowStep;
            continue;
        }
        QTextLayout layout(row, font, printer.get());
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            line.setPosition(QPointF(0.0, 0.0));
        }
        layout.endLayout();
        for (int i = 0; i < layout.lineCount(); ++i) {
            if (y > 0.0 && y + rowStep > height) {
                printer->newPage();
                y = 0.0;
            }
            layout.lineAt(i).draw(&painter, area.topLeft() + QPointF(0.0, y));
            y += rowStep;
        }
    }
    painter.end();
}

void EditorWindow::ShowMessage(const std::string& text) {
    if (m_services.dialogs != nullptr) {
        m_services.dialogs->MessageBox(text, kAppTitle, MessageButtons::Ok, MessageIcon::Warning);
    }
}

bool EditorWindow::SaveOrDiscardEdits() {
    if (!HasUnsavedEdits() || m_services.dialogs == nullptr) return true;
    const MessageAnswer answer = m_services.dialogs->MessageBox(
        "The text in the Filter Editor has changed.\nDo you want to save the changes?", kAppTitle,
        MessageButtons::SaveDiscardCancel, MessageIcon::Warning);
    switch (answer) {
        case MessageAnswer::Save:
            // Only written: the text is about to go (the window closes, or New empties it), so
            // it is not offered to the main window as the Save command offers it.
            return (!m_path.isEmpty() || ChooseFile()) && WriteText();
        case MessageAnswer::Discard:
            return true;
        default:
            return false;
    }
}

void EditorWindow::closeEvent(QCloseEvent* event) {
    if (m_closing) return event->accept();
    if (!SaveOrDiscardEdits()) return event->ignore();
    event->accept();
    m_closing = true;
    if (m_services.notify) m_services.notify(kEditorClosed, QString());
    if (m_services.closed) m_services.closed();
}

bool EditorWindow::DropFiles(const QMimeData* data) {
    const QString path = DroppedFilterFile(data);
    if (path.isEmpty()) return false;
    if (m_services.notify) m_services.notify(kEditorLoadRequest, path);
    return true;
}

void EditorWindow::dragEnterEvent(QDragEnterEvent* event) {
    AcceptFilterFile(event);
}

void EditorWindow::dragMoveEvent(QDragMoveEvent* event) {
    AcceptFilterFile(event);
}

void EditorWindow::dropEvent(QDropEvent* event) {
    if (DropFiles(event->mimeData())) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

}  // namespace ondela
