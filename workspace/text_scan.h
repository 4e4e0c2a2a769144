// Scanning the description text and bounded text handling: finding numbers, words and keywords
// (letters compared after conversion to ASCII lower case), reading the numbers of a coefficient
// list, and copying, appending and formatting text within fixed limits. Positions in a text are
// pointers into it; nullptr means "none". Text is single-byte and zero-terminated.
#pragma once

#include <string>

namespace ondela {

// Number of leading characters in 0x20..0x7E; at most 4095.
int PrintableLength(const char* text);

// First position at or after p holding a digit, "+", "-" or "."; at most 50000 characters
// are examined.
const char* FindNumberStart(const char* p);

// First position at or after p holding a space, "=" or the terminator; none after 500000
// characters without one.
const char* FindWordEnd(const char* p);

// Reads the next number of a coefficient list into value and classifies it: kind 0 FLT64,
// 1 FLT32 (a point or exponent and at most 10 digits before the exponent), 2 INT32, 3 INT16
// (integers of at most 5 digits). Returns the position of the character that ended the
// number, or none (value 0, kind 0) when no number is left.
const char* NextCoefToken(const char* p, double& value, int& kind);

// Length of text, at most 1048575; 0 for no text.
int BoundedLength(const char* text);

// dest = the first 520 characters of src (empty for no src).
void CopyText(std::string& dest, const char* src);

// Appends src to dest; nothing for no src.
void AppendText(std::string& dest, const char* src);

// First occurrence of word in text, ignoring case; an empty word matches at the start.
const char* FindNoCase(const char* text, const char* word);

// As FindNoCase, but fails once more than limit characters that differ from the word's
// first letter stand before the match.
const char* FindNoCaseNear(const char* text, const char* word, int limit);

// dest = the formatted text (as FormatText), cut to 4095 characters. Returns its length.
int FormatTo(std::string& dest, const char* format, ...) __attribute__((format(printf, 2, 3)));

}  // namespace ondela
