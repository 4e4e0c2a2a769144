// Where the designer's help file is: beside the program, or in the Doc folder beside the
// program's folder.
#pragma once

#include <functional>
#include <string>

namespace ondela {

// The help file's name.
inline constexpr const char* kHelpFileName = "Ondela.chm";

// The first existing one of "<moduleDir>/Ondela.chm" and "<moduleDir>/../Doc/Ondela.chm" (the
// "/../" is kept as it is, not simplified); empty when neither exists. A candidate longer than
// 520 characters, the longest path the designer keeps, is not taken.
std::string FindHelpFile(const std::string& moduleDir,
                         const std::function<bool(const std::string&)>& fileExists);

}  // namespace ondela
