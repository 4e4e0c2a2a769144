// The filter editor: a top-level window in which the user sees and edits the filter description
// text, saves it to a text file, prints it, and asks the main window to load a filter file.
#pragma once

#include <QMainWindow>
#include <QString>
#include <array>
#include <functional>
#include <string>

class QAction;
class QMimeData;
class QPlainTextEdit;
class QToolBar;

namespace ondela {

class PrinterSource;
class UserDialogs;

// What the editor needs from the application.
struct EditorServices {
    UserDialogs* dialogs = nullptr;     // Save As file chooser and message boxes
    PrinterSource* printers = nullptr;  // the print dialog
    // Tells the application something (kEditorLoadRequest with an optional file path,
    // kEditorExportRequest or kEditorClosed); the application handles it later.
    std::function<void(int code, const QString& path)> notify;
    // Called once when the user has closed the window, after kEditorClosed was sent.
    std::function<void()> closed;
};

// The frame's commands, as found in its menus, toolbar and keys.
enum class EditorCommand {
    New,
    Open,
    Save,
    SaveAs,
    Export,
    Print,
    Exit,
    Undo,
    Cut,
    Copy,
    Paste,
    Toolbar,
    StatusBar,
};
constexpr int kEditorCommandCount = 13;

class EditorWindow : public QMainWindow {
  public:
    explicit EditorWindow(EditorServices services);
    ~EditorWindow() override;

    // Operations of the designer on the text.
    void ClearText();
    // Caption and name offered by the next Save As; an empty title shows the file's path, or
    // "Show & Edit" when the text has no file.
    void SetTitle(const std::string& title);
    // Inserts length bytes of text at the caret (the caller empties the editor first) and brings
    // the view back to the top. What is in the editor afterwards counts as unchanged for Save.
    void PlaceText(const char* text, int length);
    // The text as single bytes with CR LF line ends; see EditorPort::GetEditorText.
    int CopyText(char* buffer, int size) const;
    int TextLength() const;

    // The commands.
    void NewText();
    void RequestLoad();
    void Save();
    void SaveTextAs();
    void SaveText();
    // Asks the application to open the Export dialog over the current filter.
    void RequestExport();
    void PrintText();

    // Whether the text holds edits not yet saved: changes since it was placed, saved or emptied.
    // The caption then starts with "*".
    bool HasUnsavedEdits() const;

    QAction* Action(EditorCommand command) const;
    QPlainTextEdit* Editor() const { return m_edit; }
    // Full path of the current file; empty until the text is saved under a name.
    const QString& Path() const { return m_path; }
    // Name offered by the next Save As.
    const std::string& FileName() const { return m_fileName; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    friend class EditorTextView;

    void CreateActions();
    void CreateMenus();
    void CreateToolbar();
    void CreateStatusBar();
    QString CurrentText() const;
    // The text with nothing left to save from here on: no mark in the caption.
    void MarkSaved();
    void ShowCaption();
    // Asks for the file to save under (Save As); false when the user cancelled.
    bool ChooseFile();
    // Writes the text to the current file; false after the failure's message.
    bool WriteText();
    // Asks what becomes of unsaved edits before the window closes or New empties the text:
    // Save writes them (asking for a file when the text has none), Discard drops them. False
    // when the text must stay: Cancel, or a Save that did not happen.
    bool SaveOrDiscardEdits();
    // Asks the application to load the filter file among the dropped files; false when there is
    // none.
    bool DropFiles(const QMimeData* data);
    void ShowMessage(const std::string& text);

    EditorServices m_services;
    QPlainTextEdit* m_edit = nullptr;
    QToolBar* m_toolbar = nullptr;
    std::array<QAction*, kEditorCommandCount> m_actions{};

    QString m_path;          // full path of the current file
    std::string m_fileName;  // name offered by the next Save As
    QString m_caption;       // the caption without the mark of unsaved edits
    QString m_givenText;     // the text as it stood right after the last PlaceText
    bool m_closing = false;
};

}  // namespace ondela
