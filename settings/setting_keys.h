// The names of the stored per-user settings (Preferences), one place for every reader and
// writer of them.
#pragma once

namespace ondela::setting {

// The last entered specification.
constexpr const char* kType = "TYPE";
constexpr const char* kSamplingFreq = "FS";
constexpr const char* kEdgeFreq1 = "F1";
constexpr const char* kEdgeFreq2 = "F2";
constexpr const char* kAttenuation = "ATT";
constexpr const char* kRipple = "RIPPLE";
constexpr const char* kMaxCoefs = "NBCOEFS";
// The coefficient format shown (0..3) and whether the frequency axis is logarithmic.
constexpr const char* kCoefFormat = "COEF_FORMAT";
constexpr const char* kLogFreqScale = "LogFreqScale";
// Whether Create meets the targets in the chosen coefficient format (0 or 1).
constexpr const char* kMeetInFormat = "MeetInFormat";
// The full path of the file last loaded or saved; the file choosers start in its folder.
constexpr const char* kFileInPath = "FileInPath";

}  // namespace ondela::setting
