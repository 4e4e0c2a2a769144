// Whole descriptions of designed filters, compared byte for byte (CR LF line ends) with the files
// in tests/data. Run with ONDELA_WRITE_FIXTURES set in the environment to write the files
// instead, after a deliberate change of the text or of the designs.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "engine/design_engine.h"
#include "tests/workspace/workspace_fakes.h"
#include "workspace/filter_workspace.h"

namespace ondela {
namespace {

using testing::Spec;
using testing::WiredWorkspace;

constexpr std::time_t k7May2026At0905 = 1778144700;  // UTC

void ExpectFixture(const std::string& name, const std::string& text) {
    const std::string path = std::string(ONDELA_TEST_DATA_DIR) + "/" + name;
    if (std::getenv("ONDELA_WRITE_FIXTURES")) {
        std::ofstream(path, std::ios::binary)
            .write(text.data(), static_cast<std::streamsize>(text.size()));
        return;
    }
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in) << "missing fixture " << path;
    std::ostringstream content;
    content << in.rdbuf();
    EXPECT_EQ(text, content.str()) << "description differs from " << path;
}

class DesignedDescriptionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("TZ", "UTC", 1);  // the time stamp is local time
        tzset();
        w = std::make_unique<WiredWorkspace>();
        w->ws.m_engine = &engine;
        w->ws.m_clock = [] { return k7May2026At0905; };
    }

    // Designs as the Create command does and marks the filter valid.
    void Design(const FilterSpec& spec) {
        w->ws.m_current.request = spec;
        ASSERT_EQ(w->ws.RunDesign().result, 0);
        ASSERT_TRUE(w->Messages().empty()) << w->Messages()[0];
        w->ws.m_current.valid = true;
        w->ws.m_view.keepLimits = 1;
    }

    // The description as the editor receives it, in the given format.
    std::string Described(int format) {
        w->ws.m_current.format = static_cast<CoefFormat>(format);
        EXPECT_EQ(w->ws.ShowInEditor(), 1);
        return w->editor.text;
    }

    DesignEngine engine;
    std::unique_ptr<WiredWorkspace> w;
};

TEST_F(DesignedDescriptionTest, LowPassInEachFormat) {
    Design(Spec{.f1 = 8000, .ripple = 0.5, .maxCoefs = 63});
    ExpectFixture("lowpass_flt64.txt", Described(FLT64));
    ExpectFixture("lowpass_flt32.txt", Described(FLT32));
    ExpectFixture("lowpass_int32.txt", Described(INT32));
    ExpectFixture("lowpass_int16.txt", Described(INT16));
    EXPECT_EQ(w->editor.title, "FIR_63_INT16 LowPass fs=48000 fc=8000 Att=60dB Rip=0.5dB");
}

TEST_F(DesignedDescriptionTest, BandPass) {
    Design(Spec{.type = BandPass,
                .f1 = 4000,
                .f2 = 8000,
                .attenuation = 50,
                .ripple = 0.3,
                .maxCoefs = 81,
                .fs = 44100});
    ExpectFixture("bandpass_flt32.txt", Described(FLT32));
    EXPECT_EQ(w->editor.title,
              "FIR_81_FLT32 BandPass fs=44100 fc1=4000 fc2=8000 Att=50dB Rip=0.3dB");
}

TEST_F(DesignedDescriptionTest, HalfBand) {
    Design(Spec{.type = HalfBand,
                .f1 = 24000,
                .attenuation = 70,
                .ripple = 0.01,
                .maxCoefs = 43,
                .fs = 96000});
    ExpectFixture("halfband_flt64.txt", Described(FLT64));
    EXPECT_EQ(w->editor.title, "FIR_43_FLT64 HalfBand fs=96000 Att=70dB");
}

TEST_F(DesignedDescriptionTest, NumbersIgnoreTheProcessLocale) {
    Design(Spec{.f1 = 8000, .ripple = 0.5, .maxCoefs = 63});
    const std::string plain = Described(FLT32);
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "no de_DE.UTF-8 locale here";
    const std::string german = Described(FLT32);
    std::setlocale(LC_ALL, previous.c_str());
    EXPECT_EQ(german, plain);
}

}  // namespace
}  // namespace ondela
