// Arbitrary bytes through the header reader, with and without stored settings.
#include <cstddef>
#include <cstdint>

#include "fuzz_text.h"
#include "settings/memory_settings_store.h"
#include "settings/preferences.h"
#include "workspace/description_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace ondela;
    const std::string text = fuzz::ZeroTerminated(data, size);
    static MemorySettingsStore store;
    static CPreferences prefs(&store);
    static const bool opened = prefs.OpenKeys();
    (void)opened;

    FilterSpec s;
    ParseDescription(text.c_str(), s, &prefs);
    ParseDescription(text.c_str(), s, nullptr);
    return 0;
}
