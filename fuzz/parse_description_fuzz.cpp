// Arbitrary bytes through the header readers, with and without stored settings.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_text.h"
#include "settings/memory_settings_store.h"
#include "settings/preferences.h"
#include "workspace/description_reader.h"
#include "workspace/targets_met_in.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace ondela;
    const std::string text = fuzz::ZeroTerminated(data, size);
    static MemorySettingsStore store;
    static CPreferences prefs(&store);
    static const bool opened = prefs.OpenKeys();
    (void)opened;

    FilterSpec s;
    ParseDescription(text.c_str(), s, &prefs);
    std::vector<std::string> unreadable;
    ParseDescription(text.c_str(), s, nullptr, &unreadable);
    ReadTargetsMetIn(text.c_str());
    return 0;
}
