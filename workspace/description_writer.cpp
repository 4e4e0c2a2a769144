// The filter description: a header with the design parameters and the coefficients as a
// ready-to-compile C array, built into the workspace's text buffer with CR LF line ends; the
// filter's one-line title; and handing both to the editor window.
#include <algorithm>
#include <cstdarg>
#include <stdexcept>

#include "numbers/number_text.h"
#include "workspace/coef_format.h"
#include "workspace/editor_port.h"
#include "workspace/filter_workspace.h"
#include "workspace/main_window_port.h"

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
DateFields ReadTimeStamp(const std::string& stamp) {
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

}  // namespace

int FilterWorkspace::AppendFormatted(const char* format, ...) {
    if (m_textOverflow) return 0;
    va_list args;
    va_start(args, format);
    const std::string piece = FormatTextV(format, args);
    va_end(args);
    return AppendPiece(piece);
}

int FilterWorkspace::AppendPiece(std::string_view piece) {
    if (m_textOverflow) return 0;
    piece = piece.substr(0, kPieceLimit);
    const auto length = static_cast<int>(piece.size());
    const auto lineEnds = static_cast<int>(std::count(piece.begin(), piece.end(), '\n'));
    // The piece goes in whole or not at all. The margin keeps room for the terminating zero;
    // the second test also counts the CRs that are inserted, so that a piece made of many lines
    // can never run past the buffer.
    if (m_textLen + length + kTextMargin >= kTextCapacity ||
        m_textLen + length + lineEnds >= kTextCapacity) {
        m_textOverflow = 1;
        return 0;
    }
    for (const char c : piece) {
        if (c == '\n') m_text[m_textLen++] = '\r';
        m_text[m_textLen++] = c;
    }
    m_text[m_textLen] = '\0';
    return 1;
}

int FilterWorkspace::ComposeHeader(std::string& header) {
    FilterSpec s = m_current.request;
    if (s.type <= 0 || s.fs < 0.0001) {
        ShowMessage("No valid Filter designed");
        return 0;
    }
    if (ValidateSpec(s) == -1 && m_current.GoesWithRequest())
        m_current.origin = FilterOrigin::LoadedCoefs;

    DateFields date;
    try {
        date = ReadTimeStamp(m_util.TimeStamp(static_cast<int64_t>(m_clock())));
    } catch (const std::invalid_argument&) {
        // A clock the local time conversion cannot handle: the date fields stay 0.
    }

    const char* const typeName = FilterTypeName(s.type);
    header = FormatText("Ondela Filter Designed  :  %2d %s %4d at %2d:%2d\n", date.day,
                        MonthAbbreviation(date.month), date.year, date.hour, date.minute);
    header += "------------------------------------------------\n\n";
    header += "PARAMETERS\n";
    header += "----------\n";
    if (m_current.GoesWithRequest()) {
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
        if (m_current.targetsMetIn) header += TargetsMetInLine(*m_current.targetsMetIn);
    } else if (s.fs > 0.0) {
        header += FormatText("Type = %s, fs = %g\n", typeName, s.fs);
    } else {
        header += FormatText("Type = %s\n", typeName);
    }
    return 1;
}

int FilterWorkspace::BuildDescription() {
    if (m_current.Tap(1) == 0.0 && m_current.Tap(2) == 0.0 && m_current.Tap(3) == 0.0) return 0;

    if (m_mainWindow)
        m_current.format = static_cast<CoefFormat>(m_mainWindow->ReadCoefFormatRadios());
    // A format code the writer does not know is taken as FLT64, as the achieved-values display
    // does with it.
    if (m_current.format < FLT64 || m_current.format > INT16) m_current.format = FLT64;
    const int fmt = m_current.format;

    m_textLen = 0;
    m_textSize = 0;
    m_textOverflow = 0;
    std::fill(m_text.begin(), m_text.end(), '\0');

    std::string header;
    if (!ComposeHeader(header)) return 0;

    // The coefficient count is bounded by the arrays it indexes.
    const int n = std::clamp(m_current.achieved.numCoefs, 0, kCoefArraySize);
    AppendPiece(header);
    AppendFormatted("\nCOEFFICIENTS\n");
    AppendFormatted("------------\n\n");
    AppendFormatted("#define NBCOEFS %d\n\n", n);
    AppendFormatted("static %s m_firCoefs[NBCOEFS] = {", CoefTypeKeyword(fmt));
    const int perRow = CoefsPerRow(fmt);
    for (int i = 0; i < n; ++i) {
        if (i % perRow == 0) AppendFormatted("\n    ");
        AppendPiece(CoefValueText(m_current.Tap(i), fmt, i == n - 1));
    }
    m_textSize = m_textLen;
    return 1;
}

int FilterWorkspace::FilterTitle(std::string& title) {
    title.clear();
    if (!m_current.valid) return 0;
    if (ValidateSpec(m_current.request) == -1) return 0;

    // The achieved values are judged on a copy: a title must not change what the design
    // achieved, nor show achieved edges in the entry fields.
    FilterSpec work = m_current.achieved;
    int n = m_current.request.maxCoefs;
    if (ValidateSpecImpl(work, false) != -1) n = m_current.achieved.numCoefs;

    const char* const f = CoefFormatName(m_current.format);
    const char* const t = FilterTypeName(m_current.request.type);
    const FilterSpec& s = m_current.request;
    switch (s.type) {
        case HalfBand:
            if (!m_current.GoesWithRequest()) {
                title = FormatText("FIR_%d_%s %s fs=%g Att=%1.3gdB COEF ANALYSIS", n, f, t, s.fs,
                                   work.attenuation);
            } else {
                title = FormatText("FIR_%d_%s %s fs=%g Att=%1.3gdB", n, f, t, s.fs, s.attenuation);
            }
            break;
        case LowPass:
        case HighPass:
            if (!m_current.GoesWithRequest()) {
                title =
                    FormatText("FIR_%d_%s %s fs=%g fc=%1.4g Att=%1.3gdB Rip=%1.3gdB COEF ANALYSIS",
                               n, f, t, s.fs, work.f1, work.attenuation, work.ripple);
            } else if (m_analysed && work.f1 > 0.0001) {
                title = FormatText("FIR_%d_%s %s fs=%g fc=%1.4g Att=%1.3gdB Rip=%1.3gdB", n, f, t,
                                   s.fs, s.f1, s.attenuation, s.ripple);
            } else {
                title = FormatText("FIR_%d_%s %s fs=%g fc=%1.4g NOT COHERENT", n, f, t, s.fs, s.f1);
            }
            break;
        default:  // BandPass, BandStop
            if (!m_current.GoesWithRequest()) {
                title = FormatText(
                    "FIR_%d_%s %s fs=%g fc1=%g fc2=%1.4g Att=%1.3gdB Rip=%1.3gdB COEF ANALYSIS", n,
                    f, t, s.fs, work.f1, work.f2, work.attenuation, work.ripple);
            } else if (m_analysed && work.f1 > 0.0001 && work.f2 > 0.0001) {
                title = FormatText("FIR_%d_%s %s fs=%g fc1=%1.4g fc2=%1.4g Att=%1.3gdB Rip=%1.3gdB",
                                   n, f, t, s.fs, s.f1, s.f2, s.attenuation, s.ripple);
            } else {
                title = FormatText("FIR_%d_%s %s fs=%g fc1=%1.4g fc2=%1.4g NOT COHERENT", n, f, t,
                                   s.fs, s.f1, s.f2);
            }
            break;
    }
    if (title.size() > kTitleCapacity - 1) title.resize(kTitleCapacity - 1);
    return 1;
}

int FilterWorkspace::ShowInEditor() {
    if (m_editor) m_editor->ClearEditorText();
    if (!m_current.valid) {
        ShowMessage("No filter designed yet, opening empty Editor window");
        if (m_editor) m_editor->SetEditorTitle("FIR View Edit Window");
        return 0;
    }
    if (!BuildDescription() || m_textSize == 0) {
        ShowMessage("No valid Filter coefs available");
        return 0;
    }
    if (m_textOverflow) {
        ShowMessage("Sorry... there are too many coefs to display!");
        return 0;
    }
    std::string title;
    if (!FilterTitle(title) || title.empty()) {
        ShowMessage("Sorry... This filter is not valid!");
        return 0;
    }
    if (m_editor) {
        m_editor->SetEditorTitle(title);
        m_editor->SetEditorText(m_text.data(), m_textSize);
    }
    return 1;
}

}  // namespace ondela
