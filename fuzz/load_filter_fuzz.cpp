// Arbitrary bytes as a filter file, through the whole Load command: reading, both readers,
// validation, the design of a complete specification or the analysis of bare coefficients, and
// the description of the result.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "engine/design_engine.h"
#include "settings/memory_settings_store.h"
#include "settings/preferences.h"
#include "workspace/filter_workspace.h"
#include "workspace/user_dialogs.h"

namespace {

using namespace ondela;

// Answers every message box with OK; nobody chooses a file.
class OkDialogs : public UserDialogs {
  public:
    MessageAnswer MessageBox(const std::string&, const std::string&, MessageButtons,
                             MessageIcon) override {
        return MessageAnswer::Ok;
    }
    std::optional<std::string> ChooseFileToOpen(const std::string&, const std::string&,
                                                const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> ChooseFileToSave(const std::string&, const std::string&,
                                                const std::string&) override {
        return std::nullopt;
    }
    void SetWaitPointer(bool) override {}
    bool OpenBusyPopup() override { return true; }
    void CloseBusyPopup() override {}
    bool IsBusyPopupOpen() const override { return false; }
};

// Long designs would take seconds each and starve the search; the longest a fuzz run designs is
// kept short, which still drives every branch of the load path.
constexpr int kLongestFuzzedDesign = 255;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static const std::string path = "/tmp/ondela-load-fuzz-" + std::to_string(getpid()) + ".txt";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    static DesignEngine engine;
    MemorySettingsStore store;
    Preferences prefs(&store);
    prefs.OpenKeys();
    OkDialogs dialogs;

    FilterWorkspace ws;
    ws.m_engine = &engine;
    ws.m_prefs = &prefs;
    ws.m_dialogs = &dialogs;
    ws.m_designFilter = [&ws](const FilterSpec& request) {
        FilterSpec spec = request;
        if (spec.maxCoefs > kLongestFuzzedDesign) spec.maxCoefs = kLongestFuzzedDesign;
        return engine.DesignFilter(spec, ws.m_halfBandCorrection);
    };
    ws.LoadFilterFile(path);
    ws.BuildDescription();
    return 0;
}
