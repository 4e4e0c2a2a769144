// Reading a compiled HTML help file (.chm): its pages, style sheets and pictures by their path
// inside the archive, and the start page and title the help project gave it.
#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct chmFile;

namespace ondela {

// What the archive's "/#SYSTEM" file says about the help project.
struct ChmSystemInfo {
    std::string defaultTopic;  // the start page, as written by the project ("index.html")
    std::string title;
};

// Reads the "/#SYSTEM" records: a 32-bit version, then records of a 16-bit code, a 16-bit length
// and that many bytes (little-endian). Code 2 is the default topic, code 3 the title. A
// truncated record ends the reading; what was read before is kept.
ChmSystemInfo ParseChmSystem(const QByteArray& system);

class ChmArchive {
  public:
    // The archive at path, or nullptr when it cannot be opened as one.
    static std::unique_ptr<ChmArchive> Open(const QString& path);
    ~ChmArchive();

    ChmArchive(const ChmArchive&) = delete;
    ChmArchive& operator=(const ChmArchive&) = delete;

    // The content of the object at path ("/index.html"), nullopt when there is none.
    std::optional<QByteArray> Read(const std::string& path) const;
    // The paths of the archive's ordinary files, in the archive's order.
    std::vector<std::string> Files() const;
    // The page to show first: the project's default topic when the archive holds it, else
    // "/index.html", else the first page (.htm or .html) found; empty when there is no page.
    std::string StartPage() const;
    // The help project's title; empty when it has none.
    std::string Title() const;

  private:
    explicit ChmArchive(chmFile* file);

    chmFile* m_file;
    ChmSystemInfo m_system;
};

}  // namespace ondela
