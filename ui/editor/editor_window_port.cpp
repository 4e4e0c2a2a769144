#include "ui/editor/editor_window_port.h"

#include <QApplication>
#include <new>

#include "ui/editor/editor_notify.h"

namespace ondela {

EditorWindowPort::EditorWindowPort(UserDialogs* dialogs, PrinterSource* printers,
                                   QObject* notifyTarget)
    : m_dialogs(dialogs), m_printers(printers), m_notifyTarget(notifyTarget) {}

EditorWindowPort::~EditorWindowPort() {
    delete m_frame.data();
}

int EditorWindowPort::OpenEditor(const std::string& keyPath) {
    if (IsEditorOpen()) return kEditorAlreadyOpen;
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
        return kEditorNotInitialised;

    EditorServices services;
    services.dialogs = m_dialogs;
    services.printers = m_printers;
    services.notify = [this](int code, const QString& path) { Notify(code, path); };
    services.closed = [this] { Forget(); };
    try {
        m_frame = new EditorWindow(std::move(services));
    } catch (const std::bad_alloc&) {
        return kEditorNotCreated;
    }
    m_frame->show();
    m_keyPath = keyPath;
    return kEditorOpened;
}

bool EditorWindowPort::IsEditorOpen() const {
    return !m_frame.isNull();
}

void EditorWindowPort::ClearEditorText() {
    if (m_frame) m_frame->ClearText();
}

void EditorWindowPort::SetEditorTitle(const std::string& title) {
    if (m_frame) m_frame->SetTitle(title);
}

void EditorWindowPort::SetEditorText(const char* text, int length) {
    if (m_frame) m_frame->PlaceText(text, length);
}

int EditorWindowPort::GetEditorText(char* buffer, int size) {
    return m_frame ? m_frame->CopyText(buffer, size) : -1;
}

int EditorWindowPort::GetEditorTextLength() const {
    return m_frame ? m_frame->TextLength() : -1;
}

bool EditorWindowPort::CloseEditor() {
    // The window's close asks about unsaved edits, as when the user closes it.
    return m_frame.isNull() || m_frame->close();
}

void EditorWindowPort::Notify(int code, const QString& path) {
    if (m_notifyTarget)
        QCoreApplication::postEvent(m_notifyTarget, new EditorNotifyEvent(code, path));
}

// The user closed the window: from now on there is no editor. The window itself goes once its
// close has been handled.
void EditorWindowPort::Forget() {
    EditorWindow* const frame = m_frame.data();
    m_frame = nullptr;
    if (frame != nullptr) frame->deleteLater();
}

}  // namespace ondela
