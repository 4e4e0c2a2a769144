#include "settings/preferences.h"

#include <cmath>
#include <cstring>
#include <optional>

#include "engine/filter_limits.h"
#include "numbers/number_text.h"
#include "settings/setting_keys.h"

namespace ondela {
namespace {

// Room for a stored text, terminator included. The last file path gets room for a full path
// of 520 characters, so a long path is remembered instead of being replaced by the default.
constexpr std::size_t kTextRoom = 128;
constexpr std::size_t kPathRoom = 521;
constexpr std::size_t kMaxDefaultLength = 520;

// A text counts as present only when it holds a visible character: a byte above the space
// other than DEL; bytes of 0x80 and above do not count.
bool HasVisibleCharacter(const std::string& text) {
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b > 0x20 && b < 0x7F) return true;
    }
    return false;
}

std::optional<double> NumberOf(const std::string& text) {
    const auto read = ReadDouble(text.c_str());
    if (!read) return std::nullopt;
    return read->value;
}

}  // namespace

Preferences::Preferences(SettingsStore* store) : m_store(store) {}

Preferences::~Preferences() = default;

bool Preferences::OpenKeys() {
    if (m_store == nullptr) return false;
    return m_store->OpenKey(SettingsKey::Root) && m_store->OpenKey(SettingsKey::Preferences);
}

bool Preferences::IsOpen() const {
    return m_store != nullptr && m_store->IsOpen();
}

uint32_t Preferences::GetUnsigned(const char* name, uint32_t def) {
    if (!IsOpen() || name == nullptr) return 0;
    if (const auto stored = m_store->ReadUnsigned(name)) return *stored;
    m_store->WriteUnsigned(name, def);
    return def;
}

int Preferences::GetString(const char* name, std::string& out, const char* def) {
    if (!IsOpen() || name == nullptr) return 0;
    const std::size_t room = std::strcmp(name, setting::kFileInPath) == 0 ? kPathRoom : kTextRoom;
    if (auto stored = m_store->ReadString(name, room)) {
        stored->resize(std::strlen(stored->c_str()));  // a text ends at its first zero
        if (HasVisibleCharacter(*stored)) {
            out = std::move(*stored);
            return static_cast<int>(out.size());
        }
    }
    out.assign(def != nullptr ? def : "");
    if (out.size() > kMaxDefaultLength) out.resize(kMaxDefaultLength);
    m_store->WriteString(name, out);
    return static_cast<int>(out.size());
}

double Preferences::GetDouble(const char* name, double def) {
    if (!IsOpen() || name == nullptr) return 0.0;
    const std::string defText = FormatText("%lf", def);
    std::string text;
    GetString(name, text, defText.c_str());
    if (text.empty()) return def;
    return NumberOf(text).value_or(0.0);
}

void Preferences::SetString(const char* name, const std::string& text) {
    if (!IsOpen() || name == nullptr) return;
    m_store->WriteString(name, text);  // a failed write is not reported
}

void Preferences::SetUnsigned(const char* name, uint32_t value) {
    if (!IsOpen() || name == nullptr) return;
    m_store->WriteUnsigned(name, value);
}

void Preferences::LoadSpec(FilterSpec& spec) {
    const uint32_t type = GetUnsigned(setting::kType, 1);
    spec.type = type >= 1 && type <= 5 ? static_cast<FilterType>(type) : LowPass;

    // Each number replaces its field only when a stored text was found and reads as a number;
    // the accepted range is then applied to it.
    std::string text;
    if (GetString(setting::kSamplingFreq, text, "48000.0") > 0) {
        if (const auto v = NumberOf(text)) spec.fs = *v < 0.0 ? 48000.0 : *v;
    }
    if (GetString(setting::kEdgeFreq1, text, "10000.0") > 0) {
        if (auto v = NumberOf(text)) {
            if (*v < 0.0) *v = 0.0;
            if (*v > spec.fs / 2.0) *v = spec.fs / 2.0;
            spec.f1 = *v;
        }
    }
    if (GetString(setting::kEdgeFreq2, text, "20000.0") > 0) {
        if (auto v = NumberOf(text)) {
            if (*v < 0.0) *v = 0.0;
            if (*v > kMaxEdgeFraction * spec.fs) *v = kMaxEdgeFraction * spec.fs;
            spec.f2 = *v;
        }
    }
    if (GetString(setting::kAttenuation, text, "60") > 0) {
        if (const auto v = NumberOf(text))
            spec.attenuation = std::fmin(std::fabs(*v), kMaxAttenuation);
    }
    if (GetString(setting::kRipple, text, "0.4") > 0) {
        if (const auto v = NumberOf(text))
            spec.ripple = std::fmin(std::fmax(std::fabs(*v), kMinRipple), kMaxRipple);
    }

    const uint32_t coefs = GetUnsigned(setting::kMaxCoefs, kDefaultMaxCoefs);
    spec.maxCoefs = coefs <= kMaxCoefs ? static_cast<int32_t>(coefs) : 1024;
}

void Preferences::SaveSpec(FilterSpec& spec) {
    if (spec.maxCoefs < 0 || spec.maxCoefs > kMaxCoefs) spec.maxCoefs = 1024;
    if (!IsOpen()) return;
    m_store->WriteUnsigned(setting::kType, static_cast<uint32_t>(spec.type));
    m_store->WriteString(setting::kSamplingFreq, FormatText("%lf", spec.fs));
    m_store->WriteString(setting::kEdgeFreq1, FormatText("%lf", spec.f1));
    m_store->WriteString(setting::kEdgeFreq2, FormatText("%lf", spec.f2));
    m_store->WriteString(setting::kAttenuation, FormatText("%lf", spec.attenuation));
    m_store->WriteString(setting::kRipple, FormatText("%lf", spec.ripple));
    m_store->WriteUnsigned(setting::kMaxCoefs, static_cast<uint32_t>(spec.maxCoefs));
}

}  // namespace ondela
