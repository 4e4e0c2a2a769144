#include "workspace/c_util.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdarg>
#include <cstring>
#include <ctime>
#include <stdexcept>

#include "engine/response.h"
#include "numbers/number_text.h"

namespace ondela {
namespace {

constexpr int kMaxPrintable = 4095;
constexpr std::size_t kNumberSearchLimit = 50000;
constexpr std::size_t kWordSearchLimit = 500000;
constexpr std::size_t kFrequencyTextLimit = 32;
constexpr std::size_t kDirectoryLimit = 259;
constexpr std::size_t kModuleDirectoryLimit = 258;
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

// Decimal exponent and leading digit of x as "%le" prints it (seven significant digits, so
// 9.9999999 counts as 1.000000e+001). False when the text does not start with a digit after an
// optional sign, as for infinities and NaN.
bool ScientificParts(double x, int& exponent, int& leadingDigit) {
    const std::string text = FormatText("%le", x);
    const char* p = text.c_str();
    if (*p == '-') ++p;
    if (!IsDigit(*p)) return false;
    leadingDigit = *p - '0';
    const char* e = std::strchr(p, 'e');
    if (e == nullptr) return false;
    const auto read = ReadInt(e + 1);
    if (!read) return false;
    exponent = static_cast<int>(read->value);
    return true;
}

}  // namespace

CUtil::~CUtil() = default;

double CUtil::ResponseMagnitude(const double* coefs, int n, double x, int fmt) const {
    if (coefs == nullptr) n = 0;
    return MagnitudeAt(coefs, n, x, fmt);
}

int CUtil::ModuleDirectory(std::string& dest) const {
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return 0;
    path[length] = '\0';
    char* cut = std::strrchr(path, '/');
    if (cut != nullptr) *cut = '\0';
    dest.assign(path, strnlen(path, kModuleDirectoryLimit));
    return static_cast<int>(length);
}

std::string CUtil::DirectoryOf(const char* path) const {
    if (path == nullptr) return {};
    std::string dir(path, strnlen(path, kDirectoryLimit));
    std::size_t cut = dir.rfind('\\');
    if (cut == std::string::npos) cut = dir.rfind('/');
    if (cut == std::string::npos) return {};
    dir.resize(cut);
    return dir;
}

int CUtil::FileExists(const char* path) const {
    struct stat info {};
    if (path == nullptr || stat(path, &info) != 0) return 0;
    return S_ISDIR(info.st_mode) ? 0 : 1;
}

int CUtil::PrintableLength(const char* text) const {
    if (text == nullptr) return 0;
    int n = 0;
    while (n < kMaxPrintable) {
        const auto c = static_cast<unsigned char>(text[n]);
        if (c < 0x20 || c >= 0x7F) break;
        ++n;
    }
    return n;
}

const char* CUtil::FindNumberStart(const char* p) const {
    if (p == nullptr) return nullptr;
    for (std::size_t i = 0; i < kNumberSearchLimit && p[i] != '\0'; ++i)
        if (IsDigit(p[i]) || p[i] == '+' || p[i] == '-' || p[i] == '.') return p + i;
    return nullptr;
}

const char* CUtil::FindWordEnd(const char* p) const {
    if (p == nullptr) return nullptr;
    // "=" ends a word too, so that in "Attenuation=60dB" the number right after the keyword is
    // found, not the one of the next field.
    for (std::size_t i = 0; i < kWordSearchLimit; ++i)
        if (p[i] == ' ' || p[i] == '=' || p[i] == '\0') return p + i;
    return nullptr;
}

const char* CUtil::NextCoefToken(const char* p, double& value, int& kind) const {
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

double CUtil::ParseFrequency(const char* text) const {
    if (text == nullptr) return 0.0;
    const double multiplier = FindNoCase(text, "khz") != nullptr ? 1000.0 : 1.0;
    std::string copy(text, strnlen(text, kFrequencyTextLimit));
    for (char& c : copy)
        if (c == ',') c = '.';
    const auto read = ReadDouble(copy.c_str());
    return read ? read->value * multiplier : 0.0;
}

double CUtil::RoundDisplay(double x) const {
    const double a = std::fabs(x);
    if (a < 0.01) return 0.0;
    double m = 1.0;
    if (a >= 1000.0)
        m = 0.1;
    else
        while (m * a < 100.0) m *= 10.0;
    const double r = std::trunc(m * a + 0.5);
    return std::copysign(r / m, x);
}

double CUtil::NiceCeil(double x) const {
    int e = 0;
    int leading = 0;
    if (!ScientificParts(x, e, leading)) return x;  // infinities and NaN stay as they are
    const double scale = std::pow(10.0, e);
    const double sign = x < 0.0 ? -1.0 : 1.0;
    for (int k = 0; k <= 9; ++k) {
        const double y = k == 0 ? 0.0 : sign * k * scale;
        if (y > x || std::fabs(y - x) < 2.5e-16) return y;
    }
    return std::pow(10.0, e + 1);
}

double CUtil::NiceStep(bool up, double x) const {
    int e = 0;
    int d = 0;
    if (!ScientificParts(x, e, d)) return 0.0;
    if (x < 0.0) up = !up;
    if (up) return x == 0.0 ? 1.0 : x * (d + 1) / d;
    return d < 1.99999999 ? x * 0.9 : x * (d - 1) / d;
}

int CUtil::BoundedLength(const char* text) const {
    if (text == nullptr) return 0;
    const std::size_t n = strnlen(text, kLengthLimit);
    return static_cast<int>(n < kLengthLimit ? n : kLengthLimit - 1);
}

void CUtil::CopyText(std::string& dest, const char* src) const {
    if (src == nullptr) {
        dest.clear();
        return;
    }
    dest.assign(src, strnlen(src, kPathLimit));
}

void CUtil::AppendText(std::string& dest, const char* src) const {
    if (src != nullptr) dest.append(src);
}

const char* CUtil::FindNoCase(const char* text, const char* word) const {
    if (text == nullptr || word == nullptr) return nullptr;
    for (const char* p = text;; ++p) {
        if (MatchesAt(p, word)) return p;
        if (*p == '\0') return nullptr;
    }
}

const char* CUtil::FindNoCaseNear(const char* text, const char* word, int limit) const {
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

int CUtil::FormatTo(std::string& dest, const char* format, ...) const {
    va_list args;
    va_start(args, format);
    dest = FormatTextV(format, args);
    va_end(args);
    if (dest.size() > kFormatLimit) dest.resize(kFormatLimit);
    return static_cast<int>(dest.size());
}

std::string CUtil::TimeStamp(int64_t t) const {
    return LocalTimeStamp(t);
}

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
