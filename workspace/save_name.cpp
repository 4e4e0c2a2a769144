#include "workspace/save_name.h"

#include <algorithm>
#include <cctype>

namespace ondela {

namespace {

bool EndsWithNoCase(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           std::equal(
               end.begin(), end.end(), text.end() - static_cast<long>(end.size()),
               [](unsigned char a, unsigned char b) { return std::tolower(a) == std::tolower(b); });
}

}  // namespace

std::string DefaultExtension(const std::string& filter) {
    // "description|pattern|…": the first pattern is the second item.
    const std::size_t first = filter.find('|');
    if (first == std::string::npos) return {};
    const std::string pattern =
        filter.substr(first + 1, filter.find_first_of("|;", first + 1) - (first + 1));
    if (pattern.rfind("*.", 0) != 0) return {};
    const std::string extension = pattern.substr(2);
    if (extension.find_first_of("*?") != std::string::npos) return {};
    return extension;
}

std::string SaveFileName(const std::string& chosen, const std::string& extension, bool anyType) {
    if (extension.empty() || chosen.empty()) return chosen;
    const std::size_t slash = chosen.find_last_of("/\\");
    const std::string name = slash == std::string::npos ? chosen : chosen.substr(slash + 1);
    if (EndsWithNoCase(name, "." + extension)) return chosen;
    // A dot that begins the name makes a hidden file, not an extension.
    const std::size_t dot = name.rfind('.');
    if (anyType && dot != std::string::npos && dot > 0 && dot + 1 < name.size()) return chosen;
    return chosen + (name.empty() || name.back() != '.' ? "." : "") + extension;
}

std::string PrintFileName(const std::string& documentName) {
    const std::size_t slash = documentName.find_last_of("/\\");
    if (slash == std::string::npos) return SaveFileName(documentName, "pdf", false);
    const std::size_t dot = documentName.rfind('.');
    // A dot that begins the file's name makes a hidden file, not an extension.
    const bool hasExtension = dot != std::string::npos && dot > slash + 1;
    return SaveFileName(hasExtension ? documentName.substr(0, dot) : documentName, "pdf", false);
}

}  // namespace ondela
