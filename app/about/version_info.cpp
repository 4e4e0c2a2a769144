#include "app/about/version_info.h"

#include <QFile>
#include <cctype>
#include <cstdio>
#include <sstream>

// The resource sits in a static library: naming its initialiser keeps it linked in.
// (The initialiser that Q_INIT_RESOURCE(about) calls, generated from about.qrc.)
int qInitResources_about();
static void InitVersionResource() {
    static const int registered = qInitResources_about();
    (void)registered;
}

namespace ondela {

namespace {

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string Trim(const std::string& text) {
    const char* blanks = " \t\r\n";
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

}  // namespace

VersionBlock VersionBlock::Parse(const std::string& text) {
    VersionBlock block;
    std::istringstream lines(text);
    std::string line;
    std::string section;
    while (std::getline(lines, line)) {
        line = Trim(line);
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[' && line.back() == ']') {
            section = Trim(line.substr(1, line.size() - 2));
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos || section.empty()) continue;
        const std::string name = Trim(line.substr(0, equals));
        if (name.empty()) continue;
        block.m_values[Lower("\\" + section + "\\" + name)] = Trim(line.substr(equals + 1));
    }
    return block;
}

std::optional<std::string> VersionBlock::Query(const std::string& path) const {
    const auto found = m_values.find(Lower(path));
    if (found == m_values.end()) return std::nullopt;
    return found->second;
}

std::optional<std::vector<std::pair<uint16_t, uint16_t>>> VersionBlock::Translations() const {
    const std::optional<std::string> table = Query("\\VarFileInfo\\Translation");
    if (!table) return std::nullopt;
    std::vector<uint16_t> numbers;
    std::string word;
    std::istringstream words(*table);
    while (words >> word) {
        while (!word.empty() && word.back() == ',') word.pop_back();
        if (word.empty()) continue;
        std::size_t used = 0;
        unsigned long value = 0;
        try {
            value = std::stoul(word, &used, 16);
        } catch (const std::exception&) {
            break;
        }
        if (used != word.size() || value > 0xFFFF) break;
        numbers.push_back(static_cast<uint16_t>(value));
    }
    std::vector<std::pair<uint16_t, uint16_t>> pairs;
    for (std::size_t i = 0; i + 1 < numbers.size(); i += 2)
        pairs.emplace_back(numbers[i], numbers[i + 1]);
    return pairs;
}

std::optional<std::string> BuiltInVersionBlock() {
    InitVersionResource();
    QFile file(QStringLiteral(":/ondela/version_block.txt"));
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    return file.readAll().toStdString();
}

int ReadVersionInfo(const VersionBlockSource& source, VersionStrings& strings) {
    strings = VersionStrings();
    const std::optional<std::string> text = source ? source() : std::nullopt;
    if (!text || text->empty()) return 0;
    const VersionBlock block = VersionBlock::Parse(*text);

    std::string prefix;
    if (const auto translations = block.Translations(); translations && !translations->empty()) {
        const auto [language, codePage] = translations->back();
        char buffer[40];
        std::snprintf(buffer, sizeof buffer, "\\StringFileInfo\\%04x%04x\\", unsigned{language},
                      unsigned{codePage});
        prefix = buffer;
    }
    // Without a translation there is no table to read from; the strings stay empty.
    if (!prefix.empty()) {
        strings.companyName = block.Query(prefix + "CompanyName").value_or("");
        strings.legalCopyright = block.Query(prefix + "LegalCopyright").value_or("");
        strings.productName = block.Query(prefix + "ProductName").value_or("");
        strings.productVersion = block.Query(prefix + "ProductVersion").value_or("");
    }
    strings.contactEmail = kContactEmail;
    return 1;
}

std::string ProductLine(const VersionStrings& strings) {
    return strings.productName + " Version " + strings.productVersion;
}

std::string MainWindowCaption(const VersionBlockSource& source) {
    VersionStrings strings;
    if (ReadVersionInfo(source, strings) == 0) return {};
    return strings.productName + " " + strings.productVersion;
}

}  // namespace ondela
