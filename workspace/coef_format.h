// The four number formats in which the coefficients are delivered: their names, the C type of the
// written array, how many values a row holds, the text of one value, and the value a number has
// when a written list is read back.
#pragma once

#include <string>

#include "engine/filter_spec.h"

namespace ondela {

// "FLT64", "FLT32", "INT32", "INT16"; empty for any other code.
const char* CoefFormatName(int format);
// "double", "float", "int", "short"; empty for any other code.
const char* CoefTypeKeyword(int format);
// Values per row of the written array: 4, 6, 6, 8; 0 for any other code.
int CoefsPerRow(int format);

// The text of coefficient c in the format, followed by "," or, for the last value of the array,
// by " };" and a line end: the double with "% 17.16e", the double rounded to single precision
// with "% 9.8e", q32 with "% 11d", q16 with "% 6d". Empty for an unknown format.
std::string CoefValueText(double c, int format, bool last);

// The coefficient a number of a written list stands for, by the format kind the number was
// classified as: FLT64 unchanged, FLT32 rounded to single precision, INT32 divided by
// 2147483647, INT16 wrapped to a signed 16-bit value and divided by 32767. Unknown kinds leave
// the number unchanged.
double CoefFromText(double number, int kind);

// The value coefficient c has once written in the format (CoefValueText) and read back
// (CoefFromText): the value a file of that format holds for it. NaN for an unknown format.
double StoredCoefValue(double c, int format);

// Whether the n coefficients stored in a file of the format (as read back) are those of the
// design, written in that format. A stored value matches when it lies within the larger of the
// format's resolution and 1e-6 of the design's largest coefficient from the design as written: the
// rounding to the format is then no difference, and neither is a design that moved in its last
// digits (as between builds), while an edited coefficient is.
bool StoredCoefsMatch(const double* designed, const double* stored, int n, int format);

// The format of a whole written list: the smallest kind code among its numbers (FLT64 before
// FLT32 before INT32 before INT16); a list without numbers counts as INT16.
class CoefListFormat {
  public:
    void Add(int kind) {
        if (kind >= FLT64 && kind < format_) format_ = kind;
    }
    int Format() const { return format_; }

  private:
    int format_ = INT16;
};

}  // namespace ondela
