// Message boxes, file choosers, the wait pointer and the busy notice as Qt shows them, owned by
// the main window they belong to.
#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>

#include "ui/main_window/busy_popup.h"
#include "workspace/user_dialogs.h"

namespace ondela {

// "Text Files (*.txt)|*.txt|All Files (*.*)|*.*" as a Qt name filter
// "Text Files (*.txt);;All Files (*)".
QString QtNameFilter(const std::string& filter);

class QtUserDialogs : public UserDialogs {
  public:
    // parent: the window the boxes belong to (the main window once it exists).
    void SetParent(QWidget* parent) { m_parent = parent; }

    MessageAnswer MessageBox(const std::string& text, const std::string& caption,
                             MessageButtons buttons, MessageIcon icon) override;
    std::optional<std::string> ChooseFileToOpen(const std::string& initialDir,
                                                const std::string& initialName,
                                                const std::string& filter) override;
    std::optional<std::string> ChooseFileToSave(const std::string& initialDir,
                                                const std::string& initialName,
                                                const std::string& filter) override;
    void SetWaitPointer(bool waiting) override;
    bool OpenBusyPopup() override;
    void CloseBusyPopup() override;
    bool IsBusyPopupOpen() const override { return m_busy != nullptr; }
    // Shown on the open pop-up; false once its Cancel was pressed. Without a pop-up, true.
    bool BusyProgress(const std::string& text) override;

  private:
    QPointer<QWidget> m_parent;
    std::unique_ptr<BusyPopup> m_busy;
    bool m_waiting = false;
};

}  // namespace ondela
