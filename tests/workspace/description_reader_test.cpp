#include "workspace/description_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/response.h"
#include "settings/memory_settings_store.h"
#include "settings/preferences.h"
#include "tests/support/named_spec.h"
#include "workspace/description_writer.h"
#include "workspace/missing_entries.h"

namespace ondela {
namespace {

using testing::Spec;

// The text in a buffer of exactly its length plus the terminator, so that the address sanitizer
// sees any read past the end.
std::unique_ptr<char[]> Exact(const std::string& text) {
    auto buffer = std::make_unique<char[]>(text.size() + 1);
    std::copy(text.begin(), text.end(), buffer.get());
    buffer[text.size()] = '\0';
    return buffer;
}

// The description the writer makes of spec over a small coefficient set; fromSpec chooses a
// full description or that of a coefficient analysis.
std::string WrittenDescription(const FilterSpec& spec, bool fromSpec) {
    CurrentFilter filter;
    filter.request = spec;
    filter.achieved = spec;
    filter.achieved.numCoefs = 5;
    filter.taps = {-0.01, 0.2, 0.5, 0.2, -0.01};
    filter.origin = fromSpec ? FilterOrigin::Designed : FilterOrigin::LoadedCoefs;
    const DescriptionText written = DescribeFilter(filter, 0);
    EXPECT_FALSE(written.missing.has_value());
    return written.text;
}

struct Parsed {
    int count;
    FilterSpec s;
};

Parsed Parse(const std::string& text) {
    const auto buffer = Exact(text);
    const DescriptionContents read = ReadDescription(buffer.get());
    return Parsed{read.parameterCount, read.spec};
}

// ---------------------------------------------------------------------------------------------
// The parameters

TEST(ReadDescription, ReadsBackTheParametersTheWriterWrote) {
    struct Case {
        FilterSpec spec;
        bool fromSpec;
        int count;
        FilterSpec expected;
    };
    // clang-format off
    const Case cases[] = {
        {Spec{.f1 = 8000, .ripple = 0.5, .maxCoefs = 63}, true, 5, Spec{.f1 = 8000, .ripple = 0.5, .maxCoefs = 63}},
        {Spec{.type = HighPass, .f1 = 5512.5, .attenuation = 72.25, .ripple = 0.125, .maxCoefs = 101, .fs = 44100}, true, 5, Spec{.type = HighPass, .f1 = 5512.5, .attenuation = 72.25, .ripple = 0.125, .maxCoefs = 101, .fs = 44100}},
        {Spec{.type = BandPass, .f1 = 1000, .f2 = 3000, .attenuation = 50, .ripple = 1, .maxCoefs = 255}, true, 5, Spec{.type = BandPass, .f1 = 1000, .f2 = 3000, .attenuation = 50, .ripple = 1, .maxCoefs = 255}},
        {Spec{.type = BandStop, .f1 = 1200.5, .f2 = 2000, .attenuation = 40, .ripple = 0.2, .maxCoefs = 4096, .fs = 8000}, true, 5, Spec{.type = BandStop, .f1 = 1200.5, .f2 = 2000, .attenuation = 40, .ripple = 0.2, .maxCoefs = 4096, .fs = 8000}},
        // A half band's edge is a quarter of the sampling frequency and its ripple is fixed.
        {Spec{.type = HalfBand, .f1 = 24000, .attenuation = 70, .ripple = 0.5, .maxCoefs = 43, .fs = 96000}, true, 5, Spec{.type = HalfBand, .f1 = 24000, .attenuation = 70, .ripple = 0.001, .maxCoefs = 43, .fs = 96000}},
        // Coefficient analyses name type and sampling frequency only; the count of the array's
        // "#define NBCOEFS 5" is taken as the maximum.
        {Spec{.f1 = 8000, .ripple = 0.5, .maxCoefs = 63}, false, 2, Spec{.f1 = 0, .attenuation = 0, .ripple = 0, .maxCoefs = 5}},
        {Spec{.type = BandStop, .f1 = 1000, .f2 = 2000, .attenuation = 40, .ripple = 0.2, .maxCoefs = 63, .fs = 8000}, false, 2, Spec{.type = BandStop, .f1 = 0, .attenuation = 0, .ripple = 0, .maxCoefs = 5, .fs = 8000}},
        // A half band's is 3, below the 4 of a specification, so that Load measures it; its
        // attenuation is missing (0), for the caller to complete.
        {Spec{.type = HalfBand, .f1 = 24000, .attenuation = 70, .ripple = 0.5, .maxCoefs = 43, .fs = 96000}, false, 3, Spec{.type = HalfBand, .f1 = 24000, .attenuation = 0, .ripple = 0.001, .maxCoefs = 5, .fs = 96000}},
    };
    // clang-format on
    for (const Case& c : cases) {
        const std::string text = WrittenDescription(c.spec, c.fromSpec);
        SCOPED_TRACE(text.substr(0, 300));
        const Parsed p = Parse(text);
        EXPECT_EQ(p.count, c.count);
        EXPECT_EQ(p.s.type, c.expected.type);
        EXPECT_EQ(p.s.fs, c.expected.fs);
        EXPECT_EQ(p.s.f1, c.expected.f1);
        EXPECT_EQ(p.s.f2, c.expected.f2);
        EXPECT_EQ(p.s.attenuation, c.expected.attenuation);
        EXPECT_EQ(p.s.ripple, c.expected.ripple);
        EXPECT_EQ(p.s.maxCoefs, c.expected.maxCoefs);
        EXPECT_EQ(p.s.numCoefs, 0);
    }
}

TEST(ReadDescription, ToleratesHandWrittenHeaders) {
    struct Case {
        const char* text;
        int count;
        int type;
        double f1, f2, fs, attenuation, ripple;
    };
    const Case cases[] = {
        {"ONDELA\nPARAMETERS\nType = lowpass, fc = 1000 @ fs = 48000\n"
         "Attenuation = 60 dB, Ripple = 0.5 dB\n",
         5, LowPass, 1000, 0, 48000, 60, 0.5},
        {"Ondela PARAMETERS\nType = BandStop, fc1 = 1000, fc2 = 3000 @ fs = 48000\n", 3, BandStop,
         1000, 3000, 48000, 0, 0},
        // Eight characters other than "s" stand before "stop".
        {"Ondela PARAMETERS\nType = band stop filter, fc1 = 1000, fc2 = 3000 @ fs = 48000\n", 3,
         BandStop, 1000, 3000, 48000, 0, 0},
        // No type word close enough: the edges are still looked for from the parameter start.
        {"Ondela PARAMETERS Type = the band pass, fc=1500, fs=8000", 2, 0, 1500, 0, 8000, 0, 0},
        {"Ondela PARAMETERS\nType = LowPass, fc=1500 @ fs=8000\n", 3, LowPass, 1500, 0, 8000, 0, 0},
        {"Ondela PARAMETERS\nType = LowPass, fc 1500 @ fs 8000\n", 3, LowPass, 1500, 0, 8000, 0, 0},
        // The number right after "Attenuation=" is read, not that of the next field.
        {"Ondela PARAMETERS\nType = HighPass, fc = 100 @ fs = "
         "8000\nAttenuation=60dB,Ripple=0.5dB\n",
         5, HighPass, 100, 0, 8000, 60, 0.5},
        // Hexadecimal numbers, "nan" and "inf", and numbers beyond double range read as no number.
        {"Ondela PARAMETERS\nType = LowPass, fc = 0x10 @ fs = -nan\nAttenuation = +inf, Ripple = "
         "1e999\n",
         5, LowPass, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const Parsed p = Parse(c.text);
        EXPECT_EQ(p.count, c.count);
        EXPECT_EQ(p.s.type, c.type);
        EXPECT_EQ(p.s.f1, c.f1);
        EXPECT_EQ(p.s.f2, c.f2);
        EXPECT_EQ(p.s.fs, c.fs);
        EXPECT_EQ(p.s.attenuation, c.attenuation);
        EXPECT_EQ(p.s.ripple, c.ripple);
    }
}

// A field whose value is no number reads as a missing one and is named; it never hands the
// next field's value on, nor moves the fields after it.
TEST(ReadDescription, AFieldWithoutANumberKeepsItsNeighboursValues) {
    const std::string text =
        "Ondela Filter\r\nPARAMETERS\r\n----------\r\n"
        "Type = BandPass, fc1 = 4000, fc2 = 8000 @ fs = 44100\r\n"
        "Attenuation = 50.000 dB, Ripple = 0.300 dB\r\nMax nb of Coefficients = 81\r\n";
    struct Case {
        const char* value;  // the value replaced
        const char* by;
        Spec want;
        std::vector<std::string> unreadable;
    };
    // clang-format off
    const Case cases[] = {
        {"50.000", "abc", Spec{.type = BandPass, .f1 = 4000, .f2 = 8000, .attenuation = 0, .ripple = 0.3, .maxCoefs = 81, .fs = 44100}, {"Attenuation"}},
        {"0.300", "none", Spec{.type = BandPass, .f1 = 4000, .f2 = 8000, .attenuation = 50, .ripple = 0, .maxCoefs = 81, .fs = 44100}, {"Ripple"}},
        {"4000", "?", Spec{.type = BandPass, .f1 = 0, .f2 = 8000, .attenuation = 50, .ripple = 0.3, .maxCoefs = 81, .fs = 44100}, {"fc"}},
        {"8000", "", Spec{.type = BandPass, .f1 = 4000, .f2 = 0, .attenuation = 50, .ripple = 0.3, .maxCoefs = 81, .fs = 44100}, {"fc2"}},
        {"44100", "k", Spec{.type = BandPass, .f1 = 4000, .f2 = 8000, .attenuation = 50, .ripple = 0.3, .maxCoefs = 81, .fs = 0}, {"fs"}},
        {"81", "many", Spec{.type = BandPass, .f1 = 4000, .f2 = 8000, .attenuation = 50, .ripple = 0.3, .maxCoefs = 0, .fs = 44100}, {"Max nb of Coefficients"}},
        {"50.000", "nan", Spec{.type = BandPass, .f1 = 4000, .f2 = 8000, .attenuation = 0, .ripple = 0.3, .maxCoefs = 81, .fs = 44100}, {"Attenuation"}},
    };
    // clang-format on
    for (const Case& c : cases) {
        std::string edited = text;
        edited.replace(edited.find(c.value), std::string(c.value).size(), c.by);
        SCOPED_TRACE(edited);
        const auto buffer = Exact(edited);
        const DescriptionContents read = ReadDescription(buffer.get());
        const FilterSpec& s = read.spec;
        EXPECT_EQ(read.parameterCount, 5);
        EXPECT_EQ(s.type, c.want.type);
        EXPECT_EQ(s.fs, c.want.fs);
        EXPECT_EQ(s.f1, c.want.f1);
        EXPECT_EQ(s.f2, c.want.f2);
        EXPECT_EQ(s.attenuation, c.want.attenuation);
        EXPECT_EQ(s.ripple, c.want.ripple);
        EXPECT_EQ(s.maxCoefs, c.want.maxCoefs);
        EXPECT_EQ(read.unreadableFields, c.unreadable);
    }
    // The text as written names none.
    const auto buffer = Exact(text);
    EXPECT_TRUE(ReadDescription(buffer.get()).unreadableFields.empty());
}

TEST(ReadDescription, HalfBandAttenuationIsReadAsWrittenAndCompletedByTheCaller) {
    const std::string text =
        "Ondela\nPARAMETERS\nType = HalfBand, fs = 48000\nAttenuation = 20.000 dB\n"
        "Max nb of Coefficients = 31\n";
    MemorySettingsStore store;
    Preferences prefs(&store);
    ASSERT_TRUE(prefs.OpenKeys());

    // The reader reads no settings: the attenuation stands as written.
    const Parsed p = Parse(text);
    EXPECT_EQ(p.count, 5);
    EXPECT_EQ(p.s.attenuation, 20.0);
    EXPECT_TRUE(store.Values().empty());

    // Below 30 dB it is missing: the default "60" is used and stored.
    FilterSpec s = p.s;
    CompleteHalfBandAttenuation(s, &prefs);
    EXPECT_EQ(s.attenuation, 60.0);
    EXPECT_EQ(std::get<std::string>(store.Values().at("ATT")), "60");

    store.Plant("ATT", std::string("75.500000"));
    s = p.s;
    CompleteHalfBandAttenuation(s, &prefs);
    EXPECT_EQ(s.attenuation, 75.5);
    // Without a settings key the default applies; 30 dB or more is kept, and so is any
    // attenuation of another type.
    s = p.s;
    CompleteHalfBandAttenuation(s, nullptr);
    EXPECT_EQ(s.attenuation, 60.0);
    std::string kept = text;
    kept.replace(kept.find("20.000"), 6, "30.000");
    s = Parse(kept).s;
    CompleteHalfBandAttenuation(s, &prefs);
    EXPECT_EQ(s.attenuation, 30.0);
    s = Spec{.attenuation = 20.0};
    CompleteHalfBandAttenuation(s, &prefs);
    EXPECT_EQ(s.attenuation, 20.0);
}

TEST(ReadDescription, CountsFromTheText) {
    struct Case {
        const char* text;
        int maxCoefs;
    };
    const Case cases[] = {
        {"Ondela PARAMETERS Type = LowPass, fc = 1 @ fs = 8\nMax nb of Coefficients = 127", 127},
        {"Ondela PARAMETERS Type = LowPass, fc = 1 @ fs = 8\nMax nb of Coefficients = -5", -5},
        {"Ondela PARAMETERS Type = LowPass, fc = 1 @ fs = 8\nMax nb of Coefficients = 99999999999",
         INT32_MAX},
        {"Ondela PARAMETERS Type = LowPass, fc = 1 @ fs = 8\nMax nb of Coefficients = 12.9", 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Parse(c.text).s.maxCoefs, c.maxCoefs);
    }
}

TEST(ReadDescription, TextWithoutMarkerOrEndingEarly) {
    EXPECT_EQ(Parse("PARAMETERS Type = LowPass, fc = 1000 @ fs = 48000").count, -1);
    EXPECT_EQ(Parse("").count, -1);
    const DescriptionContents none = ReadDescription(nullptr);
    EXPECT_EQ(none.parameterCount, -1);
    EXPECT_EQ(none.spec.fs, 0.0);
    EXPECT_EQ(none.coefCount, kCoefListNoMarker);
    EXPECT_FALSE(none.targetsMetIn.has_value());
    // Texts that end right at or inside a keyword: every position stays within the text.
    for (const char* text : {"Ondela", "xOndela PARAM", "Ondela PARAMETERS Type = LP",
                             "Ondela PARAMETERS Type = HB, fs", "Ondela PARAMETERS Type=Low fc=",
                             "Ondela PARAMETERS Type = HP fc 3 fs 8 Att", "Ondela Coef"}) {
        SCOPED_TRACE(text);
        EXPECT_GE(Parse(text).count, 0);
    }
}

// ---------------------------------------------------------------------------------------------
// The coefficient list

struct ListRead {
    int n;
    int fmt;
    std::vector<double> coefs;
};

ListRead ReadList(const std::string& text) {
    const auto buffer = Exact(text);
    DescriptionContents read = ReadDescription(buffer.get());
    return ListRead{read.coefCount, read.format, std::move(read.coefs)};
}

std::string List(const std::string& values) {
    return "Ondela Filter\r\n#define NBCOEFS 3\r\nstatic double m_firCoefs[NBCOEFS] = {" + values +
           " };\r\n";
}

TEST(ReadDescription, DetectsTheListFormatAndConvertsEachValue) {
    struct Case {
        const char* what;
        const char* values;
        int fmt;
        std::vector<double> coefs;
    };
    const Case cases[] = {
        {"FLT64",
         " 1.0000000000000001e-001,-2.5000000000000000e-001, 5.0000000000000000e-001",
         FLT64,
         {0.1, -0.25, 0.5}},
        {"FLT32 values are rounded to single precision",
         " 1.00000001e-001,-3.33333343e-001",
         FLT32,
         {RoundToFloat(0.1), RoundToFloat(-1.0 / 3)}},
        {"two FLT32-looking numbers and one of 17 digits make FLT64",
         " 1.00000001e-001, 2.5e-001, 3.3333333333333331e-001",
         FLT64,
         {0.100000001, 0.25, 0.33333333333333331}},
        {"INT32",
         "  2147483647, -1073741823,      214748",
         INT32,
         {1.0, -1073741823 / 2147483647.0, 214748 / 2147483647.0}},
        {"INT16 values wrap to 16 bits",
         "  32767, -16383,  49150",
         INT16,
         {1.0, -16383 / 32767.0, -16386 / 32767.0}},
        {"one longer integer makes the whole list INT32",
         " 32767, 123456",
         INT32,
         {32767 / 2147483647.0, 123456 / 2147483647.0}},
        {"numbers after the closing brace count too",
         " 1.5e-001 }; // 2",
         FLT32,
         {RoundToFloat(0.15), 2.0}},
        {"no numbers: INT16", "", INT16, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ListRead r = ReadList(List(c.values));
        ASSERT_EQ(r.n, static_cast<int>(c.coefs.size()));
        EXPECT_EQ(r.fmt, c.fmt);
        EXPECT_EQ(r.coefs, c.coefs);
    }
}

TEST(ReadDescription, ListWithoutMarkerOrDeclaration) {
    ListRead r = ReadList("static double m_firCoefs[NBCOEFS] = { 0.5, 0.25 };");
    EXPECT_EQ(r.n, kCoefListNoMarker);
    EXPECT_EQ(r.fmt, FLT64);
    r = ReadList("Ondela Filter\r\nstatic short coefs[] = { 1, 2, 3 };");
    EXPECT_EQ(r.n, kCoefListNoDeclaration);
    EXPECT_EQ(r.fmt, FLT64);
    EXPECT_TRUE(r.coefs.empty());
    // The declaration is looked for from 18 characters after the marker's start.
    EXPECT_EQ(ReadList("Ondela m_firCoefs[NBCOEFS] = { 1, 2 };").n, kCoefListNoDeclaration);
}

TEST(ReadDescription, ListLongerThanTheArraysIsRefusedWhole) {
    std::string values;
    for (int i = 0; i < kCoefArraySize; ++i) values += " 1.00000001e-001,";
    ListRead r = ReadList(List(values));
    EXPECT_EQ(r.n, kCoefArraySize);
    EXPECT_EQ(r.fmt, FLT32);
    ASSERT_EQ(r.coefs.size(), static_cast<size_t>(kCoefArraySize));
    EXPECT_EQ(r.coefs.back(), RoundToFloat(0.100000001));

    r = ReadList(List(values + " 2.5e-001"));
    EXPECT_EQ(r.n, kCoefListTooLong);
    EXPECT_TRUE(r.coefs.empty());
}

// ---------------------------------------------------------------------------------------------
// Malformed text of every kind: the readers return, within the text and the arrays.

TEST(ReadDescription, MalformedTextNeverReadsOrWritesOutside) {
    std::vector<std::string> texts = {
        std::string("Ondela\0PARAMETERS Type = LowPass", 32),
        "Ondela m_firCoefs[NBCOEFS] = {" + std::string(300000, '7') + "};",
        "Ondela PARAMETERS Type = LowPass fc = " + std::string(300000, '9') + " @ fs = 1",
        "Ondela PARAMETERS Type = LowPass fc = ." + std::string(300000, '5'),
        "Ondela " + std::string(600000, 'x') + " Attenuation",
        "Ondela m_firCoefs[NBCOEFS] = { nan, -inf, 0x1p3, 1e99999, -, +., 1e, 1e+ };",
    };
    // Fragments of descriptions and junk bytes in random order.
    const std::vector<std::string> pieces = {"Ondela",
                                             "PARAM",
                                             "Type",
                                             " = ",
                                             "LowPass",
                                             "HalfBand",
                                             "fc ",
                                             "fc=",
                                             "fc2=",
                                             "fs ",
                                             "fs=",
                                             "Att",
                                             "Rip",
                                             "Coef",
                                             "m_firCoefs[NBCOEFS]",
                                             "{",
                                             "}",
                                             "-",
                                             ".",
                                             "e",
                                             "1e999",
                                             "12345",
                                             "-2.5e-001",
                                             "\xff\x80",
                                             "\x01\x7f",
                                             "\r\n",
                                             " ",
                                             "=",
                                             "99999999999999999999",
                                             "0x1F",
                                             "nan"};
    std::mt19937 random(12345);
    for (int t = 0; t < 300; ++t) {
        std::string text;
        const int length = static_cast<int>(random() % 40);
        for (int i = 0; i < length; ++i) text += pieces[random() % pieces.size()];
        texts.push_back(text);
    }
    for (const std::string& text : texts) {
        const auto buffer = Exact(text);
        const DescriptionContents read = ReadDescription(buffer.get());
        EXPECT_GE(read.parameterCount, -1);
        EXPECT_LE(read.parameterCount, 5);
        EXPECT_GE(read.coefCount, -2);
        EXPECT_LE(read.coefCount, kCoefArraySize);
        EXPECT_EQ(read.coefs.size(), static_cast<size_t>(std::max(read.coefCount, 0)));
        EXPECT_TRUE(read.format >= FLT64 && read.format <= INT16);
    }
}

}  // namespace
}  // namespace ondela
