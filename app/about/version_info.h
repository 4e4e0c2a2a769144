// The program's version data: company, legal notice, product name and version, kept as a small
// version block compiled into the program. The About box and the main window's caption read it.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace ondela {

// The contact address shown in the About box.
inline constexpr const char* kContactEmail = "ondela@example.org";

// A version block in text form: "[section]" lines open a table, "name = value" lines fill it,
// lines starting with ";" are comments. The translation table is the "Translation" value of
// "[VarFileInfo]": pairs of hexadecimal numbers, language then code page.
class VersionBlock {
  public:
    static VersionBlock Parse(const std::string& text);

    // The value at "\<section>\<name>" (for example "\StringFileInfo\040904b0\ProductName"),
    // names compared without regard to case; nullopt when the block has none.
    std::optional<std::string> Query(const std::string& path) const;
    // The (language, code page) pairs of "\VarFileInfo\Translation", in the order written;
    // nullopt when the block has no translation table.
    std::optional<std::vector<std::pair<uint16_t, uint16_t>>> Translations() const;

  private:
    std::map<std::string, std::string> m_values;  // lower-case path -> value
};

// Where the block comes from: the text, or nullopt when there is none to read.
using VersionBlockSource = std::function<std::optional<std::string>()>;

// The block compiled into the program.
std::optional<std::string> BuiltInVersionBlock();

struct VersionStrings {
    std::string companyName;
    std::string legalCopyright;
    std::string productName;
    std::string productVersion;
    std::string contactEmail;
};

// Reads the four strings from the table of the last (language, code page) pair of the block's
// translation table, and sets the contact address. strings is cleared first; a string the table
// lacks stays empty. Returns 1 when a block was read, 0 when there is none (strings stay empty).
int ReadVersionInfo(const VersionBlockSource& source, VersionStrings& strings);

// "<product name> Version <product version>".
std::string ProductLine(const VersionStrings& strings);

// The main window's caption, "<product name> <product version>" ("Ondela 1.21"); empty when the
// version block cannot be read, so that the window keeps its own caption.
std::string MainWindowCaption(const VersionBlockSource& source = BuiltInVersionBlock);

}  // namespace ondela
