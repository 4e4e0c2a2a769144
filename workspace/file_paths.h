// The paths the designer works with: the folder of the running program, the folder part of a
// path, and whether a file exists.
#pragma once

#include <string>

namespace ondela {

// Directory of the running program, without a trailing separator and at most 258
// characters, into dest. Returns the length of the program's full path as the system
// reported it; 0 (dest untouched) when it could not be found.
int ModuleDirectory(std::string& dest);

// The directory part of the first 259 characters of path: cut at the last "\", else at the
// last "/"; empty when there is neither or path is missing.
std::string DirectoryOf(const char* path);

// Nonzero when a file (not a directory) exists at path.
int FileExists(const char* path);

}  // namespace ondela
