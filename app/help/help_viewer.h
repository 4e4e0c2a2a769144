// The help window: shows the pages of the compiled help file, following its links, in a window of
// its own beside the designer.
#pragma once

#include <QString>
#include <QTextBrowser>
#include <QWidget>
#include <memory>

#include "app/help/chm_archive.h"

namespace ondela {

// A text browser whose pages, style sheets and pictures come from a help archive. Addresses
// inside the archive have the form "chm:/page.html".
class ChmBrowser : public QTextBrowser {
  public:
    ChmBrowser(const ChmArchive& archive, QWidget* parent = nullptr);

    // The archive's object for a "chm:" address; other addresses as a text browser loads them.
    QVariant loadResource(int type, const QUrl& name) override;

    // The address of a path inside the archive.
    static QUrl AddressOf(const std::string& pathInArchive);

  private:
    const ChmArchive& m_archive;
};

class HelpViewer : public QWidget {
  public:
    // Closes any help window that is open, opens the help file at chmPath and shows its start
    // page in a new window of 900 x 780 pixels, at the place the window system chooses. The
    // window belongs to parent (it closes with it) and deletes itself when closed. nullptr when
    // the file cannot be opened or holds no page.
    static QWidget* ShowHelp(QWidget* parent, const QString& chmPath);
    // Closes every help window.
    static void CloseAllHelp();

    ChmBrowser* Browser() const { return m_browser; }

  private:
    HelpViewer(QWidget* parent, std::unique_ptr<ChmArchive> archive);

    std::unique_ptr<ChmArchive> m_archive;
    ChmBrowser* m_browser;
};

}  // namespace ondela
