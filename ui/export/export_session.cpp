#include "ui/export/export_session.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "numbers/number_text.h"
#include "workspace/export_summary.h"
#include "workspace/file_paths.h"
#include "workspace/file_replace.h"
#include "workspace/filter_file_text.h"
#include "workspace/filter_workspace.h"
#include "workspace/user_dialogs.h"

namespace ondela {

namespace {

constexpr const char* kNoFilter = "No valid filter coefs available";

// The first description of the chooser's filter.
const char* FormatLabel(ExportFormat format) {
    switch (format) {
        case ExportFormat::Coe:
            return "Xilinx COE Files";
        case ExportFormat::Mif:
            return "Memory Initialisation Files";
        case ExportFormat::Vhdl:
            return "VHDL Files";
        case ExportFormat::Verilog:
            return "Verilog Include Files";
        case ExportFormat::Cmsis:
            return "C Header Files";
        case ExportFormat::Csv:
            return "CSV Files";
        case ExportFormat::Npy:
            return "NumPy Arrays";
        case ExportFormat::Json:
            return "JSON Files";
    }
    return "Files";
}

std::string Decibels(const char* format, double db) {
    return FormatText(format, db);
}

}  // namespace

ExportSession::ExportSession(FilterWorkspace& ws, std::string program, std::string version)
    : m_ws(ws), m_program(std::move(program)), m_version(std::move(version)) {
    choices.name = DefaultName();
    if (const char* home = std::getenv("HOME")) homeDir = home;
}

std::string ExportSession::DefaultName() const {
    std::string name = m_ws.Current().valid ? FilterTypeName(m_ws.Current().request.type) : "";
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return name.empty() ? "fir" : name;
}

ExportRequest ExportSession::Request() const {
    ExportRequest request;
    const std::span<const double> taps = m_ws.Current().Taps();
    request.coefs.assign(taps.begin(), taps.end());
    request.fixed.wordBits = choices.wordBits;
    request.fixed.fracBits = choices.fracBits;
    request.fixed.rounding = choices.rounding;
    request.name = choices.name;
    request.options.radix = choices.radix;
    request.options.cmsisType = choices.cmsisType;
    request.options.realValues = choices.realValues && (choices.format == ExportFormat::Csv ||
                                                        choices.format == ExportFormat::Npy);
    return request;
}

ExportPreview ExportSession::Preview() {
    ExportPreview p;
    if (!m_ws.Current().valid || m_ws.Current().Count() <= 0) {
        p.refusal = kNoFilter;
        return p;
    }
    if (!m_ws.Current().GoesWithRequest() && !(m_ws.Current().achieved.fs > 0.0)) {
        p.refusal = "The filter has no sampling frequency: its coefficients cannot be measured.";
        return p;
    }
    // The export itself checks the identifier, the word and the format's options and quantises.
    const ExportRequest request = Request();
    const ExportResult checked = ExportCoefficients(choices.format, request);
    if (!checked.error.empty()) {
        p.refusal = checked.error;
        return p;
    }
    p.quantised = checked.quantised;
    const QuantisedCoefs& q = p.quantised;
    const std::vector<double> values = QuantisedValues(q);
    p.design = CurrentDesignSummary(m_ws, values, m_program, m_version);
    const DesignSummary& d = p.design;
    p.measurable = d.noFilter.empty();

    const std::string qName = QFormatName(q.format);
    const std::string word =
        FormatText("%d-bit signed, ", q.format.wordBits) + FractionBitsText(q.format.fracBits);
    p.lines.push_back((qName.empty() ? word : qName + " (" + word + ")") + ", rounded " +
                      RoundingText(q.format.rounding));
    p.lines.push_back(q.saturated == 0
                          ? FormatText("%zu coefficients, none saturated", q.values.size())
                          : SaturationText(q));

    const bool halfBand = d.type == FilterTypeName(HalfBand);
    if (d.achievedAttenuation) {
        std::string line = Decibels("Stop-band attenuation %.1f dB", *d.achievedAttenuation);
        if (d.targetAttenuation) line += Decibels(" (%.1f dB asked for)", *d.targetAttenuation);
        p.lines.push_back(line);
        p.attenuationMissed =
            d.targetAttenuation && AttenuationMissed(*d.targetAttenuation, *d.achievedAttenuation);
    }
    if (d.achievedRipple && !halfBand) {
        std::string line = Decibels("Pass-band ripple %.3f dB", *d.achievedRipple);
        if (d.targetRipple) line += Decibels(" (%.3f dB asked for)", *d.targetRipple);
        p.lines.push_back(line);
        p.rippleMissed = d.targetRipple && RippleMissed(*d.targetRipple, *d.achievedRipple);
    }

    if (!d.noFilter.empty()) {
        // Words without a filter meet no target.
        p.attenuationMissed = d.targetAttenuation.has_value();
        p.rippleMissed = d.targetRipple.has_value() && !halfBand;
        p.lines.push_back("No filter: " + d.noFilter);
        p.warnings.push_back("Warning: the words hold no filter: " + d.noFilter + ".");
    }
    if (d.targetsMet && !*d.targetsMet) {
        p.warnings.push_back(
            FormatText("Warning: in %d-bit words the filter misses its specification: ",
                       q.format.wordBits) +
            d.missedTargets + ".");
    }
    if (q.saturated > 0) {
        p.warnings.push_back(
            FormatText("Warning: %d coefficient%s saturated; fewer fraction bits "
                       "keep them inside the word.",
                       q.saturated, q.saturated == 1 ? "" : "s"));
    }
    return p;
}

std::string ExportSession::ChooserFilter() const {
    const char* ext = ExportFileExtension(choices.format) + 1;  // without the dot
    return FormatText("%s (*.%s)|*.%s|All Files (*.*)|*.*", FormatLabel(choices.format), ext, ext);
}

std::string ExportSession::ProposedFileName() {
    // HDL tools and compilers take file names without spaces: the identifier the declarations are
    // named after (a VHDL file after its package, NAME_pkg).
    const std::string name = IdentifierProblem(choices.name).empty() ? choices.name : DefaultName();
    return name + (choices.format == ExportFormat::Vhdl ? "_pkg" : "") +
           ExportFileExtension(choices.format);
}

std::string ExportSession::StartDirectory() {
    return m_ws.ExportStartDirectory(homeDir);
}

ExportWrite ExportSession::WriteTo(const std::string& path) {
    ExportWrite outcome;
    outcome.path = path;
    const ExportPreview preview = Preview();
    if (!preview.refusal.empty()) {
        outcome.message = preview.refusal;
        return outcome;
    }
    ExportRequest request = Request();
    request.design = preview.design;
    const ExportResult result = ExportCoefficients(choices.format, request);
    if (!result.error.empty()) {
        outcome.message = result.error;
        return outcome;
    }
    FileReplaceFailure failure;
    if (!UsableFilePath(path)) {
        outcome.message = "Could not create the file " + path + ": the name cannot be used.";
        return outcome;
    }
    if (!ReplaceFileContents(path, result.content, &failure, m_ws.m_writeBytes)) {
        const std::string reason = failure.error != 0 ? std::strerror(failure.error) : "";
        outcome.message =
            failure.stage == FileReplaceFailure::kCreate
                ? "Could not create the file " + path + (reason.empty() ? "" : ": " + reason) + "."
                : "Could not write the file " + path + (reason.empty() ? "" : ": " + reason) +
                      ". A file already there is left as it was.";
        return outcome;
    }
    outcome.written = true;
    return outcome;
}

ExportWrite ExportSession::Export(UserDialogs& dialogs) {
    ExportWrite outcome;
    const ExportPreview preview = Preview();
    if (!preview.refusal.empty()) {
        outcome.message = preview.refusal;
        dialogs.MessageBox(outcome.message, kAppTitle, MessageButtons::Ok, MessageIcon::Warning);
        return outcome;
    }
    const auto chosen =
        dialogs.ChooseFileToSave(StartDirectory(), ProposedFileName(), ChooserFilter());
    if (!chosen || chosen->empty()) return outcome;
    outcome = WriteTo(*chosen);
    if (!outcome.written) {
        dialogs.MessageBox(outcome.message, kAppTitle, MessageButtons::Ok, MessageIcon::Error);
        return outcome;
    }
    // The next save, of a filter or of an export, starts in this folder.
    m_ws.m_saveDir = DirectoryOf(chosen->c_str());
    return outcome;
}

}  // namespace ondela
