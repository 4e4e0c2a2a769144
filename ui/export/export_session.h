// The Export dialog's logic, without a screen: the choices of the dialog (file format, word
// length, fraction bits, rounding, identifier, the formats' own options), the preview of what the
// chosen words achieve against the design's targets, and writing the file. It works on the
// workspace's current filter, the one the main window shows.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "export/coef_export.h"

namespace ondela {

class FilterWorkspace;
class UserDialogs;

// What the user chose in the dialog.
struct ExportChoices {
    ExportFormat format = ExportFormat::Coe;
    int wordBits = 16;
    std::optional<int> fracBits;  // none: the largest that keeps every coefficient in the word
    Rounding rounding = Rounding::Nearest;
    std::string name;  // identifier of the declarations
    int radix = 10;    // COE and MIF
    CmsisType cmsisType = CmsisType::Q15;
    bool realValues = false;  // CSV and .npy: the values q / 2^F instead of the integers
};

// What the chosen words make of the current filter.
struct ExportPreview {
    // Why nothing can be exported, in words for the user; empty when the file can be written.
    std::string refusal;
    QuantisedCoefs quantised;  // the words (empty after a refusal)
    DesignSummary design;      // targets and the values the words achieve
    bool measurable = false;   // the words hold a filter (design.noFilter empty)
    bool attenuationMissed = false;
    bool rippleMissed = false;
    // The preview's lines: the word format, the saturated count, the achieved values beside the
    // targets; then the warnings, each starting with "Warning: ".
    std::vector<std::string> lines;
    std::vector<std::string> warnings;
};

// How a write ended.
struct ExportWrite {
    bool written = false;
    std::string path;     // the file written, or chosen and not written
    std::string message;  // why it was not written; empty when written or cancelled
};

class ExportSession {
  public:
    // program and version name the program in the files (from the version data).
    ExportSession(FilterWorkspace& ws, std::string program, std::string version);

    ExportChoices choices;

    // The identifier proposed for the current filter: its type in lower case ("lowpass"), or
    // "fir" when there is none.
    std::string DefaultName() const;

    // The preview of the current choices.
    ExportPreview Preview();

    // The user's home folder ($HOME), where the chooser starts when no file was saved or loaded.
    std::string homeDir;

    // The chooser's proposal: the identifier with the format's extension ("lowpass.coe"; VHDL
    // "lowpass_pkg.vhd", after its package), a name every toolchain takes; the folder it starts
    // in (FilterWorkspace::ExportStartDirectory); and the chooser's filter
    // ("COE Files (*.coe)|*.coe|All Files (*.*)|*.*").
    std::string ProposedFileName();
    std::string StartDirectory();
    std::string ChooserFilter() const;

    // Writes the file of the current choices at path; the file already there is replaced only
    // once the whole new content is written.
    ExportWrite WriteTo(const std::string& path);

    // Asks for the file name (in StartDirectory) and writes the file; a failure is
    // shown in a message box. Nothing is written when the preview refuses or the user cancels.
    ExportWrite Export(UserDialogs& dialogs);

  private:
    ExportRequest Request() const;

    FilterWorkspace& m_ws;
    std::string m_program;
    std::string m_version;
};

}  // namespace ondela
