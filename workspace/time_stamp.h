// The local time stamp of a filter description.
#pragma once

#include <cstdint>
#include <string>

namespace ondela {

// Local time of t as "year:month:day:hour:minute" ("%Y:%m:%d:%H:%M"). Throws
// std::invalid_argument when t cannot be converted to a local time.
std::string LocalTimeStamp(int64_t t);

}  // namespace ondela
