// The header line that records where a design met its targets, and its reading back.
#include "workspace/targets_met_in.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/filter_spec.h"

namespace ondela {
namespace {

std::string Described(const std::string& line) {
    return "Ondela Filter\r\nPARAMETERS\r\nType = LowPass, fc = 10000 @ fs = 48000\r\n"
           "Attenuation = 60.000 dB, Ripple = 0.400 dB\r\nMax nb of Coefficients = 127\r\n" +
           line + "\r\nCOEFFICIENTS\r\n\r\nstatic short m_firCoefs[NBCOEFS] = { 1, 2, 1 };\r\n";
}

TEST(TargetsMetIn, TheLineReadsBackAsWritten) {
    const auto word = [](int bits, std::optional<int> frac, Rounding rounding) {
        return FixedPointRequest{bits, frac, rounding};
    };
    const struct {
        TargetsMetIn met;
        const char* line;
    } cases[] = {
        {{INT16, std::nullopt}, "Targets met in = INT16\n"},
        {{FLT32, std::nullopt}, "Targets met in = FLT32\n"},
        {{FLT64, word(12, std::nullopt, Rounding::Nearest)}, "Targets met in = 12-bit words\n"},
        {{INT32, word(18, 20, Rounding::Floor)},
         "Targets met in = 18-bit words, 20 fraction bits, floor rounding\n"},
        {{FLT64, word(8, -3, Rounding::Nearest)},
         "Targets met in = 8-bit words, -3 fraction bits\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(TargetsMetInLine(c.met), c.line);
        std::string line = c.line;
        line.pop_back();
        const auto read = ReadTargetsMetIn(Described(line).c_str());
        ASSERT_TRUE(read.has_value());
        EXPECT_EQ(read->word.has_value(), c.met.word.has_value());
        if (c.met.word) {
            EXPECT_EQ(read->word->wordBits, c.met.word->wordBits);
            EXPECT_EQ(read->word->fracBits, c.met.word->fracBits);
            EXPECT_EQ(read->word->rounding, c.met.word->rounding);
        } else {
            EXPECT_EQ(read->format, c.met.format);
        }
    }
}

TEST(TargetsMetIn, NoRecordOrOneThatIsNoFormat) {
    for (const char* line : {"", "Targets met in = INT8", "Targets met in = 40-bit words",
                             "Targets met in = 1-bit words", "Targets met in INT16"}) {
        SCOPED_TRACE(line);
        EXPECT_FALSE(ReadTargetsMetIn(Described(line).c_str()).has_value());
    }
    // After the coefficient list it is no header line; without a marker nothing is read.
    EXPECT_FALSE(ReadTargetsMetIn((Described("") + "Targets met in = INT16\r\n").c_str()));
    EXPECT_FALSE(ReadTargetsMetIn("Targets met in = INT16\r\n"));
    EXPECT_FALSE(ReadTargetsMetIn(nullptr));
}

}  // namespace
}  // namespace ondela
