// The help window: shows the pages of the compiled help file, following its links, in a window of
// its own beside the designer.
#pragma once

#include <QMargins>
#include <QRect>
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

// Where a window of the wanted size goes on a screen whose free area is available (the screen
// less its panels), frame being the window system's decoration around it: centred over the
// window it belongs to (over), or over the free area when over is empty; made smaller where the
// free area is smaller, and moved so that it lies, frame and all, wholly within the free area.
// The window's own rectangle, without the frame.
QRect PlaceWindowWithin(QSize wanted, QMargins frame, QRect available, QRect over);

class HelpViewer : public QWidget {
  public:
    // Closes any help window that is open, opens the help file at chmPath and shows its start
    // page in a new window of 900 x 780 pixels (less where the screen is smaller), over the
    // parent and within the free area of its screen (PlaceWindowWithin). The
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
