// The application's dialogs with one addition: a file dropped on the editor answers the next
// open-file request in place of the chooser, so the Load it starts reads that file.
#pragma once

#include <optional>
#include <string>

#include "workspace/user_dialogs.h"

namespace ondela {

class AppDialogs : public UserDialogs {
  public:
    explicit AppDialogs(UserDialogs& inner) : m_inner(inner) {}

    void SetNextFileToOpen(std::string path) { m_next = std::move(path); }

    MessageAnswer MessageBox(const std::string& text, const std::string& caption,
                             MessageButtons buttons, MessageIcon icon) override {
        return m_inner.MessageBox(text, caption, buttons, icon);
    }
    std::optional<std::string> ChooseFileToOpen(const std::string& dir, const std::string& name,
                                                const std::string& filter) override {
        if (m_next) {
            std::optional<std::string> path = std::move(m_next);
            m_next.reset();
            return path;
        }
        return m_inner.ChooseFileToOpen(dir, name, filter);
    }
    std::optional<std::string> ChooseFileToSave(const std::string& dir, const std::string& name,
                                                const std::string& filter) override {
        return m_inner.ChooseFileToSave(dir, name, filter);
    }
    void SetWaitPointer(bool waiting) override { m_inner.SetWaitPointer(waiting); }
    bool OpenBusyPopup() override { return m_inner.OpenBusyPopup(); }
    void CloseBusyPopup() override { m_inner.CloseBusyPopup(); }
    bool IsBusyPopupOpen() const override { return m_inner.IsBusyPopupOpen(); }

  private:
    UserDialogs& m_inner;
    std::optional<std::string> m_next;
};

}  // namespace ondela
