#include "ui/main_window/dialog_template.h"

#include <array>
#include <cmath>

#include "ui/main_window/control_ids.h"

namespace ondela {

namespace {

using K = ControlKind;

// Group boxes come first so that the controls they frame lie above them. The radio buttons
// reach to the right edge of their group, so that their captions are not cut in fonts a little
// wider than the one the layout was drawn for.
constexpr std::array kTemplate = {
    ControlTemplate{ctl::kResponseGroup, K::GroupBox, "Frequency Response", 6, 3, 693, 217},
    ControlTemplate{ctl::kCoefGroup, K::GroupBox, "Filter Coefficients (Impulse response)", 6, 237,
                    693, 116},
    ControlTemplate{0, K::GroupBox, "File", 6, 356, 65, 81},
    ControlTemplate{0, K::GroupBox, "FIR Type", 87, 356, 65, 81},
    ControlTemplate{0, K::GroupBox, "Frequencies", 167, 356, 65, 81},
    ControlTemplate{0, K::GroupBox, "Specifications", 248, 357, 65, 81},
    ControlTemplate{0, K::GroupBox, "Process", 329, 356, 65, 81},
    ControlTemplate{0, K::GroupBox, "Coef Format", 410, 356, 65, 81},
    ControlTemplate{0, K::GroupBox, "Achieved", 490, 356, 128, 81},
    ControlTemplate{ctl::kHelpGroup, K::GroupBox, "", 634, 356, 65, 81},

    ControlTemplate{ctl::kResponsePlot, K::PlotFrame, "", 10, 12, 685, 205},
    ControlTemplate{ctl::kCoefPlot, K::PlotFrame, "", 10, 246, 685, 104},

    ControlTemplate{ctl::kFreqMinLabel, K::Label, "f. min", 10, 224, 22, 8},
    ControlTemplate{ctl::kFreqMin, K::Edit, "", 35, 222, 45, 12, true, true},
    ControlTemplate{ctl::kFreqMinSpin, K::UpDown, "", 80, 222, 11, 12},
    // In the free stretch of the display row, which fits its caption without moving anything.
    ControlTemplate{ctl::kMeetInFormat, K::CheckBox, "Meet targets in coef format", 120, 223, 118,
                    11},
    ControlTemplate{ctl::kCursorLabel, K::Label, "cursor freq.", 251, 224, 40, 8},
    ControlTemplate{ctl::kCursorField, K::Edit, "", 295, 223, 45, 12, false, true},
    ControlTemplate{ctl::kCursorSpin, K::UpDown, "", 340, 223, 11, 12},
    ControlTemplate{ctl::kScaleLabel, K::Label, "f. scale", 452, 224, 28, 8},
    ControlTemplate{ctl::kScaleLin, K::Radio, "Lin.", 488, 224, 29, 10, false, false, true},
    ControlTemplate{ctl::kScaleLog, K::Radio, "Log.", 525, 224, 29, 10},
    ControlTemplate{ctl::kFreqMaxLabel, K::Label, "f. max", 572, 224, 22, 8},
    ControlTemplate{ctl::kFreqMax, K::Edit, "", 600, 222, 45, 12, true, true},
    ControlTemplate{ctl::kFreqMaxSpin, K::UpDown, "", 645, 222, 11, 12},

    ControlTemplate{ctl::kLoad, K::Button, "Load", 12, 374, 53, 13},
    ControlTemplate{ctl::kSave, K::Button, "Save", 12, 397, 53, 13},
    ControlTemplate{ctl::kPrint, K::Button, "Print", 12, 420, 53, 13},

    ControlTemplate{ctl::kLowPass, K::Radio, "Low Pass", 97, 372, 52, 10, false, false, true},
    ControlTemplate{ctl::kHighPass, K::Radio, "High Pass", 97, 384, 52, 10},
    ControlTemplate{ctl::kBandPass, K::Radio, "Band Pass", 97, 396, 52, 10},
    ControlTemplate{ctl::kBandStop, K::Radio, "Band Stop", 97, 408, 52, 10},
    ControlTemplate{ctl::kHalfBand, K::Radio, "Half Band", 97, 420, 52, 10},

    ControlTemplate{0, K::Label, "Edge Freq 1", 173, 367, 53, 8},
    ControlTemplate{0, K::Label, "Edge Freq 2", 173, 390, 53, 8},
    ControlTemplate{0, K::Label, "Sampling Freq", 173, 413, 53, 8},
    ControlTemplate{ctl::kEdgeFreq1, K::Edit, "", 173, 375, 53, 12},
    ControlTemplate{ctl::kEdgeFreq2, K::Edit, "", 173, 399, 53, 12},
    ControlTemplate{ctl::kSamplingFreq, K::Edit, "", 173, 421, 53, 12},

    ControlTemplate{0, K::Label, "Min Attenuation", 253, 367, 53, 8},
    ControlTemplate{0, K::Label, "Max Ripple", 253, 390, 53, 8},
    ControlTemplate{0, K::Label, "Max nb of Coefs", 253, 413, 53, 8},
    ControlTemplate{ctl::kAttenuation, K::Edit, "", 253, 375, 53, 12},
    ControlTemplate{ctl::kRipple, K::Edit, "", 253, 399, 53, 12},
    ControlTemplate{ctl::kMaxCoefs, K::Edit, "", 253, 421, 53, 12},

    ControlTemplate{ctl::kCreate, K::Button, "Create", 335, 374, 53, 13},
    ControlTemplate{ctl::kFilterEditor, K::Button, "Filter Editor", 335, 397, 53, 13},
    ControlTemplate{ctl::kAnalysis, K::Button, "Analysis", 335, 420, 53, 13},

    ControlTemplate{ctl::kFloat64, K::Radio, "Float 64 bits", 420, 372, 53, 10, false, false, true},
    ControlTemplate{ctl::kFloat32, K::Radio, "Float 32 bits", 420, 388, 53, 10},
    ControlTemplate{ctl::kInteger32, K::Radio, "Integer 32", 420, 404, 53, 10},
    ControlTemplate{ctl::kInteger16, K::Radio, "Integer 16", 420, 420, 53, 10},

    ControlTemplate{0, K::Label, "Edge Freq 1", 496, 367, 53, 8},
    ControlTemplate{0, K::Label, "Edge Freq 2", 496, 390, 53, 8},
    ControlTemplate{0, K::Label, "Edge Bandwidth", 496, 413, 53, 8},
    ControlTemplate{ctl::kAchievedEdge1, K::Edit, "", 496, 375, 53, 12, true},
    ControlTemplate{ctl::kAchievedEdge2, K::Edit, "", 496, 399, 53, 12, true},
    ControlTemplate{ctl::kAchievedBandwidth, K::Edit, "", 496, 421, 53, 12, true},
    ControlTemplate{0, K::Label, "Attenuation", 559, 367, 53, 8},
    ControlTemplate{0, K::Label, "Ripple", 559, 390, 53, 8},
    ControlTemplate{0, K::Label, "Nb of Coefs", 559, 413, 53, 8},
    ControlTemplate{ctl::kAchievedAttenuation, K::Edit, "", 559, 375, 53, 12, true},
    ControlTemplate{ctl::kAchievedRipple, K::Edit, "", 559, 399, 53, 12, true},
    ControlTemplate{ctl::kAchievedCoefs, K::Edit, "", 559, 421, 53, 12, true},

    ControlTemplate{ctl::kHelp, K::Button, "Help", 639, 374, 53, 13},
    ControlTemplate{ctl::kExport, K::Button, "Export...", 639, 393, 53, 13},
    ControlTemplate{ctl::kQuit, K::Button, "Quit", 639, 412, 53, 13},
};

}  // namespace

std::span<const ControlTemplate> MainDialogTemplate() {
    return kTemplate;
}

QRect DialogUnitsToPixels(int x, int y, int width, int height) {
    const int left = static_cast<int>(std::lround(x * kPixelsPerDuX));
    const int top = static_cast<int>(std::lround(y * kPixelsPerDuY));
    const int right = static_cast<int>(std::lround((x + width) * kPixelsPerDuX));
    const int bottom = static_cast<int>(std::lround((y + height) * kPixelsPerDuY));
    return QRect(left, top, right - left, bottom - top);
}

}  // namespace ondela
