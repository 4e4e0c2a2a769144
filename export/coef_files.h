// The coefficient files, one function each: each takes the quantised coefficients with their
// design and returns the whole file. Every file but the .npy array states in its own comment
// syntax (or, for JSON, in its fields) the program, the design's parameters and achieved values
// and the fixed-point format. The caller has checked the identifier and the options
// (ExportCoefficients in coef_export.h does both).
#pragma once

#include <optional>
#include <string>

#include "export/export_context.h"

namespace ondela {

// Xilinx coefficient file: "radix=10;" or "radix=16;", then "coefdata=" with one value a line,
// separated by commas and ended by ";". Hexadecimal values are two's complement, sign-extended to
// whole hex digits (18 bits: 5 digits, -1 is "FFFFF").
std::string CoeFile(const ExportContext& context, int radix);

// Intel/Altera memory initialisation file: WIDTH = W, DEPTH = the count, unsigned decimal
// addresses, signed decimal data (radix 10) or the W-bit two's complement in hexadecimal
// (radix 16), one "address : value;" line each between CONTENT BEGIN and END.
std::string MifFile(const ExportContext& context, int radix);

// A VHDL package NAME_pkg (numeric_std): NAME_COUNT, NAME_WORD_BITS, NAME_FRAC_BITS and the
// constant array NAME_COEFS of signed(W-1 downto 0), indexed from 0.
std::string VhdlPackage(const ExportContext& context);

// A Verilog-2001 include for a module body: localparams NAME_COUNT, NAME_WORD_BITS,
// NAME_FRAC_BITS and the array name_coefs of signed W-bit regs, filled by an initial block.
std::string VerilogInclude(const ExportContext& context);

// The number type of a CMSIS-DSP coefficient header.
enum class CmsisType {
    Q15,  // q15_t: needs a 16-bit word
    Q31,  // q31_t: needs a 32-bit word
    F32,  // float32_t: the quantised values q / 2^F in single precision
};
// The fraction bits the FIR functions of a type read their coefficients with: q15_t is Q1.15 and
// q31_t Q1.31, so that the filter keeps its gain; none for float32_t, which takes any F.
std::optional<int> CmsisFracBits(CmsisType type);
// What keeps the quantisation from going into a CMSIS header of the type (a word of another
// length, or other fraction bits than the type's own); empty when it fits.
std::string CmsisProblem(const FixedPointFormat& format, CmsisType type);
// A C header for the CMSIS-DSP FIR functions: NAME_NUM_TAPS, NAME_FRAC_BITS and the array
// name_coefs (q15_t and q31_t in the type's own Q1.15 or Q1.31: CmsisProblem empty), in the
// time-reversed order those functions take. A q15_t array of odd or fewer than four taps gets zero
// taps at its oldest end, as the q15 functions need an even count of at least four.
std::string CmsisHeader(const ExportContext& context, CmsisType type);

// One value a line after "#" comment lines: the integers, or with realValues the values
// q / 2^F written so that they read back exactly.
std::string CsvFile(const ExportContext& context, bool realValues);

// A NumPy .npy array (format version 1.0, one dimension): the integers in the smallest signed
// type that holds W bits (int8, int16, int32), or with realValues the values q / 2^F as float64,
// little-endian. The format has no room for comments.
std::string NpyFile(const ExportContext& context, bool realValues);

// A JSON object: program, version, name, the design, wordBits, fracBits, qFormat, rounding,
// saturated, the integers ("values") and the values q / 2^F ("coefficients").
std::string JsonFile(const ExportContext& context);

}  // namespace ondela
