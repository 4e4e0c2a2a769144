// Coefficients as hardware description source: a VHDL package and a Verilog include.
#include "export/coef_files.h"
#include "numbers/number_text.h"

namespace ondela {

namespace {

// A VHDL expression of type signed(W-1 downto 0) for v. VHDL's integer range need not reach
// -2^31, so the most negative 32-bit word is written as its bit pattern.
std::string VhdlSigned(int32_t v, int w) {
    if (static_cast<int64_t>(v) < -int64_t{2147483647}) {
        return "signed'(x\"" + TwosComplementHex(v, w, HexDigitsFor(w)) + "\")";
    }
    return FormatText("to_signed(%d, %d)", v, w);
}

// A Verilog-2001 signed constant of W bits for v: the magnitude as a sized decimal with the
// sign in front, except the most negative word, whose magnitude does not fit; it is written as
// its bit pattern.
std::string VerilogSigned(int32_t v, int w) {
    const int64_t value = v;
    if (value == WordMin(w)) {
        return FormatText("%d'sh", w) + TwosComplementHex(value, w, HexDigitsFor(w));
    }
    if (value < 0) return FormatText("-%d'sd%lld", w, static_cast<long long>(-value));
    return FormatText("%d'sd%lld", w, static_cast<long long>(value));
}

}  // namespace

std::string VhdlPackage(const ExportContext& context) {
    const QuantisedCoefs& q = context.quantised;
    const std::string& name = context.name;
    const std::string upper = UpperName(name);
    const int w = q.format.wordBits;
    std::string text = CommentBlock(DescriptionLines(context), "-- ");
    text += "library ieee;\nuse ieee.std_logic_1164.all;\nuse ieee.numeric_std.all;\n\n";
    text += "package " + name + "_pkg is\n";
    text +=
        FormatText("    constant %s_COUNT : positive := %zu;\n", upper.c_str(), q.values.size());
    text += FormatText("    constant %s_WORD_BITS : positive := %d;\n", upper.c_str(), w);
    text += FormatText("    constant %s_FRAC_BITS : integer := %d;\n", upper.c_str(),
                       q.format.fracBits);
    text += FormatText(
        "    type %s_coef_array is array (0 to %s_COUNT - 1) of signed(%s_WORD_BITS "
        "- 1 downto 0);\n",
        name.c_str(), upper.c_str(), upper.c_str());
    text += FormatText("    -- Coefficient i stands for %s_COEFS(i) / 2**%s_FRAC_BITS.\n",
                       upper.c_str(), upper.c_str());
    text += FormatText("    constant %s_COEFS : %s_coef_array := (\n", upper.c_str(), name.c_str());
    // Named association, so that a single coefficient is an aggregate too.
    for (std::size_t i = 0; i < q.values.size(); ++i) {
        text += FormatText("        %zu => %s%s\n", i, VhdlSigned(q.values[i], w).c_str(),
                           i + 1 < q.values.size() ? "," : "");
    }
    text += "    );\nend package " + name + "_pkg;\n";
    return text;
}

std::string VerilogInclude(const ExportContext& context) {
    const QuantisedCoefs& q = context.quantised;
    const std::string& name = context.name;
    const std::string upper = UpperName(name);
    const int w = q.format.wordBits;
    std::string text = CommentBlock(DescriptionLines(context), "// ");
    text += "// Include inside a module body. Coefficient i stands for " + name +
            "_coefs[i] / 2**" + upper + "_FRAC_BITS.\n";
    text += FormatText("localparam integer %s_COUNT = %zu;\n", upper.c_str(), q.values.size());
    text += FormatText("localparam integer %s_WORD_BITS = %d;\n", upper.c_str(), w);
    text += FormatText("localparam integer %s_FRAC_BITS = %d;\n", upper.c_str(), q.format.fracBits);
    text += FormatText("reg signed [%s_WORD_BITS-1:0] %s_coefs [0:%s_COUNT-1];\n", upper.c_str(),
                       name.c_str(), upper.c_str());
    text += "initial begin\n";
    for (std::size_t i = 0; i < q.values.size(); ++i) {
        text += FormatText("    %s_coefs[%zu] = %s;\n", name.c_str(), i,
                           VerilogSigned(q.values[i], w).c_str());
    }
    text += "end\n";
    return text;
}

}  // namespace ondela
