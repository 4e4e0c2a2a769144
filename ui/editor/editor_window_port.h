// The editor window as the workspace and the main window reach it: at most one EditorWindow, made
// when the editor opens and let go when the user closes it.
#pragma once

#include <QObject>
#include <QPointer>
#include <string>

#include "ui/editor/editor_window.h"
#include "workspace/editor_port.h"

namespace ondela {

class PrinterSource;
class UserDialogs;

class EditorWindowPort : public EditorPort {
  public:
    // dialogs serves the editor's Save As chooser and its message boxes, printers its print
    // dialog. The editor's EditorNotifyEvent events are posted to notifyTarget (the application
    // object); none are posted when it is null. None of them is owned.
    EditorWindowPort(UserDialogs* dialogs, PrinterSource* printers, QObject* notifyTarget);
    ~EditorWindowPort() override;

    EditorWindowPort(const EditorWindowPort&) = delete;
    EditorWindowPort& operator=(const EditorWindowPort&) = delete;

    int OpenEditor(const std::string& keyPath) override;
    bool IsEditorOpen() const override;
    void ClearEditorText() override;
    void SetEditorTitle(const std::string& title) override;
    void SetEditorText(const char* text, int length) override;
    int GetEditorText(char* buffer, int size) override;
    int GetEditorTextLength() const override;
    bool CloseEditor() override;

    // The open editor window, or null.
    EditorWindow* Frame() const { return m_frame.data(); }
    // The settings key given to the last successful OpenEditor. The editor keeps nothing under
    // it.
    const std::string& KeyPath() const { return m_keyPath; }

  private:
    void Notify(int code, const QString& path);
    void Forget();

    UserDialogs* m_dialogs;
    PrinterSource* m_printers;
    QPointer<QObject> m_notifyTarget;
    QPointer<EditorWindow> m_frame;
    std::string m_keyPath;
};

}  // namespace ondela
