#include "workspace/description_reader.h"

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "engine/filter_limits.h"
#include "numbers/number_text.h"
#include "workspace/coef_format.h"
#include "workspace/text_scan.h"

namespace ondela {

namespace {

// Keyword distances: how many characters other than its first letter may stand between the
// reading position and a keyword.
constexpr int kTypeDistance = 8;
constexpr int kFieldDistance = 32;
constexpr int kCountDistance = 40;
// How far the end of a field without a number is looked for.
constexpr std::size_t kFieldSearchLimit = 4096;

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
const char* FindFirstNear(const char* from, int distance,
                          std::initializer_list<const char*> words) {
    for (const char* word : words)
        if (const char* match = FindNoCaseNear(from, word, distance)) return match;
    return nullptr;
}

// Whether c ends a field of the header: "fc = 8000 @ fs = 48000", "Attenuation = 60.000 dB,
// Ripple = ..." and each line hold one value per field.
bool EndsField(char c) {
    return c == ',' || c == '@' || c == '\r' || c == '\n' || c == '\0';
}

// Where the number of the field that goes on at p starts: the first character that can begin a
// number before the field ends; null when the field ends first. A field without a number must
// not take the next field's.
const char* FieldNumberStart(const char* p) {
    const char* start = FindNumberStart(p);
    if (start == nullptr) return nullptr;
    for (const char* q = p; q != start; ++q)
        if (EndsField(*q)) return nullptr;
    return start;
}

// The number of the field that goes on at p ("%lf"), into value when it reads as one (value is
// left as it was otherwise). Returns where the number starts; for a field that holds no readable
// number, unread is set and the field's end is returned, from where the fields after it are
// looked for.
const char* ReadNumberAfter(const char* p, double& value, bool& unread) {
    const char* start = FieldNumberStart(p);
    const auto read = start != nullptr ? ReadDouble(start) : std::nullopt;
    if (read) {
        value = read->value;
        return start;
    }
    unread = true;
    const char* end = p;
    for (std::size_t i = 0; i < kFieldSearchLimit && !EndsField(*end); ++i) ++end;
    return end;
}

// The number after the end of the word that starts at p (the value of "Attenuation = 60").
const char* ReadNumberAfterWord(const char* p, double& value, bool& unread) {
    const char* end = FindWordEnd(p);
    if (end == nullptr) {
        unread = true;
        return nullptr;
    }
    return ReadNumberAfter(end, value, unread);
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

// The design parameters of the header into s (cleared first), their keywords without a readable
// number into unreadable; the number of parameters found, -1 without marker.
int ReadParameters(const char* text, FilterSpec& s, std::vector<std::string>& unreadable) {
    s = FilterSpec{};
    unreadable.clear();
    if (text == nullptr) return -1;

    const char* marker = FindNoCase(text, kDescriptionMarker);
    if (marker == nullptr) return -1;

    int count = 0;
    int type = 0;
    double fs = 0.0, f1 = 0.0, f2 = 0.0, attenuation = 0.0, ripple = 0.0;
    int maxCoefs = 0;
    // A field whose keyword stands there without a readable number keeps the value 0 of a
    // missing one, and is named.
    const auto note = [&unreadable](bool unread, const char* name) {
        if (unread) unreadable.emplace_back(name);
    };

    const char* p = Skip(marker, 10);
    if (const char* param = FindNoCase(p, "PARAM")) p = Skip(param, 5);
    const char* const paramStart = p;

    // Filter type: a type word close behind "Type".
    const char* typeFrom = paramStart;
    if (const char* typeWord = FindNoCase(paramStart, "Type")) typeFrom = Skip(typeWord, 4);
    for (const TypeWord& t : kTypeWords) {
        if (const char* match = FindNoCaseNear(typeFrom, t.word, kTypeDistance)) {
            type = t.type;
            count = 1;
            p = Skip(match, 3);
            break;
        }
    }

    // Edge frequencies; a half band's edge follows from its sampling frequency.
    if (type == HalfBand) {
        count = 2;
    } else if (const char* fc = FindFirstNear(p, kFieldDistance, {"fc ", "fc=", "fc1 ", "fc1="})) {
        const char* edgeFrom = p;
        bool unread = false;
        if (const char* at = ReadNumberAfter(Skip(fc, 3), f1, unread))
            p = unread ? at : Skip(at, 3);
        note(unread, "fc");
        ++count;
        if (HasTwoEdges(type)) {
            if (const char* fc2 = FindFirstNear(edgeFrom, kFieldDistance, {"fc2 ", "fc2="})) {
                bool unread2 = false;
                if (const char* at = ReadNumberAfter(Skip(fc2, 3), f2, unread2))
                    p = unread2 ? at : Skip(at, 3);
                note(unread2, "fc2");
            }
        }
    }

    // Sampling frequency.
    if (const char* fsWord = FindFirstNear(p, kFieldDistance, {"fs ", "fs="})) {
        p = Skip(fsWord, 2);
        bool unread = false;
        if (const char* at = ReadNumberAfter(p, fs, unread)) p = unread ? at : Skip(at, 1);
        note(unread, "fs");
        ++count;
    }

    if (type == HalfBand) {
        f1 = HalfBandEdge(fs);
        f2 = 0.0;
    }

    // Attenuation.
    bool attenuationFound = false;
    if (const char* att = FindNoCaseNear(p, "Att", kFieldDistance)) {
        bool unread = false;
        if (const char* at = ReadNumberAfterWord(att, attenuation, unread))
            p = unread ? at : Skip(at, 1);
        note(unread, "Attenuation");
        ++count;
        attenuationFound = true;
    }

    // Ripple. A half band's ripple is fixed, and it counts as a parameter only together with
    // the attenuation: a half band's coefficient analysis names its type and sampling frequency
    // alone and must count as 3, below the 4 that a specification to design needs.
    if (type == HalfBand) {
        ripple = kHalfBandRipple;
        if (attenuationFound) ++count;
    } else if (const char* rip = FindNoCaseNear(p, "Rip", kFieldDistance)) {
        bool unread = false;
        ReadNumberAfterWord(rip, ripple, unread);
        note(unread, "Ripple");
        ++count;
    }

    // Maximum number of coefficients ("%d").
    if (const char* coef = FindNoCaseNear(p, "Coef", kCountDistance)) {
        const char* end = FindWordEnd(coef);
        const char* start = end != nullptr ? FieldNumberStart(end) : nullptr;
        const auto read = start != nullptr ? ReadInt(start) : std::nullopt;
        if (read) maxCoefs = static_cast<int>(read->value);
        // Only a keyword with a value of its own on its line is a count field; "COEFFICIENTS",
        // the title of the list, is not.
        const bool ownLine = end != nullptr && std::find_if(coef, end, [](char c) {
                                                   return c == '\r' || c == '\n';
                                               }) == end;
        note(!read && ownLine, "Max nb of Coefficients");
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

// The coefficient list into coefs and its format into fmt; the coefficient count (coefs.size())
// or a kCoefList code.
int ReadCoefList(const char* text, std::vector<double>& coefs, int& fmt) {
    coefs.clear();
    fmt = FLT64;
    if (text == nullptr) return kCoefListNoMarker;

    const char* marker = FindNoCase(text, kDescriptionMarker);
    if (marker == nullptr) return kCoefListNoMarker;
    const char* declaration = FindNoCase(Skip(marker, 18), kCoefDeclaration);
    if (declaration == nullptr) return kCoefListNoDeclaration;

    CoefListFormat listFormat;
    int n = 0;
    double value = 0.0;
    int kind = 0;
    for (const char* p = NextCoefToken(declaration, value, kind); p != nullptr;
         p = NextCoefToken(p, value, kind)) {
        if (n == kCoefArraySize) {
            // One number more than the arrays hold: the list is refused as a whole.
            coefs.clear();
            fmt = listFormat.Format();
            return kCoefListTooLong;
        }
        coefs.push_back(value);
        ++n;
        listFormat.Add(kind);
    }

    fmt = listFormat.Format();
    for (double& c : coefs) c = CoefFromText(c, fmt);
    return n;
}

}  // namespace

DescriptionContents ReadDescription(const char* text) {
    DescriptionContents read;
    read.parameterCount = ReadParameters(text, read.spec, read.unreadableFields);
    read.coefCount = ReadCoefList(text, read.coefs, read.format);
    read.targetsMetIn = ReadTargetsMetIn(text);
    return read;
}

}  // namespace ondela
