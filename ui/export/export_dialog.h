// The window's "Export Coefficients" dialog: the choices of a fixed-point coefficient file
// (format, word length, fraction bits, rounding, identifier, the formats' own options), a
// preview of what the chosen words achieve that follows every change, and Export..., which asks
// for the file name and writes the file. The logic is ExportSession's; this is its Qt binding.
#pragma once

#include <QDialog>
#include <memory>
#include <string>

#include "ui/export/export_session.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace ondela {

class FilterWorkspace;
class QtUserDialogs;
class UserDialogs;

class ExportDialog : public QDialog {
  public:
    // The dialog over the workspace's current filter. program and version name the program in
    // the files. dialogs asks for the file name and shows failures; when null, the dialog uses
    // Qt's choosers and message boxes over itself. start: the choices it opens with (the
    // identifier is always the current filter's default).
    ExportDialog(FilterWorkspace& ws, const std::string& program, const std::string& version,
                 UserDialogs* dialogs, QWidget* parent = nullptr,
                 const ExportChoices* start = nullptr);
    ~ExportDialog() override;

    ExportSession& Session() { return m_session; }
    // The preview as shown: its lines, then the warning or refusal lines, then the last write.
    QString PreviewText() const;
    QString WarningText() const;

    // The controls, for tests and the screenshot (also found by their object names).
    QComboBox* FormatBox() const { return m_format; }
    QSpinBox* WordBitsBox() const { return m_wordBits; }
    QCheckBox* AutoFracBox() const { return m_autoFrac; }
    QSpinBox* FracBitsBox() const { return m_fracBits; }
    QComboBox* RoundingBox() const { return m_rounding; }
    QLineEdit* NameField() const { return m_name; }
    QPushButton* ExportButton() const { return m_export; }

    // Reads the controls into the choices and shows the new preview.
    void Refresh();
    // The Export... button: asks for the file and writes it.
    void ExportFile();

  private:
    void BuildControls();
    void ShowChoices(const ExportChoices& choices);
    void ReadChoices();

    ExportSession m_session;
    std::unique_ptr<QtUserDialogs> m_ownDialogs;
    UserDialogs* m_dialogs;
    bool m_showing = false;  // the controls are being set from the choices

    QComboBox* m_format = nullptr;
    QSpinBox* m_wordBits = nullptr;
    QCheckBox* m_autoFrac = nullptr;
    QSpinBox* m_fracBits = nullptr;
    QComboBox* m_rounding = nullptr;
    QLineEdit* m_name = nullptr;
    QComboBox* m_radix = nullptr;
    QComboBox* m_cmsisType = nullptr;
    QCheckBox* m_realValues = nullptr;
    QLabel* m_preview = nullptr;
    QLabel* m_warning = nullptr;
    QLabel* m_written = nullptr;
    QPushButton* m_export = nullptr;
};

}  // namespace ondela
