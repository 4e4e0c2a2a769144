// The filter description and the filter's title, written from the current filter alone.
#include "workspace/description_writer.h"

#include <algorithm>
#include <cstdarg>
#include <stdexcept>
#include <vector>

#include "numbers/number_text.h"
#include "workspace/coef_format.h"
#include "workspace/request_check.h"
#include "workspace/time_stamp.h"

namespace ondela {

namespace {

const char* MonthAbbreviation(int month) {
    static const char* const kMonths[] = {"",     "jan.", "feb.", "mar.", "apr.", "may ", "jun.",
                                          "jul.", "aug.", "sep.", "oct.", "nov.", "dec."};
    return (month >= 0 && month <= 12) ? kMonths[month] : "";
}

struct DateFields {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
};

// Reads "year:month:day:hour:minute" as a scan with "%4d:%2d:%2d:%2d:%2d" does: each field at
// most that many characters after leading blanks; fields after the first that fails stay 0.
DateFields ReadLocalTimeStamp(const std::string& stamp) {
    DateFields d;
    int* const fields[] = {&d.year, &d.month, &d.day, &d.hour, &d.minute};
    const int widths[] = {4, 2, 2, 2, 2};
    size_t pos = 0;
    for (int i = 0; i < 5; ++i) {
        if (i > 0) {
            if (pos >= stamp.size() || stamp[pos] != ':') break;
            ++pos;
        }
        while (pos < stamp.size() && (stamp[pos] == ' ' || stamp[pos] == '\t')) ++pos;
        const std::string field = stamp.substr(pos, widths[i]);
        const auto read = ReadInt(field.c_str());
        if (!read) break;
        *fields[i] = static_cast<int>(read->value);
        pos += read->end;
    }
    return d;
}

// The header of the description: the date line and the parameters, with LF line ends. s is the
// request, checked; withRequest tells whether its parameters go with the coefficients.
std::string Header(const FilterSpec& s, bool withRequest,
                   const std::optional<TargetsMetIn>& targetsMetIn, std::time_t now) {
    DateFields date;
    try {
        date = ReadLocalTimeStamp(LocalTimeStamp(static_cast<int64_t>(now)));
    } catch (const std::invalid_argument&) {
        // A time the local time conversion cannot handle: the date fields stay 0.
    }

    const char* const typeName = FilterTypeName(s.type);
    std::string header =
        FormatText("Ondela Filter Designed  :  %2d %s %4d at %2d:%2d\n", date.day,
                   MonthAbbreviation(date.month), date.year, date.hour, date.minute);
    header += "------------------------------------------------\n\n";
    header += "PARAMETERS\n";
    header += "----------\n";
    if (withRequest) {
        switch (s.type) {
            case LowPass:
            case HighPass:
                header += FormatText("Type = %s, fc = %g @ fs = %g\n", typeName, s.f1, s.fs);
                break;
            case BandPass:
            case BandStop:
                header += FormatText("Type = %s, fc1 = %g, fc2 = %g @ fs = %g\n", typeName, s.f1,
                                     s.f2, s.fs);
                break;
            default:
                header += FormatText("Type = %s, fs = %g\n", typeName, s.fs);
                break;
        }
        if (s.type != HalfBand) {
            header += FormatText("Attenuation = %3.3lf dB, Ripple = %3.3lf dB\n", s.attenuation,
                                 s.ripple);
        } else {
            header += FormatText("Attenuation = %3.3lf dB\n", s.attenuation);
        }
        header += FormatText("Max nb of Coefficients = %d\n", s.maxCoefs);
        if (targetsMetIn) header += TargetsMetInLine(*targetsMetIn);
    } else if (s.fs > 0.0) {
        header += FormatText("Type = %s, fs = %g\n", typeName, s.fs);
    } else {
        header += FormatText("Type = %s\n", typeName);
    }
    return header;
}

}  // namespace

const char* FilterTypeName(int type) {
    static const char* const kNames[] = {"",         "LowPass",  "BandPass",
                                         "HighPass", "BandStop", "HalfBand"};
    return (type >= LowPass && type <= HalfBand) ? kNames[type] : "";
}

bool DescriptionBuffer::AppendFormatted(const char* format, ...) {
    if (full_) return false;
    va_list args;
    va_start(args, format);
    const std::string piece = FormatTextV(format, args);
    va_end(args);
    return Append(piece);
}

bool DescriptionBuffer::Append(std::string_view piece) {
    if (full_) return false;
    piece = piece.substr(0, kPieceLimit);
    const std::size_t length = piece.size();
    const auto lineEnds = static_cast<std::size_t>(std::count(piece.begin(), piece.end(), '\n'));
    const std::size_t used = text_.size();
    const auto capacity = static_cast<std::size_t>(kTextCapacity);
    // The piece goes in whole or not at all. The margin keeps room for a terminating zero; the
    // second test also counts the CRs that are inserted, so that a piece made of many lines can
    // never run past the capacity.
    if (used + length + kTextMargin >= capacity || used + length + lineEnds >= capacity) {
        full_ = true;
        return false;
    }
    for (const char c : piece) {
        if (c == '\n') text_ += '\r';
        text_ += c;
    }
    return true;
}

DescriptionText DescribeFilter(const CurrentFilter& filter, std::time_t now) {
    DescriptionText result;
    const std::vector<double>& taps = filter.taps;
    if (taps.size() >= 4 && taps[1] == 0.0 && taps[2] == 0.0 && taps[3] == 0.0) {
        result.missing = NoDescription::kNoCoefs;
        return result;
    }
    FilterSpec s = filter.request;
    if (s.type <= 0 || s.fs < 0.0001) {
        result.missing = NoDescription::kNoRequest;
        return result;
    }
    // A request that does not pass the check is not what the coefficients go with.
    const bool withRequest = CheckRequest(s) != -1 && filter.GoesWithRequest();

    // A format code the writer does not know is taken as FLT64, as the achieved-values display
    // does with it.
    const int fmt = (filter.format >= FLT64 && filter.format <= INT16) ? filter.format : FLT64;
    const auto n = filter.taps.size();

    DescriptionBuffer text;
    text.Append(Header(s, withRequest, filter.targetsMetIn, now));
    text.AppendFormatted("\nCOEFFICIENTS\n");
    text.AppendFormatted("------------\n\n");
    text.AppendFormatted("#define NBCOEFS %d\n\n", static_cast<int>(n));
    text.AppendFormatted("static %s m_firCoefs[NBCOEFS] = {", CoefTypeKeyword(fmt));
    const auto perRow = static_cast<std::size_t>(CoefsPerRow(fmt));
    for (std::size_t i = 0; i < n && !text.Full(); ++i) {
        if (i % perRow == 0) text.AppendFormatted("\n    ");
        text.Append(CoefValueText(filter.taps[i], fmt, i == n - 1));
    }
    result.cut = text.Full();
    result.text = text.TakeText();
    return result;
}

std::optional<std::string> FilterTitle(const CurrentFilter& filter) {
    if (filter.origin == FilterOrigin::None) return std::nullopt;
    FilterSpec s = filter.request;
    if (CheckRequest(s) == -1) return std::nullopt;

    // The achieved values are judged on a copy: a title must not change what the design
    // achieved.
    FilterSpec work = filter.achieved;
    int n = s.maxCoefs;
    if (CheckRequest(work) != -1) n = filter.achieved.numCoefs;

    const char* const f = CoefFormatName(filter.format);
    const char* const t = FilterTypeName(s.type);
    const bool designed = filter.GoesWithRequest();
    std::string title;
    switch (s.type) {
        case HalfBand:
            if (!designed) {
                title = FormatText("FIR_%d_%s %s fs=%g Att=%1.3gdB COEF ANALYSIS", n, f, t, s.fs,
                                   work.attenuation);
            } else {
                title = FormatText("FIR_%d_%s %s fs=%g Att=%1.3gdB", n, f, t, s.fs, s.attenuation);
            }
            break;
        case LowPass:
        case HighPass:
            if (!designed) {
                title =
                    FormatText("FIR_%d_%s %s fs=%g fc=%1.4g Att=%1.3gdB Rip=%1.3gdB COEF ANALYSIS",
                               n, f, t, s.fs, work.f1, work.attenuation, work.ripple);
            } else if (work.f1 > 0.0001) {
                title = FormatText("FIR_%d_%s %s fs=%g fc=%1.4g Att=%1.3gdB Rip=%1.3gdB", n, f, t,
                                   s.fs, s.f1, s.attenuation, s.ripple);
            } else {
                title = FormatText("FIR_%d_%s %s fs=%g fc=%1.4g NOT COHERENT", n, f, t, s.fs, s.f1);
            }
            break;
        default:  // BandPass, BandStop
            if (!designed) {
                title = FormatText(
                    "FIR_%d_%s %s fs=%g fc1=%g fc2=%1.4g Att=%1.3gdB Rip=%1.3gdB COEF ANALYSIS", n,
                    f, t, s.fs, work.f1, work.f2, work.attenuation, work.ripple);
            } else if (work.f1 > 0.0001 && work.f2 > 0.0001) {
                title = FormatText("FIR_%d_%s %s fs=%g fc1=%1.4g fc2=%1.4g Att=%1.3gdB Rip=%1.3gdB",
                                   n, f, t, s.fs, s.f1, s.f2, s.attenuation, s.ripple);
            } else {
                title = FormatText("FIR_%d_%s %s fs=%g fc1=%1.4g fc2=%1.4g NOT COHERENT", n, f, t,
                                   s.fs, s.f1, s.f2);
            }
            break;
    }
    if (title.size() > kTitleCapacity - 1) title.resize(kTitleCapacity - 1);
    return title;
}

}  // namespace ondela
