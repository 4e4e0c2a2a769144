// Identifiers of the main window's controls. The window's logic addresses every control by
// these numbers; the widget layer creates one widget per identifier.
#pragma once

namespace ondela::ctl {

// Plots and their frames.
constexpr int kResponsePlot = 1000;
constexpr int kCoefPlot = 1001;
constexpr int kResponseGroup = 1005;
constexpr int kCoefGroup = 1006;

// Display limits, cursor and frequency scale.
constexpr int kFreqMin = 1053;
constexpr int kFreqMinSpin = 1052;
constexpr int kFreqMinLabel = 1051;
constexpr int kCursorField = 1060;
constexpr int kCursorSpin = 1061;
constexpr int kCursorLabel = 1059;
constexpr int kScaleLabel = 1050;
constexpr int kScaleLin = 1055;
constexpr int kScaleLog = 1056;
constexpr int kFreqMaxLabel = 1057;
constexpr int kFreqMax = 1054;
constexpr int kFreqMaxSpin = 1058;

// File commands.
constexpr int kLoad = 1010;
constexpr int kSave = 1011;
constexpr int kPrint = 1073;
constexpr int kExport = 1074;  // the Export dialog, beside Help and Quit

// Filter type radios.
constexpr int kLowPass = 1020;
constexpr int kHighPass = 1021;
constexpr int kBandPass = 1022;
constexpr int kBandStop = 1023;
constexpr int kHalfBand = 1019;

// Specification fields.
constexpr int kEdgeFreq1 = 1031;
constexpr int kEdgeFreq2 = 1032;
constexpr int kSamplingFreq = 1030;
constexpr int kAttenuation = 1040;
constexpr int kRipple = 1041;
constexpr int kMaxCoefs = 1042;

// Process commands.
constexpr int kCreate = 1070;
constexpr int kFilterEditor = 1071;
constexpr int kAnalysis = 1072;

// Coefficient format radios: kFloat64 + format.
constexpr int kFloat64 = 1024;
constexpr int kFloat32 = 1025;
constexpr int kInteger32 = 1026;
constexpr int kInteger16 = 1027;

// Create lengthens (or widens) its design until the chosen format meets the targets.
constexpr int kMeetInFormat = 1043;

// Achieved values.
constexpr int kAchievedEdge1 = 1033;
constexpr int kAchievedEdge2 = 1034;
constexpr int kAchievedBandwidth = 1048;
constexpr int kAchievedAttenuation = 1046;
constexpr int kAchievedRipple = 1045;
constexpr int kAchievedCoefs = 1047;

// Help and Quit.
constexpr int kHelpGroup = 1065;
constexpr int kHelp = 1080;
constexpr int kQuit = 2;

// The About item appended to the window menu.
constexpr int kAboutCommand = 16;

}  // namespace ondela::ctl
