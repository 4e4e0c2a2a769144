#include "app/help/chm_archive.h"

#include <chm_lib.h>

#include <QFile>
#include <algorithm>
#include <cctype>

namespace ondela {

namespace {

constexpr int kDefaultTopicCode = 2;
constexpr int kTitleCode = 3;
// No help page comes near this; a larger object is not read into memory.
constexpr LONGUINT64 kLargestObject = 64u * 1024u * 1024u;

unsigned ReadLittleEndian16(const QByteArray& bytes, qsizetype at) {
    return static_cast<unsigned char>(bytes[at]) |
           (static_cast<unsigned>(static_cast<unsigned char>(bytes[at + 1])) << 8);
}

// A text record: up to its first zero byte.
std::string RecordText(const QByteArray& bytes, qsizetype at, qsizetype length) {
    std::string text(bytes.constData() + at, static_cast<std::size_t>(length));
    const std::size_t end = text.find('\0');
    if (end != std::string::npos) text.resize(end);
    return text;
}

std::string InArchive(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    if (path.empty() || path.front() != '/') path.insert(path.begin(), '/');
    return path;
}

bool EndsWithNoCase(const std::string& text, const std::string& end) {
    if (text.size() < end.size()) return false;
    return std::equal(end.begin(), end.end(), text.end() - static_cast<std::ptrdiff_t>(end.size()),
                      [](char a, char b) { return std::tolower(a) == std::tolower(b); });
}

int CollectFile(chmFile*, chmUnitInfo* unit, void* context) {
    auto* files = static_cast<std::vector<std::string>*>(context);
    files->emplace_back(unit->path);
    return CHM_ENUMERATOR_CONTINUE;
}

}  // namespace

ChmSystemInfo ParseChmSystem(const QByteArray& system) {
    ChmSystemInfo info;
    qsizetype at = 4;  // after the version
    while (at + 4 <= system.size()) {
        const unsigned code = ReadLittleEndian16(system, at);
        const qsizetype length = ReadLittleEndian16(system, at + 2);
        at += 4;
        if (at + length > system.size()) break;
        if (code == kDefaultTopicCode) info.defaultTopic = RecordText(system, at, length);
        if (code == kTitleCode) info.title = RecordText(system, at, length);
        at += length;
    }
    return info;
}

std::unique_ptr<ChmArchive> ChmArchive::Open(const QString& path) {
    if (path.isEmpty()) return nullptr;
    chmFile* file = chm_open(QFile::encodeName(path).constData());
    if (file == nullptr) return nullptr;
    std::unique_ptr<ChmArchive> archive(new ChmArchive(file));
    if (const auto system = archive->Read("/#SYSTEM")) archive->m_system = ParseChmSystem(*system);
    return archive;
}

ChmArchive::ChmArchive(chmFile* file) : m_file(file) {}

ChmArchive::~ChmArchive() {
    chm_close(m_file);
}

std::optional<QByteArray> ChmArchive::Read(const std::string& path) const {
    const std::string inArchive = InArchive(path);
    if (inArchive.size() > CHM_MAX_PATHLEN) return std::nullopt;
    chmUnitInfo unit{};
    if (chm_resolve_object(m_file, inArchive.c_str(), &unit) != CHM_RESOLVE_SUCCESS)
        return std::nullopt;
    if (unit.length > kLargestObject) return std::nullopt;
    QByteArray content(static_cast<qsizetype>(unit.length), '\0');
    if (unit.length == 0) return content;
    const LONGINT64 read =
        chm_retrieve_object(m_file, &unit, reinterpret_cast<unsigned char*>(content.data()), 0,
                            static_cast<LONGINT64>(unit.length));
    if (read != static_cast<LONGINT64>(unit.length)) return std::nullopt;
    return content;
}

std::vector<std::string> ChmArchive::Files() const {
    std::vector<std::string> files;
    chm_enumerate(m_file, CHM_ENUMERATE_NORMAL | CHM_ENUMERATE_FILES, CollectFile, &files);
    return files;
}

std::string ChmArchive::StartPage() const {
    if (!m_system.defaultTopic.empty()) {
        const std::string topic = InArchive(m_system.defaultTopic);
        // The topic may carry an anchor; the archive knows only the page.
        if (Read(topic.substr(0, topic.find('#')))) return topic;
    }
    if (Read("/index.html")) return "/index.html";
    for (const std::string& file : Files()) {
        if (EndsWithNoCase(file, ".html") || EndsWithNoCase(file, ".htm")) return file;
    }
    return {};
}

std::string ChmArchive::Title() const {
    return m_system.title;
}

}  // namespace ondela
