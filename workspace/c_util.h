// Small routines shared by the workspace, the description text, the main window and the plots:
// reading typed frequencies, rounding for display, one-digit axis limits and spin steps, finding
// numbers and keywords in the description text, bounded text handling, paths, a local time stamp
// and the magnitude response at one frequency.
//
// Positions in a text are pointers into it; nullptr means "none". Text is single-byte and
// zero-terminated; letters are compared after conversion to ASCII lower case.
#pragma once

#include <cstdint>
#include <string>

namespace ondela {

class CUtil {
  public:
    CUtil() = default;
    virtual ~CUtil();

    // |H| at x (fraction of the Nyquist frequency) of coefs quantised to the coefficient format
    // fmt (0..3); 1e-12 when the power is not positive, 0 for an unknown format.
    double ResponseMagnitude(const double* coefs, int n, double x, int fmt) const;

    // Directory of the running program, without a trailing separator and at most 258
    // characters, into dest. Returns the length of the program's full path as the system
    // reported it; 0 (dest untouched) when it could not be found.
    int ModuleDirectory(std::string& dest) const;
    // The directory part of the first 259 characters of path: cut at the last "\", else at the
    // last "/"; empty when there is neither or path is missing.
    std::string DirectoryOf(const char* path) const;
    // Nonzero when a file (not a directory) exists at path.
    int FileExists(const char* path) const;

    // Number of leading characters in 0x20..0x7E; at most 4095.
    int PrintableLength(const char* text) const;

    // First position at or after p holding a digit, "+", "-" or "."; at most 50000 characters
    // are examined.
    const char* FindNumberStart(const char* p) const;
    // First position at or after p holding a space, "=" or the terminator; none after 500000
    // characters without one.
    const char* FindWordEnd(const char* p) const;
    // Reads the next number of a coefficient list into value and classifies it: kind 0 FLT64,
    // 1 FLT32 (a point or exponent and at most 10 digits before the exponent), 2 INT32, 3 INT16
    // (integers of at most 5 digits). Returns the position of the character that ended the
    // number, or none (value 0, kind 0) when no number is left.
    const char* NextCoefToken(const char* p, double& value, int& kind) const;

    // A typed frequency in hertz: a decimal comma is accepted, "kHz" anywhere (any case)
    // multiplies by 1000, and text that is no number reads 0. At most 32 characters are read.
    double ParseFrequency(const char* text) const;
    // x rounded to three significant digits (a multiple of 10 from 1000 on); 0 below 0.01.
    double RoundDisplay(double x) const;
    // The smallest value with one significant digit not below x; 0 for negative x.
    double NiceCeil(double x) const;
    // One step up or down the ladder 1, 2, ..., 9, 10, 20, ...; a negative x steps the other
    // way. 0 when x is not finite.
    double NiceStep(bool up, double x) const;

    // Length of text, at most 1048575; 0 for no text.
    int BoundedLength(const char* text) const;
    // dest = the first 520 characters of src (empty for no src).
    void CopyText(std::string& dest, const char* src) const;
    // Appends src to dest; nothing for no src.
    void AppendText(std::string& dest, const char* src) const;
    // First occurrence of word in text, ignoring case; an empty word matches at the start.
    const char* FindNoCase(const char* text, const char* word) const;
    // As FindNoCase, but fails once more than limit characters that differ from the word's
    // first letter stand before the match.
    const char* FindNoCaseNear(const char* text, const char* word, int limit) const;
    // dest = the formatted text (as FormatText), cut to 4095 characters. Returns its length.
    int FormatTo(std::string& dest, const char* format, ...) const
        __attribute__((format(printf, 3, 4)));

    // Local time of t as "year:month:day:hour:minute" ("%Y:%m:%d:%H:%M"). Throws
    // std::invalid_argument when t cannot be converted to a local time.
    std::string TimeStamp(int64_t t) const;
};

// The same time stamp as a plain function, for callers that hold no CUtil.
std::string LocalTimeStamp(int64_t t);

}  // namespace ondela
