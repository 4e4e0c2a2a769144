// The modal interactions of the designer: message boxes, the file choosers, the wait pointer and
// the busy pop-up shown during long designs, with the progress of a search it can cancel.
#pragma once

#include <optional>
#include <string>

namespace ondela {

// SaveDiscardCancel: the question before edits not yet saved are dropped.
enum class MessageButtons { Ok, YesNo, SaveDiscardCancel };
enum class MessageIcon { None, Information, Warning, Error };
enum class MessageAnswer { Ok, Yes, No, Cancel, Save, Discard };

class UserDialogs {
  public:
    virtual ~UserDialogs() = default;

    // A modal message box; returns the button the user pressed (Cancel when it was closed).
    virtual MessageAnswer MessageBox(const std::string& text, const std::string& caption,
                                     MessageButtons buttons, MessageIcon icon) = 0;

    // File choosers. filter is a list of "description|pattern" pairs separated by "|" (for
    // example "Text files (*.txt)|*.txt|All files (*.*)|*.*"). The chosen full path, or nullopt
    // when the user cancelled. The save chooser gives the name the file is saved under, with
    // the filter's default extension added as SaveFileName says, and has asked before that name
    // replaces an existing file.
    virtual std::optional<std::string> ChooseFileToOpen(const std::string& initialDir,
                                                        const std::string& initialName,
                                                        const std::string& filter) = 0;
    virtual std::optional<std::string> ChooseFileToSave(const std::string& initialDir,
                                                        const std::string& initialName,
                                                        const std::string& filter) = 0;

    // The hourglass pointer while a long operation runs, the arrow otherwise.
    virtual void SetWaitPointer(bool waiting) = 0;

    // The "Please wait" pop-up over the main window, drawn at once because no events are handled
    // while a design runs. Opening replaces an older pop-up. false when none could be shown.
    virtual bool OpenBusyPopup() = 0;
    virtual void CloseBusyPopup() = 0;
    virtual bool IsBusyPopupOpen() const = 0;
    // How far a long search under the busy pop-up has come, in words. false once the user has
    // asked to cancel it; the caller then stops as soon as it can. Without a pop-up that shows
    // progress, nothing is shown and nothing is cancelled.
    virtual bool BusyProgress(const std::string& text) {
        (void)text;
        return true;
    }
};

}  // namespace ondela
