// Arbitrary bytes through the description reader (its coefficient list) and the number tokenizer
// under it.
#include <cstddef>
#include <cstdint>

#include "fuzz_text.h"
#include "workspace/description_reader.h"
#include "workspace/text_scan.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace ondela;
    const std::string text = fuzz::ZeroTerminated(data, size);

    ReadDescription(text.c_str());

    const char* p = text.c_str();
    double value = 0.0;
    int kind = 0;
    while ((p = NextCoefToken(p, value, kind)) != nullptr) {
    }
    return 0;
}
