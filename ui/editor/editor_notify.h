// What the editor window tells the application. The editor has no parent window, so it posts an
// application event; the application handles it after the editor's command has finished.
#pragma once

#include <QEvent>
#include <QString>
#include <utility>

namespace ondela {

constexpr QEvent::Type kEditorNotifyEventType = static_cast<QEvent::Type>(QEvent::User + 10);

// Codes carried by EditorNotifyEvent.
constexpr int kEditorLoadRequest = 57600;    // run the main window's Load command
constexpr int kEditorClosed = 57665;         // the editor window is closing; nothing to do
constexpr int kEditorExportRequest = 57666;  // open the Export dialog over the current filter

class EditorNotifyEvent : public QEvent {
  public:
    explicit EditorNotifyEvent(int code, QString path = QString())
        : QEvent(kEditorNotifyEventType), code(code), path(std::move(path)) {}

    EditorNotifyEvent* clone() const override { return new EditorNotifyEvent(*this); }

    // kEditorLoadRequest, kEditorExportRequest or kEditorClosed.
    const int code;
    // For a load request: the file to load without asking (a file dropped on the editor). Empty
    // when the user is to choose the file (the Open command, a save of changed text).
    const QString path;

  protected:
    EditorNotifyEvent(const EditorNotifyEvent&) = default;
};

}  // namespace ondela
