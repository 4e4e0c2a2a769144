#include "workspace/missing_entries.h"

#include <cstdint>
#include <string>

#include "engine/filter_limits.h"
#include "numbers/number_text.h"
#include "settings/preferences.h"
#include "settings/setting_keys.h"
#include "workspace/view_state.h"

namespace ondela {

namespace {
constexpr double kMinShown = ViewState::kSmallestShown;  // smaller values leave a field empty
// A half band's attenuation when neither its description nor the settings give one.
constexpr double kDefaultHalfBandAttenuation = 60.0;
}  // namespace

void CompleteHalfBandAttenuation(FilterSpec& s, Preferences* prefs) {
    if (s.type != HalfBand || !(s.attenuation < kHalfBandMinAttenuation)) return;
    s.attenuation = kDefaultHalfBandAttenuation;
    if (prefs == nullptr || !prefs->IsOpen()) return;
    std::string text;
    prefs->GetString(setting::kAttenuation, text, "60");
    if (const auto read = ReadDouble(text.c_str())) s.attenuation = read->value;
}

void CompleteSpec(FilterSpec& s, const FieldReaders& fields, Preferences* prefs) {
    auto storedDouble = [prefs](const char* name, double def) {
        return prefs ? prefs->GetDouble(name, def) : 0.0;
    };
    auto storedDword = [prefs](const char* name, uint32_t def) {
        return prefs ? static_cast<int>(prefs->GetUnsigned(name, def)) : 0;
    };

    if (!(s.fs >= kMinShown)) {
        s.fs = fields.fs();
        if (!(s.fs >= kMinShown)) s.fs = storedDouble(setting::kSamplingFreq, 48000.0);
        if (!(s.fs >= kMinShown)) s.fs = 48000.0;
    }
    const double nyq = s.fs / 2.0;

    if (s.type <= 0) {
        s.type = static_cast<FilterType>(fields.type());
        if (s.type == 0) s.type = static_cast<FilterType>(storedDword(setting::kType, LowPass));
        if (s.type <= 0) s.type = LowPass;
    }
    if (!(s.f1 >= kMinShown)) {
        s.f1 = fields.f1();
        if (!(s.f1 >= kMinShown)) s.f1 = storedDouble(setting::kEdgeFreq1, nyq / 2.0);
        if (!(s.f1 >= kMinShown)) s.f1 = nyq / 2.0;
        if (s.f1 >= nyq) s.f1 = nyq / 2.0;
    }
    if (!(s.f2 >= kMinShown)) {
        s.f2 = fields.f2();
        if (!(s.f2 >= kMinShown)) s.f2 = storedDouble(setting::kEdgeFreq2, 2.0 * nyq / 3.0);
        if (!(s.f2 > 0.0) || s.f2 >= nyq) s.f2 = 2.0 * nyq / 3.0;
        if (!(s.f2 > s.f1)) s.f2 = nyq + s.f1 / 2.0;
    }
    if (!(s.attenuation > 0.0)) {
        s.attenuation = fields.attenuation();
        if (!(s.attenuation > 0.0)) s.attenuation = storedDouble(setting::kAttenuation, 40.0);
        if (!(s.attenuation > 0.0)) s.attenuation = 40.0;
    }
    if (!(s.ripple > 0.0)) {
        s.ripple = fields.ripple();
        if (!(s.ripple > 0.0)) s.ripple = storedDouble(setting::kRipple, 0.4);
        if (!(s.ripple > 0.0)) s.ripple = 0.4;
    }
    if (s.maxCoefs <= 0) s.maxCoefs = fields.maxCoefs();
}

}  // namespace ondela
