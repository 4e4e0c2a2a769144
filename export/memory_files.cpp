// The two memory-style coefficient files FPGA tools read: the Xilinx coefficient file and the
// Intel/Altera memory initialisation file.
#include "export/coef_files.h"
#include "numbers/number_text.h"

namespace ondela {

std::string CoeFile(const ExportContext& context, int radix) {
    const QuantisedCoefs& q = context.quantised;
    // Any text after a semicolon is a comment in this format.
    std::string text = CommentBlock(DescriptionLines(context), "; ");
    if (radix == 16) {
        text += "; Hexadecimal values are two's complement, sign-extended to whole digits.\n";
    }
    text += FormatText("radix=%d;\ncoefdata=\n", radix);
    // Sign extension to the top of the most significant digit keeps a negative value negative
    // for a reader that takes the digits as the whole word.
    const int digits = HexDigitsFor(q.format.wordBits);
    for (std::size_t i = 0; i < q.values.size(); ++i) {
        text += radix == 16 ? TwosComplementHex(q.values[i], 4 * digits, digits)
                            : FormatText("%d", q.values[i]);
        text += i + 1 < q.values.size() ? ",\n" : ";\n";
    }
    return text;
}

std::string MifFile(const ExportContext& context, int radix) {
    const QuantisedCoefs& q = context.quantised;
    std::string text = CommentBlock(DescriptionLines(context), "-- ");
    text += FormatText("\nWIDTH=%d;\nDEPTH=%zu;\n\nADDRESS_RADIX=UNS;\nDATA_RADIX=%s;\n\n",
                       q.format.wordBits, q.values.size(), radix == 16 ? "HEX" : "DEC");
    text += "CONTENT BEGIN\n";
    const int digits = HexDigitsFor(q.format.wordBits);
    for (std::size_t i = 0; i < q.values.size(); ++i) {
        const std::string value = radix == 16
                                      ? TwosComplementHex(q.values[i], q.format.wordBits, digits)
                                      : FormatText("%d", q.values[i]);
        text += FormatText("    %zu : %s;\n", i, value.c_str());
    }
    text += "END;\n";
    return text;
}

}  // namespace ondela
