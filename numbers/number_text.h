// Writing and reading numbers as text, independent of the process locale.
//
// Every number the program writes goes through FormatText, which behaves as C printf does in the
// "C" locale except that floating-point exponents always have at least three digits
// ("1.00000001e-001", "1e+006"). Every number the program reads goes through ReadDouble or ReadInt,
// which accept what "%lf" and "%d" accept in the "C" locale, except that hexadecimal numbers,
// infinities and NaN are not numbers.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <optional>
#include <string>

namespace ondela {

// printf-style formatting; the result is never cut.
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The same, for callers that forward their own variable arguments.
std::string FormatTextV(const char* format, va_list args) __attribute__((format(printf, 1, 0)));

struct NumberRead {
    double value;
    std::size_t end;  // offset just past the last character that belongs to the number
};

// Reads a number as "%lf" does: leading white space skipped, optional sign, digits with an
// optional point, optional exponent. nullopt when no number starts there (or it is hex, inf or
// nan). A value beyond the range of double is not a number either.
std::optional<NumberRead> ReadDouble(const char* text);

struct IntRead {
    long long value;
    std::size_t end;
};

// Reads an integer as "%d" does: white space, optional sign, decimal digits. Values outside the
// 32-bit range saturate to INT32_MIN/INT32_MAX.
std::optional<IntRead> ReadInt(const char* text);

}  // namespace ondela
