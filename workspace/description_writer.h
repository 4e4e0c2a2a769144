// Writing a filter description: a header with the design parameters and the coefficients as a
// ready-to-compile C array, with CR LF line ends; and the filter's one-line title. Both are
// functions of the current filter alone (and, for the description's date line, of a time): they
// show no message, read no setting and write nowhere else.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "workspace/current_filter.h"

namespace ondela {

constexpr int kTextCapacity = 262144;  // description text, terminating zero included
constexpr int kTextMargin = 80;        // the writer stops this many bytes short of the end
constexpr int kPieceLimit = 16380;     // longest piece the writer appends at once
constexpr int kTitleCapacity = 1024;   // filter title, terminating zero included

// "LowPass", "BandPass", "HighPass", "BandStop", "HalfBand"; empty for any other code.
const char* FilterTypeName(int type);

// Why a filter has no description.
enum class NoDescription {
    kNoCoefs,    // it has four taps or more, and taps 1, 2 and 3 are all zero (a cleared set)
    kNoRequest,  // its request names no filter type or no sampling frequency
};

struct DescriptionText {
    std::string text;  // lines ended by CR LF; empty when there is no description
    // The description did not fit within kTextCapacity: text ends at the last whole piece (the
    // header, one line or one value) that did.
    bool cut = false;
    std::optional<NoDescription> missing;  // set when there is no description
};

// The description of filter, dated at now (local time; a time that has no local time gives a
// date of zeros). The request's parameters are written when the coefficients were designed from
// it and it passes the check every filter request passes (CheckRequest), as that check corrects it;
// otherwise only the type and the sampling frequency. The coefficients are written in the
// filter's format (FLT64 for a code that is none of the four); fewer than four taps are written
// as they stand, none as an array opened and never closed.
DescriptionText DescribeFilter(const CurrentFilter& filter, std::time_t now);

// The one-line title of filter (editor caption, default file name): nullopt when there is no
// filter or its request does not pass CheckRequest. A designed filter is titled by its request (or
// "NOT COHERENT" when its achieved edges are missing), any other by its achieved values, judged
// on a copy. At most kTitleCapacity - 1 characters.
std::optional<std::string> FilterTitle(const CurrentFilter& filter);

// The text of a description as it grows, with the capacity rule: each piece goes in whole, with
// a CR before every LF, or not at all; the first that does not fit ends the text.
class DescriptionBuffer {
  public:
    // Appends piece (at most its first kPieceLimit characters). False when it does not fit
    // within kTextCapacity less kTextMargin; then nothing more is appended.
    bool Append(std::string_view piece);
    // The same for a formatted piece (FormatText).
    bool AppendFormatted(const char* format, ...) __attribute__((format(printf, 2, 3)));

    bool Full() const { return full_; }
    const std::string& Text() const { return text_; }
    std::string TakeText() { return std::move(text_); }

  private:
    std::string text_;
    bool full_ = false;
};

}  // namespace ondela
