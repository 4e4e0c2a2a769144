// Coefficients as a C header for the CMSIS-DSP FIR functions.
#include <algorithm>
#include <cmath>
#include <vector>

#include "export/coef_files.h"
#include "numbers/number_text.h"

namespace ondela {

namespace {

const char* TypeName(CmsisType type) {
    switch (type) {
        case CmsisType::Q15:
            return "q15_t";
        case CmsisType::Q31:
            return "q31_t";
        case CmsisType::F32:
            break;
    }
    return "float32_t";
}

// The suffix of the FIR functions for a type.
const char* FunctionSuffix(CmsisType type) {
    switch (type) {
        case CmsisType::Q15:
            return "q15";
        case CmsisType::Q31:
            return "q31";
        case CmsisType::F32:
            break;
    }
    return "f32";
}

// A C constant for one entry: a decimal integer ((-2147483647 - 1) for the one 32-bit value
// without a positive counterpart) or a float literal with nine significant digits, enough to
// read back as the same single-precision value.
std::string Entry(int32_t v, const FixedPointFormat& format, CmsisType type) {
    if (type == CmsisType::F32) {
        const float f = static_cast<float>(std::ldexp(static_cast<double>(v), -format.fracBits));
        std::string text = FormatText("%.9g", static_cast<double>(f));
        if (text.find_first_of(".e") == std::string::npos) text += ".0";
        return text + "f";
    }
    if (static_cast<int64_t>(v) < -int64_t{2147483647}) return "(-2147483647 - 1)";
    return FormatText("%d", v);
}

}  // namespace

std::optional<int> CmsisFracBits(CmsisType type) {
    switch (type) {
        case CmsisType::Q15:
            return 15;
        case CmsisType::Q31:
            return 31;
        case CmsisType::F32:
            break;
    }
    return std::nullopt;
}

std::string CmsisProblem(const FixedPointFormat& format, CmsisType type) {
    if (type == CmsisType::Q15 && format.wordBits != 16) {
        return FormatText("A q15_t header needs a 16-bit word; %d bits were asked for.",
                          format.wordBits);
    }
    if (type == CmsisType::Q31 && format.wordBits != 32) {
        return FormatText("A q31_t header needs a 32-bit word; %d bits were asked for.",
                          format.wordBits);
    }
    // The FIR functions read the words as Q1.15 or Q1.31 whatever the header says: other
    // fraction bits would scale the filter's output by a power of two.
    const std::optional<int> own = CmsisFracBits(type);
    if (own && format.fracBits != *own) {
        return FormatText("A %s header holds Q1.%d words (%d fraction bits); %d was asked for.",
                          TypeName(type), *own, *own, format.fracBits);
    }
    return {};
}

std::string CmsisHeader(const ExportContext& context, CmsisType type) {
    const QuantisedCoefs& q = context.quantised;
    const std::string& name = context.name;
    const std::string upper = UpperName(name);
    const int f = q.format.fracBits;

    // The FIR functions take b[N-1] first and b[0] last.
    std::vector<int32_t> reversed(q.values.rbegin(), q.values.rend());
    std::size_t padding = 0;
    if (type == CmsisType::Q15) {
        const std::size_t even = std::max<std::size_t>(4, (q.values.size() + 1) / 2 * 2);
        padding = even - q.values.size();
        // Zero taps after the filter's last one (the oldest samples): the response and the
        // delay stay the same.
        reversed.insert(reversed.begin(), padding, 0);
    }

    std::string text = CommentBlock(DescriptionLines(context), "// ");
    text += "//\n";
    text += FormatText(
        "// The array is in the time-reversed order that the CMSIS-DSP FIR functions\n"
        "// (arm_fir_init_%s and the arm_fir_%s filters) take: the tap of the oldest\n"
        "// sample, b[N-1], first and b[0] last.\n",
        FunctionSuffix(type), FunctionSuffix(type));
    if (padding == 1) {
        text += FormatText(
            "// The q15 functions need an even count of at least four taps: the first entry is\n"
            "// a zero tap after b[%zu], which changes neither the response nor the delay.\n",
            q.values.size() - 1);
    } else if (padding > 1) {
        text += FormatText(
            "// The q15 functions need an even count of at least four taps: the first %zu\n"
            "// entries are zero taps after b[%zu], which change neither the response nor the\n"
            "// delay.\n",
            padding, q.values.size() - 1);
    }
    if (type == CmsisType::F32) {
        text += FormatText("// float32_t values: the %d-bit integers divided by 2^%d%s.\n",
                           q.format.wordBits, f,
                           q.format.wordBits > 24 ? ", rounded to single precision" : "");
    } else {
        text += FormatText(
            "// %s: Q format %s, as the FIR functions read it; value = integer / 2^%d.\n",
            TypeName(type), QFormatName(q.format).c_str(), f);
    }

    const std::string guard = upper + "_COEFS_H";
    text += "\n#ifndef " + guard + "\n#define " + guard + "\n\n#include \"arm_math.h\"\n\n";
    text += FormatText("#define %s_NUM_TAPS %zuU\n", upper.c_str(), reversed.size());
    text += FormatText("#define %s_FRAC_BITS %d\n\n", upper.c_str(), f);
    text += FormatText("static const %s %s_coefs[%s_NUM_TAPS] = {\n", TypeName(type), name.c_str(),
                       upper.c_str());
    const std::size_t perRow = type == CmsisType::F32 ? 4 : 8;
    for (std::size_t i = 0; i < reversed.size(); ++i) {
        if (i % perRow == 0) text += "   ";
        text += " " + Entry(reversed[i], q.format, type) + (i + 1 < reversed.size() ? "," : "");
        if (i % perRow == perRow - 1 || i + 1 == reversed.size()) text += "\n";
    }
    text += "};\n\n#endif\n";
    return text;
}

}  // namespace ondela
