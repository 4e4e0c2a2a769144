#include "workspace/time_stamp.h"

#include <ctime>
#include <stdexcept>

namespace ondela {

std::string LocalTimeStamp(int64_t t) {
    const auto time = static_cast<std::time_t>(t);
    std::tm local{};
    if (static_cast<int64_t>(time) != t || localtime_r(&time, &local) == nullptr)
        throw std::invalid_argument("time value cannot be converted to local time");
    char buffer[128];
    const std::size_t n = std::strftime(buffer, sizeof buffer, "%Y:%m:%d:%H:%M", &local);
    return std::string(buffer, n);
}

}  // namespace ondela
