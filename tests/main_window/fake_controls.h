// The main window's controls as a table: what each control shows, whether it is checked and
// enabled, and a record of repaints, pointer shapes and the window's end.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "ui/main_window/control_ids.h"
#include "ui/main_window/dialog_controls.h"
#include "ui/main_window/shell_services.h"

namespace ondela::testing {

class FakeControls : public DialogControls {
  public:
    std::string GetText(int id) const override {
        auto it = text.find(id);
        return it == text.end() ? std::string() : it->second.substr(0, 63);
    }
    void SetText(int id, const std::string& t) override { text[id] = t; }
    bool IsChecked(int id) const override { return checked.count(id) != 0; }
    void SetChecked(int id, bool on) override {
        if (on) {
            checked.insert(id);
        } else {
            checked.erase(id);
        }
    }
    void SetEnabled(int id, bool on) override { enabled[id] = on; }
    bool HasControl(int id) const override { return missing.count(id) == 0; }
    void RepaintPlots(bool now) override { (now ? repaintsNow : repaintsPosted)++; }
    void SetPointer(PointerShape shape) override { pointers.push_back(shape); }
    void SetCaption(const std::string& c) override { caption = c; }
    void CloseWindow(int) override { ended = true; }

    // A click on an automatic radio button: it takes the check from the others of its group.
    void ClickRadio(int id) {
        static const std::vector<std::vector<int>> groups = {
            {ctl::kLowPass, ctl::kHighPass, ctl::kBandPass, ctl::kBandStop, ctl::kHalfBand},
            {ctl::kScaleLin, ctl::kScaleLog},
            {ctl::kFloat64, ctl::kFloat32, ctl::kInteger32, ctl::kInteger16}};
        for (const auto& g : groups) {
            for (int member : g) {
                if (member != id) continue;
                for (int other : g) checked.erase(other);
                checked.insert(id);
            }
        }
    }
    bool Enabled(int id) const {
        auto it = enabled.find(id);
        return it == enabled.end() || it->second;
    }

    std::map<int, std::string> text;
    std::set<int> checked;
    std::map<int, bool> enabled;
    std::set<int> missing;
    std::vector<PointerShape> pointers;
    std::string caption;
    int repaintsNow = 0;
    int repaintsPosted = 0;
    bool ended = false;
};

class FakeShell : public ShellServices {
  public:
    void PrintWindow(const std::string& title) override { printed.push_back(title); }
    bool InitHelp(const std::string&) override { return helpWorks; }
    bool ShowHelp(const std::string& path) override {
        helpShown.push_back(path);
        return helpWorks;
    }
    void CloseHelp() override { ++helpClosed; }
    void ShowAbout() override { ++aboutShown; }
    void ShowExport() override { ++exportShown; }
    std::string ProductCaption() override { return "Ondela 1.21"; }

    std::vector<std::string> printed;
    std::vector<std::string> helpShown;
    int helpClosed = 0;
    int aboutShown = 0;
    int exportShown = 0;
    bool helpWorks = true;
};

}  // namespace ondela::testing
