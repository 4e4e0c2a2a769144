// Arbitrary bytes through the description reader, and the half band's completion from stored
// settings that Load and Analysis apply to what it read.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_text.h"
#include "settings/memory_settings_store.h"
#include "settings/preferences.h"
#include "workspace/description_reader.h"
#include "workspace/missing_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace ondela;
    const std::string text = fuzz::ZeroTerminated(data, size);
    static MemorySettingsStore store;
    static Preferences prefs(&store);
    static const bool opened = prefs.OpenKeys();
    (void)opened;

    DescriptionContents read = ReadDescription(text.c_str());
    CompleteHalfBandAttenuation(read.spec, &prefs);
    return 0;
}
