#include "workspace/text_scan.h"

#include <cstdarg>
#include <cstring>

#include "numbers/number_text.h"

namespace ondela {
namespace {

constexpr int kMaxPrintable = 4095;
constexpr std::size_t kNumberSearchLimit = 50000;
constexpr std::size_t kWordSearchLimit = 500000;
constexpr std::size_t kPathLimit = 520;
constexpr std::size_t kLengthLimit = 1048576;
constexpr std::size_t kFormatLimit = 4095;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// True when word matches text at its start, ignoring case.
bool MatchesAt(const char* text, const char* word) {
    for (; *word != '\0'; ++text, ++word)
        if (*text == '\0' || Lower(*text) != Lower(*word)) return false;
    return true;
}

}  // namespace

int PrintableLength(const char* text) {
    if (text == nullptr) return 0;
    int n = 0;
    while (n < kMaxPrintable) {
        const auto c = static_cast<unsigned char>(text[n]);
        if (c < 0x20 || c >= 0x7F) break;
        ++n;
    }
    return n;
}

const char* FindNumberStart(const char* p) {
    if (p == nullptr) return nullptr;
    for (std::size_t i = 0; i < kNumberSearchLimit && p[i] != '\0'; ++i)
        if (IsDigit(p[i]) || p[i] == '+' || p[i] == '-' || p[i] == '.') return p + i;
    return nullptr;
}

const char* FindWordEnd(const char* p) {
    if (p == nullptr) return nullptr;
    // "=" ends a word too, so that in "Attenuation=60dB" the number right after the keyword is
    // found, not the one of the next field.
    for (std::size_t i = 0; i < kWordSearchLimit; ++i)
        if (p[i] == ' ' || p[i] == '=' || p[i] == '\0') return p + i;
    return nullptr;
}

const char* NextCoefToken(const char* p, double& value, int& kind) {
    value = 0.0;
    kind = 0;
    if (p == nullptr) return nullptr;
    // A number starts at a digit, or at a sign or point followed by a digit.
    while (*p != '\0' && !IsDigit(*p) && !((*p == '-' || *p == '+' || *p == '.') && IsDigit(p[1])))
        ++p;
    if (*p == '\0') return nullptr;

    if (const auto read = ReadDouble(p)) value = read->value;

    int digits = 0;
    bool exponentSeen = false;
    bool floating = false;
    for (; *p != '\0' && std::strchr("0123456789+-.eE", *p) != nullptr; ++p) {
        if (*p == 'e' || *p == 'E') {
            exponentSeen = true;
            floating = true;
        } else if (*p == '.') {
            floating = true;
        } else if (IsDigit(*p) && !exponentSeen) {
            ++digits;
        }
    }
    if (floating)
        kind = digits <= 10 ? 1 : 0;  // FLT32 : FLT64
    else
        kind = digits <= 5 ? 3 : 2;  // INT16 : INT32
    return p;
}

int BoundedLength(const char* text) {
    if (text == nullptr) return 0;
    const std::size_t n = strnlen(text, kLengthLimit);
    return static_cast<int>(n < kLengthLimit ? n : kLengthLimit - 1);
}

void CopyText(std::string& dest, const char* src) {
    if (src == nullptr) {
        dest.clear();
        return;
    }
    dest.assign(src, strnlen(src, kPathLimit));
}

void AppendText(std::string& dest, const char* src) {
    if (src != nullptr) dest.append(src);
}

const char* FindNoCase(const char* text, const char* word) {
    if (text == nullptr || word == nullptr) return nullptr;
    for (const char* p = text;; ++p) {
        if (MatchesAt(p, word)) return p;
        if (*p == '\0') return nullptr;
    }
}

const char* FindNoCaseNear(const char* text, const char* word, int limit) {
    if (text == nullptr || word == nullptr) return nullptr;
    const char first = Lower(*word);
    int count = 0;
    for (const char* p = text;; ++p) {
        if (MatchesAt(p, word)) return p;
        if (*p == '\0') return nullptr;
        // Characters other than the word's first letter count toward the distance.
        if (Lower(*p) != first && ++count > limit) return nullptr;
    }
}

int FormatTo(std::string& dest, const char* format, ...) {
    va_list args;
    va_start(args, format);
    dest = FormatTextV(format, args);
    va_end(args);
    if (dest.size() > kFormatLimit) dest.resize(kFormatLimit);
    return static_cast<int>(dest.size());
}

}  // namespace ondela
