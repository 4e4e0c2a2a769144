// The About box: product name and version, the legal notice and the contact address.
#pragma once

#include <QDialog>

#include "app/about/version_info.h"

class QLabel;

namespace ondela {

class AboutBox : public QDialog {
  public:
    // source gives the version block; the one compiled into the program by default. The lines
    // are filled at once; rows of dashes stay when the block cannot be read.
    explicit AboutBox(QWidget* parent = nullptr, VersionBlockSource source = BuiltInVersionBlock);

    // Reads the version strings from the block. 1 when it was read, 0 otherwise.
    int ReadVersionInfo();
    const VersionStrings& Strings() const { return m_strings; }

  private:
    void InitDialog();

    VersionBlockSource m_source;
    VersionStrings m_strings;
    QLabel* m_productLine;
    QLabel* m_legalLine;
    QLabel* m_emailLine;
};

}  // namespace ondela
