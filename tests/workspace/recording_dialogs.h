// The modal dialogs as every test has them: message boxes answered with OK (the question about
// unsaved edits with the test's choice) and recorded with
// their captions (and, given a shared log, as "Message <text>" entries in it, so that their
// order among other calls shows), file choosers answered from fileToOpen and fileToSave
// (nullopt: cancelled) that remember what they were asked, and a busy pop-up that is only noted
// and records the progress it is shown (cancelling when told to).
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "workspace/user_dialogs.h"

namespace ondela::testing {

class RecordingDialogs : public UserDialogs {
  public:
    RecordingDialogs() = default;
    explicit RecordingDialogs(std::vector<std::string>& log) : log_(&log) {}

    struct Message {
        std::string text;
        std::string caption;
    };
    struct ChooserRequest {
        std::string dir;
        std::string name;
        std::string filter;
    };

    MessageAnswer MessageBox(const std::string& text, const std::string& caption,
                             MessageButtons buttons, MessageIcon) override {
        if (log_) log_->push_back("Message " + text);
        messages.push_back({text, caption});
        captions.push_back(caption);
        okOnly = okOnly && buttons == MessageButtons::Ok;
        return buttons == MessageButtons::SaveDiscardCancel ? choice : MessageAnswer::Ok;
    }
    std::optional<std::string> ChooseFileToOpen(const std::string& dir, const std::string& name,
                                                const std::string& filter) override {
        if (openChooserUnexpected) ADD_FAILURE() << "nothing here chooses a file to open";
        openAsked = {dir, name, filter};
        return fileToOpen;
    }
    std::optional<std::string> ChooseFileToSave(const std::string& dir, const std::string& name,
                                                const std::string& filter) override {
        saveAsked = {dir, name, filter};
        saveRequests.push_back(*saveAsked);
        return fileToSave;
    }
    void SetWaitPointer(bool w) override { waiting = w; }
    bool OpenBusyPopup() override {
        if (log_) log_->push_back("OpenBusyPopup");
        busyOpen = true;
        return true;
    }
    void CloseBusyPopup() override {
        if (log_) log_->push_back("CloseBusyPopup");
        busyOpen = false;
    }
    bool IsBusyPopupOpen() const override { return busyOpen; }
    // Records the progress; answers as a Cancel pressed once cancelAfter reports were made.
    bool BusyProgress(const std::string& text) override {
        if (log_) log_->push_back("Progress " + text);
        progress.push_back(text);
        return !cancelAfter || static_cast<int>(progress.size()) < *cancelAfter;
    }

    // The texts shown, in order.
    std::vector<std::string> Texts() const {
        std::vector<std::string> out;
        for (const Message& m : messages) out.push_back(m.text);
        return out;
    }
    // Each message as "caption: text".
    std::vector<std::string> CaptionedTexts() const {
        std::vector<std::string> out;
        for (const Message& m : messages) out.push_back(m.caption + ": " + m.text);
        return out;
    }

    std::vector<Message> messages;
    std::vector<std::string> captions;
    bool okOnly = true;  // every message box had only an OK button
    bool busyOpen = false;
    std::vector<std::string> progress;  // the progress reports of a search, in order
    std::optional<int> cancelAfter;     // the report at which the user cancels; none: never
    bool waiting = false;
    bool openChooserUnexpected = false;  // an open-file request fails the test
    // The answer to the question before unsaved edits are dropped.
    MessageAnswer choice = MessageAnswer::Cancel;
    std::optional<std::string> fileToOpen;
    std::optional<std::string> fileToSave;
    std::optional<ChooserRequest> openAsked;
    std::optional<ChooserRequest> saveAsked;
    std::vector<ChooserRequest> saveRequests;

  private:
    std::vector<std::string>* log_ = nullptr;
};

}  // namespace ondela::testing
