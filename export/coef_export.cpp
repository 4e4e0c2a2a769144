#include "export/coef_export.h"

#include "numbers/number_text.h"

namespace ondela {

namespace {

struct FormatRow {
    ExportFormat format;
    const char* name;
    const char* extension;
};

constexpr FormatRow kFormats[] = {
    {ExportFormat::Coe, "coe", ".coe"},   {ExportFormat::Mif, "mif", ".mif"},
    {ExportFormat::Vhdl, "vhdl", ".vhd"}, {ExportFormat::Verilog, "verilog", ".vh"},
    {ExportFormat::Cmsis, "cmsis", ".h"}, {ExportFormat::Csv, "csv", ".csv"},
    {ExportFormat::Npy, "npy", ".npy"},   {ExportFormat::Json, "json", ".json"},
};

const FormatRow& RowOf(ExportFormat format) {
    for (const FormatRow& row : kFormats) {
        if (row.format == format) return row;
    }
    return kFormats[0];
}

// What the format's own options and limits refuse; empty when they allow the file.
std::string FormatProblem(ExportFormat format, const ExportOptions& options,
                          const QuantisedCoefs& q) {
    if ((format == ExportFormat::Coe || format == ExportFormat::Mif) && options.radix != 10 &&
        options.radix != 16) {
        return FormatText("The radix must be 10 or 16; %d was asked for.", options.radix);
    }
    if (format == ExportFormat::Cmsis) {
        const std::string problem = CmsisProblem(q.format, options.cmsisType);
        if (!problem.empty()) return problem;
        // The FIR functions count taps in 16 bits.
        if (q.values.size() > 65534) return "A CMSIS-DSP filter has at most 65534 taps.";
    }
    return {};
}

}  // namespace

const char* ExportFormatName(ExportFormat format) {
    return RowOf(format).name;
}

std::optional<ExportFormat> ExportFormatFromName(std::string_view name) {
    for (const FormatRow& row : kFormats) {
        if (name == row.name) return row.format;
    }
    return std::nullopt;
}

const char* ExportFileExtension(ExportFormat format) {
    return RowOf(format).extension;
}

bool IsTextExport(ExportFormat format) {
    return format != ExportFormat::Npy;
}

FixedPointRequest ExportWord(ExportFormat format, const ExportRequest& request) {
    FixedPointRequest word = request.fixed;
    if (format == ExportFormat::Cmsis && !word.fracBits) {
        word.fracBits = CmsisFracBits(request.options.cmsisType);
    }
    return word;
}

ExportResult ExportCoefficients(ExportFormat format, const ExportRequest& request) {
    ExportResult result;
    for (const std::string& problem :
         {IdentifierProblem(request.name), FixedPointProblem(request.fixed),
          CoefficientProblem(request.coefs)}) {
        if (!problem.empty()) {
            result.error = problem;
            return result;
        }
    }
    ExportContext context{request.name, request.design,
                          Quantise(request.coefs, ExportWord(format, request))};
    result.quantised = context.quantised;
    result.error = FormatProblem(format, request.options, context.quantised);
    if (!result.error.empty()) return result;

    const ExportOptions& o = request.options;
    switch (format) {
        case ExportFormat::Coe:
            result.content = CoeFile(context, o.radix);
            break;
        case ExportFormat::Mif:
            result.content = MifFile(context, o.radix);
            break;
        case ExportFormat::Vhdl:
            result.content = VhdlPackage(context);
            break;
        case ExportFormat::Verilog:
            result.content = VerilogInclude(context);
            break;
        case ExportFormat::Cmsis:
            result.content = CmsisHeader(context, o.cmsisType);
            break;
        case ExportFormat::Csv:
            result.content = CsvFile(context, o.realValues);
            break;
        case ExportFormat::Npy:
            result.content = NpyFile(context, o.realValues);
            break;
        case ExportFormat::Json:
            result.content = JsonFile(context);
            break;
    }
    return result;
}

}  // namespace ondela
