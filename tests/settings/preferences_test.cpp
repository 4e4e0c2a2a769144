#include "settings/preferences.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "settings/memory_settings_store.h"

namespace ondela {
namespace {

using Value = MemorySettingsStore::Value;

class PreferencesTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(prefs.OpenKeys()); }

    // The stored value, or a text "<missing>" when there is none.
    Value Stored(const std::string& name) const {
        const auto it = store.Values().find(name);
        return it == store.Values().end() ? Value(std::string("<missing>")) : it->second;
    }

    MemorySettingsStore store;
    Preferences prefs{&store};
};

TEST_F(PreferencesTest, FirstRunLoadsAndWritesEveryDefault) {
    FilterSpec filter;
    prefs.LoadSpec(filter);
    EXPECT_EQ(prefs.GetUnsigned("LogFreqScale", 0), 0u);
    EXPECT_EQ(prefs.GetUnsigned("COEF_FORMAT", 1), 1u);

    EXPECT_EQ(filter.type, LowPass);
    EXPECT_EQ(filter.fs, 48000.0);
    EXPECT_EQ(filter.f1, 10000.0);
    EXPECT_EQ(filter.f2, 20000.0);
    EXPECT_EQ(filter.attenuation, 60.0);
    EXPECT_EQ(filter.ripple, 0.4);
    EXPECT_EQ(filter.maxCoefs, 127);

    const std::map<std::string, Value> expected = {
        {"TYPE", 1u},
        {"FS", std::string("48000.0")},
        {"F1", std::string("10000.0")},
        {"F2", std::string("20000.0")},
        {"ATT", std::string("60")},
        {"RIPPLE", std::string("0.4")},
        {"NBCOEFS", 127u},
        {"LogFreqScale", 0u},
        {"COEF_FORMAT", 1u},
    };
    EXPECT_EQ(store.Values(), expected);
}

struct RangeCase {
    const char* name;
    Value stored;
    double (*field)(const FilterSpec&);
    double expected;
};

double Type(const FilterSpec& s) {
    return s.type;
}
double Fs(const FilterSpec& s) {
    return s.fs;
}
double F1(const FilterSpec& s) {
    return s.f1;
}
double F2(const FilterSpec& s) {
    return s.f2;
}
double Att(const FilterSpec& s) {
    return s.attenuation;
}
double Ripple(const FilterSpec& s) {
    return s.ripple;
}
double MaxCoefs(const FilterSpec& s) {
    return s.maxCoefs;
}

TEST_F(PreferencesTest, LoadSpecAppliesTheAcceptedRangesWithoutRewritingTheStore) {
    const RangeCase cases[] = {
        {"TYPE", 5u, Type, 5},
        {"TYPE", 0u, Type, 1},
        {"TYPE", 7u, Type, 1},
        {"FS", std::string("-8000"), Fs, 48000},
        {"FS", std::string("44100.000000"), Fs, 44100},
        {"F1", std::string("30000"), F1, 24000},
        {"F1", std::string("-5"), F1, 0},
        {"F2", std::string("30000"), F2, 0.4999 * 48000},
        {"F2", std::string("-1"), F2, 0},
        {"ATT", std::string("-70"), Att, 70},
        {"ATT", std::string("150"), Att, 120},
        {"RIPPLE", std::string("-0.5"), Ripple, 0.5},
        {"RIPPLE", std::string("0.0001"), Ripple, 0.001},
        {"RIPPLE", std::string("5"), Ripple, 2},
        {"NBCOEFS", 5000u, MaxCoefs, 1024},
        {"NBCOEFS", 4096u, MaxCoefs, 4096},
        {"NBCOEFS", 0xFFFFFFFFu, MaxCoefs, 1024},
    };
    for (const RangeCase& c : cases) {
        MemorySettingsStore fresh;
        Preferences p(&fresh);
        ASSERT_TRUE(p.OpenKeys());
        fresh.Plant(c.name, c.stored);
        FilterSpec filter;
        p.LoadSpec(filter);
        EXPECT_DOUBLE_EQ(c.field(filter), c.expected) << c.name;
        EXPECT_EQ(fresh.Values().at(c.name), c.stored) << c.name << " was rewritten";
    }
}

TEST_F(PreferencesTest, EdgesAreLimitedAgainstTheSamplingFrequencyJustRead) {
    store.Plant("FS", std::string("8000"));
    store.Plant("F1", std::string("10000.0"));
    store.Plant("F2", std::string("20000.0"));
    FilterSpec filter;
    prefs.LoadSpec(filter);
    EXPECT_EQ(filter.f1, 4000.0);
    EXPECT_DOUBLE_EQ(filter.f2, 0.4999 * 8000.0);
}

TEST_F(PreferencesTest, TextsWithoutVisibleCharactersOrTooLongCountAsMissing) {
    const std::string longest(127, '1');  // 127 characters and the terminator fill the room
    const struct {
        std::string stored;
        bool present;
    } cases[] = {
        {"   ", false},
        {"\t\x7f\r\n", false},
        {"\xC3\xA9\xC3\xA9", false},  // bytes of 0x80 and above are not visible
        {std::string("\0"
                     "123",
                     4),
         false},  // the text ends at its first zero
        {std::string(128, '2'), false},
        {longest, true},
        {" 1", true},
    };
    for (const auto& c : cases) {
        store.Plant("FS", c.stored);
        const std::string read = c.present ? c.stored : "48000.0";
        std::string out = "old";
        EXPECT_EQ(prefs.GetString("FS", out, "48000.0"), static_cast<int>(read.size()));
        EXPECT_EQ(out, read);
        EXPECT_EQ(Stored("FS"), Value(read)) << "present texts stay, missing ones are replaced";
    }
}

TEST_F(PreferencesTest, ALongFilePathIsKept) {
    const std::string path300 = "/home/user/" + std::string(285, 'd') + "/f.txt";
    ASSERT_EQ(path300.size(), 302u);
    const std::string path520 = "/" + std::string(519, 'p');
    for (const std::string& path : {path300, path520}) {
        prefs.SetString("FileInPath", path);
        std::string out;
        EXPECT_EQ(prefs.GetString("FileInPath", out, ""), static_cast<int>(path.size()));
        EXPECT_EQ(out, path);
        EXPECT_EQ(Stored("FileInPath"), Value(path));
    }
    // Beyond the longest path the program handles, the value reads as missing.
    prefs.SetString("FileInPath", "/" + std::string(520, 'p'));
    std::string out = "old";
    EXPECT_EQ(prefs.GetString("FileInPath", out, ""), 0);
    EXPECT_EQ(out, "");
    EXPECT_EQ(Stored("FileInPath"), Value(std::string()));
}

TEST_F(PreferencesTest, WrongTypedValuesReadAsMissingAndAreReplacedByTheirDefault) {
    store.Plant("TYPE", std::string("abcd"));
    store.Plant("NBCOEFS", std::string("a long text under a number"));
    store.Plant("FS", 44100u);
    FilterSpec filter;
    prefs.LoadSpec(filter);
    EXPECT_EQ(filter.type, LowPass);
    EXPECT_EQ(filter.maxCoefs, 127);
    EXPECT_EQ(filter.fs, 48000.0);
    EXPECT_EQ(Stored("TYPE"), Value(1u));
    EXPECT_EQ(Stored("NBCOEFS"), Value(127u));
    EXPECT_EQ(Stored("FS"), Value(std::string("48000.0")));
}

TEST_F(PreferencesTest, TextsThatAreNotNumbersLeaveTheFieldAsItWas) {
    for (const char* text : {"abc", "nan", "-inf", "infinity", "0x1p3", "1e999"}) {
        store.Plant("FS", std::string(text));
        store.Plant("ATT", std::string(text));
        FilterSpec filter;
        filter.fs = 12345.0;
        filter.attenuation = 33.0;
        prefs.LoadSpec(filter);
        EXPECT_EQ(filter.fs, 12345.0) << text;
        EXPECT_EQ(filter.attenuation, 33.0) << text;
        EXPECT_EQ(prefs.GetDouble("FS", 48000.0), 0.0) << text;
    }
}

TEST_F(PreferencesTest, GetDoubleWritesItsDefaultWithSixDecimals) {
    EXPECT_EQ(prefs.GetDouble("ATT", 40.0), 40.0);
    EXPECT_EQ(Stored("ATT"), Value(std::string("40.000000")));
    store.Plant("ATT", std::string(" 72.5 dB"));
    EXPECT_EQ(prefs.GetDouble("ATT", 40.0), 72.5);
}

TEST_F(PreferencesTest, SaveSpecWritesSixDecimalsAndCorrectsTheMaximumLength) {
    FilterSpec filter;
    filter.type = BandStop;
    filter.fs = 48000.0;
    filter.f1 = 1234.5;
    filter.f2 = 5000.0;
    filter.attenuation = 80.0;
    filter.ripple = 0.1;
    filter.maxCoefs = 5000;
    prefs.SaveSpec(filter);
    EXPECT_EQ(filter.maxCoefs, 1024);
    EXPECT_EQ(Stored("TYPE"), Value(4u));
    EXPECT_EQ(Stored("FS"), Value(std::string("48000.000000")));
    EXPECT_EQ(Stored("F1"), Value(std::string("1234.500000")));
    EXPECT_EQ(Stored("RIPPLE"), Value(std::string("0.100000")));
    EXPECT_EQ(Stored("NBCOEFS"), Value(1024u));

    FilterSpec loaded;
    prefs.LoadSpec(loaded);
    EXPECT_EQ(loaded.type, filter.type);
    EXPECT_EQ(loaded.fs, filter.fs);
    EXPECT_EQ(loaded.f1, filter.f1);
    EXPECT_EQ(loaded.f2, filter.f2);
    EXPECT_EQ(loaded.attenuation, filter.attenuation);
    EXPECT_EQ(loaded.ripple, filter.ripple);
    EXPECT_EQ(loaded.maxCoefs, 1024);

    for (const int32_t bad : {-1, 4097}) {
        filter.maxCoefs = bad;
        prefs.SaveSpec(filter);
        EXPECT_EQ(filter.maxCoefs, 1024);
    }
    filter.maxCoefs = 4096;
    prefs.SaveSpec(filter);
    EXPECT_EQ(Stored("NBCOEFS"), Value(4096u));
}

TEST(PreferencesWithoutKey, ReadsReturnZeroAndWritesDoNothing) {
    MemorySettingsStore unopened;  // OpenKeys never called
    MemorySettingsStore failing;
    failing.SetOpenFails(true);
    Preferences noStore(nullptr);
    Preferences notOpened(&unopened);
    Preferences cannotOpen(&failing);
    EXPECT_FALSE(noStore.OpenKeys());
    EXPECT_FALSE(cannotOpen.OpenKeys());

    for (Preferences* p : {&noStore, &notOpened, &cannotOpen}) {
        EXPECT_FALSE(p->IsOpen());
        EXPECT_EQ(p->GetUnsigned("TYPE", 3), 0u);
        std::string out = "kept";
        EXPECT_EQ(p->GetString("FS", out, "48000.0"), 0);
        EXPECT_EQ(out, "kept");
        EXPECT_EQ(p->GetDouble("FS", 48000.0), 0.0);
        p->SetString("FileInPath", "/tmp/x.txt");
        p->SetUnsigned("COEF_FORMAT", 2);

        FilterSpec filter;
        filter.type = BandPass;
        filter.fs = 8000.0;
        filter.f1 = 100.0;
        filter.ripple = 1.0;
        filter.maxCoefs = 99;
        p->LoadSpec(filter);
        EXPECT_EQ(filter.type, LowPass);
        EXPECT_EQ(filter.maxCoefs, 0);
        EXPECT_EQ(filter.fs, 8000.0);
        EXPECT_EQ(filter.f1, 100.0);
        EXPECT_EQ(filter.ripple, 1.0);
        p->SaveSpec(filter);
    }
    EXPECT_TRUE(unopened.Values().empty());
    EXPECT_TRUE(failing.Values().empty());
}

TEST(PreferencesWriteFailure, IsIgnored) {
    MemorySettingsStore store;
    Preferences prefs(&store);
    ASSERT_TRUE(prefs.OpenKeys());
    store.SetWriteFails(true);
    EXPECT_EQ(prefs.GetUnsigned("NBCOEFS", 127), 127u);
    std::string out;
    EXPECT_EQ(prefs.GetString("ATT", out, "60"), 2);
    EXPECT_EQ(out, "60");
    EXPECT_TRUE(store.Values().empty());
}

}  // namespace
}  // namespace ondela
