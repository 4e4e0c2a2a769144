// Turns fuzz input into the zero-terminated text the description readers work on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace ondela::fuzz {

inline std::string ZeroTerminated(const uint8_t* data, std::size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);  // c_str() adds the zero
}

}  // namespace ondela::fuzz
