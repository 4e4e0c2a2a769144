// Exporting a coefficient set: the format by name, the options the formats take, and one call
// that checks a request, quantises the coefficients and returns the file.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "export/coef_files.h"
#include "export/export_context.h"
#include "export/fixed_point.h"

namespace ondela {

enum class ExportFormat { Coe, Mif, Vhdl, Verilog, Cmsis, Csv, Npy, Json };

// "coe", "mif", "vhdl", "verilog", "cmsis", "csv", "npy", "json".
const char* ExportFormatName(ExportFormat format);
// The format of a name as ExportFormatName writes it; none for any other text.
std::optional<ExportFormat> ExportFormatFromName(std::string_view name);
// The usual file extension: ".coe", ".mif", ".vhd", ".vh", ".h", ".csv", ".npy", ".json".
const char* ExportFileExtension(ExportFormat format);
// Whether the file is text (all but .npy).
bool IsTextExport(ExportFormat format);

struct ExportOptions {
    int radix = 10;                        // COE and MIF values: 10 or 16
    CmsisType cmsisType = CmsisType::Q15;  // CMSIS header
    bool realValues = false;               // CSV and .npy: q / 2^F (float64) instead of integers
};

struct ExportRequest {
    std::vector<double> coefs;  // the filter's coefficients, b[0] first
    FixedPointRequest fixed;
    std::string name;  // identifier for the declarations
    DesignSummary design;
    ExportOptions options;
};

struct ExportResult {
    std::string error;    // why no file was made, in words for the user; empty on success
    std::string content;  // the whole file (bytes for .npy)
    QuantisedCoefs quantised;
};

// The word a format quantises to: the request's, except that a q15_t or q31_t CMSIS header with
// automatic fraction bits takes its type's own (15 or 31), as its FIR functions read them.
FixedPointRequest ExportWord(ExportFormat format, const ExportRequest& request);

// Checks the request (identifier, word length and fraction bits, coefficients, the format's own
// options), quantises the coefficients and makes the file.
ExportResult ExportCoefficients(ExportFormat format, const ExportRequest& request);

}  // namespace ondela
