#include "workspace/description_reader.h"

#include <initializer_list>
#include <string>

#include "numbers/number_text.h"
#include "settings/filter_limits.h"
#include "settings/preferences.h"
#include "settings/setting_keys.h"
#include "workspace/c_util.h"
#include "workspace/coef_format.h"

namespace ondela {

namespace {

// Keyword distances: how many characters other than its first letter may stand between the
// reading position and a keyword.
constexpr int kTypeDistance = 8;
constexpr int kFieldDistance = 32;
constexpr int kCountDistance = 40;

// A half band's attenuation below kHalfBandMinAttenuation is taken as missing; then the stored
// one is used, or this.
constexpr double kDefaultAttenuation = 60.0;

// p moved forward by k characters, but never past the terminator: positions are always computed
// from a match or a number start, which may lie close to the end of the text.
const char* Skip(const char* p, std::size_t k) {
    while (k > 0 && *p != '\0') {
        ++p;
        --k;
    }
    return p;
}

// Where the first of the words, tried in order, is found within distance of from; null when none
// is.
const char* FindFirstNear(const CUtil& util, const char* from, int distance,
                          std::initializer_list<const char*> words) {
    for (const char* word : words)
        if (const char* match = util.FindNoCaseNear(from, word, distance)) return match;
    return nullptr;
}

// The number that starts at or after p ("%lf"): 0 when what starts there is no number. Returns
// where it starts, or null when no character can begin a number.
const char* ReadNumberAfter(const CUtil& util, const char* p, double& value) {
    const char* start = util.FindNumberStart(p);
    if (start == nullptr) return nullptr;
    const auto read = ReadDouble(start);
    value = read ? read->value : 0.0;
    return start;
}

// The number after the end of the word that starts at p (the value of "Attenuation = 60").
const char* ReadNumberAfterWord(const CUtil& util, const char* p, double& value) {
    const char* end = util.FindWordEnd(p);
    return end != nullptr ? ReadNumberAfter(util, end, value) : nullptr;
}

// The stored attenuation, used for a half band whose text gives none that is usable.
double StoredAttenuation(CPreferences* prefs) {
    if (prefs == nullptr || !prefs->IsOpen()) return kDefaultAttenuation;
    std::string text;
    prefs->GetString(setting::kAttenuation, text, "60");
    const auto read = ReadDouble(text.c_str());
    return read ? read->value : kDefaultAttenuation;
}

struct TypeWord {
    const char* word;
    FilterType type;
};

// Tried in this order, first match wins: "LowPass" and "HighPass" are taken before "Pass" is
// tried; "BandPass" and "BandStop" are found by "Pass" and "Stop".
constexpr TypeWord kTypeWords[] = {
    {"Low", LowPass},   {"LP", LowPass},  {"High", HighPass}, {"HP", HighPass},
    {"Pass", BandPass}, {"BP", BandPass}, {"Stop", BandStop}, {"Cut", BandStop},
    {"BS", BandStop},   {"BC", BandStop}, {"Half", HalfBand}, {"HB", HalfBand},
};

}  // namespace

int ParseDescription(const char* text, FilterSpec& s, CPreferences* prefs) {
    s = FilterSpec{};
    if (text == nullptr) return -1;
    const CUtil util;

    const char* marker = util.FindNoCase(text, kDescriptionMarker);
    if (marker == nullptr) return -1;

    int count = 0;
    int type = 0;
    double fs = 0.0, f1 = 0.0, f2 = 0.0, attenuation = 0.0, ripple = 0.0;
    int maxCoefs = 0;

    const char* p = Skip(marker, 10);
    if (const char* param = util.FindNoCase(p, "PARAM")) p = Skip(param, 5);
    const char* const paramStart = p;

    // Filter type: a type word close behind "Type".
    const char* typeFrom = paramStart;
    if (const char* typeWord = util.FindNoCase(paramStart, "Type")) typeFrom = Skip(typeWord, 4);
    for (const TypeWord& t : kTypeWords) {
        if (const char* match = util.FindNoCaseNear(typeFrom, t.word, kTypeDistance)) {
            type = t.type;
            count = 1;
            p = Skip(match, 3);
            break;
        }
    }

    // Edge frequencies; a half band's edge follows from its sampling frequency.
    if (type == HalfBand) {
        count = 2;
    } else if (const char* fc =
                   FindFirstNear(util, p, kFieldDistance, {"fc ", "fc=", "fc1 ", "fc1="})) {
        const char* edgeFrom = p;
        if (const char* number = ReadNumberAfter(util, Skip(fc, 3), f1)) p = Skip(number, 3);
        ++count;
        if (type == BandPass || type == BandStop) {
            if (const char* fc2 = FindFirstNear(util, edgeFrom, kFieldDistance, {"fc2 ", "fc2="})) {
                if (const char* number = ReadNumberAfter(util, Skip(fc2, 3), f2))
                    p = Skip(number, 3);
            }
        }
    }

    // Sampling frequency.
    if (const char* fsWord = FindFirstNear(util, p, kFieldDistance, {"fs ", "fs="})) {
        p = Skip(fsWord, 2);
        if (const char* number = ReadNumberAfter(util, p, fs)) p = Skip(number, 1);
        ++count;
    }

    if (type == HalfBand) {
        f1 = HalfBandEdge(fs);
        f2 = 0.0;
    }

    // Attenuation.
    bool attenuationFound = false;
    if (const char* att = util.FindNoCaseNear(p, "Att", kFieldDistance)) {
        if (const char* number = ReadNumberAfterWord(util, att, attenuation)) p = Skip(number, 1);
        ++count;
        attenuationFound = true;
    }

    // Ripple. A half band's ripple is fixed, and it counts as a parameter only together with
    // the attenuation: a half band's coefficient analysis names its type and sampling frequency
    // alone and must count as 3, below the 4 that a specification to design needs.
    if (type == HalfBand) {
        ripple = kHalfBandRipple;
        if (attenuation < kHalfBandMinAttenuation) attenuation = StoredAttenuation(prefs);
        if (attenuationFound) ++count;
    } else if (const char* rip = util.FindNoCaseNear(p, "Rip", kFieldDistance)) {
        ReadNumberAfterWord(util, rip, ripple);
        ++count;
    }

    // Maximum number of coefficients ("%d").
    if (const char* coef = util.FindNoCaseNear(p, "Coef", kCountDistance)) {
        if (const char* end = util.FindWordEnd(coef)) {
            if (const char* start = util.FindNumberStart(end)) {
                if (const auto read = ReadInt(start)) maxCoefs = static_cast<int>(read->value);
            }
        }
    }

    s.fs = fs;
    s.attenuation = attenuation;
    s.ripple = ripple;
    s.f1 = f1;
    s.f2 = f2;
    s.type = static_cast<FilterType>(type);
    s.maxCoefs = maxCoefs;
    return count;
}

int ReadCoefList(const char* text, std::array<double, kCoefArraySize>& coefs, int& fmt) {
    fmt = FLT64;
    if (text == nullptr) return -1;
    const CUtil util;

    const char* marker = util.FindNoCase(text, kDescriptionMarker);
    if (marker == nullptr) return -1;
    const char* declaration = util.FindNoCase(Skip(marker, 18), kCoefDeclaration);
    if (declaration == nullptr) return -2;

    CoefListFormat listFormat;
    int n = 0;
    double value = 0.0;
    int kind = 0;
    for (const char* p = util.NextCoefToken(declaration, value, kind); p != nullptr;
         p = util.NextCoefToken(p, value, kind)) {
        if (n == kCoefArraySize) {
            // One number more than the arrays hold: the list is refused as a whole.
            coefs.fill(0.0);
            fmt = listFormat.Format();
            return kCoefListTooLong;
        }
        coefs[n++] = value;
        listFormat.Add(kind);
    }

    fmt = listFormat.Format();
    for (int i = 0; i < n; ++i) coefs[i] = CoefFromText(coefs[i], fmt);
    return n;
}

}  // namespace ondela
