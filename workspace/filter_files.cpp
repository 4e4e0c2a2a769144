// Filter files: a filter is kept on disk as its description text. Load reads a file and rebuilds
// the filter from it, designing it again from a complete specification or measuring its
// coefficients otherwise; Save writes the description of the current filter.
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

#include "numbers/number_text.h"
#include "settings/preferences.h"
#include "settings/setting_keys.h"
#include "workspace/coef_format.h"
#include "workspace/description_reader.h"
#include "workspace/editor_port.h"
#include "workspace/field_entries.h"
#include "workspace/file_paths.h"
#include "workspace/file_replace.h"
#include "workspace/filter_file_text.h"
#include "workspace/filter_workspace.h"
#include "workspace/main_window_port.h"
#include "workspace/measurable_coefs.h"
#include "workspace/missing_entries.h"
#include "workspace/text_scan.h"
#include "workspace/user_dialogs.h"

namespace ondela {

namespace {

bool IsDirectory(const std::string& path) {
    struct stat info {};
    return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The directory a path stands for: itself when it is one, else the directory part.
std::string DirectoryFor(const std::string& path) {
    return IsDirectory(path) ? path : DirectoryOf(path.c_str());
}

}  // namespace

void FilterWorkspace::ReadStoredFilePath() {
    if (m_prefs && m_prefs->IsOpen()) {
        std::string stored;
        m_prefs->GetString(setting::kFileInPath, stored, "");
        CopyText(m_fileDir, stored.c_str());
    }
}

std::string FilterWorkspace::LoadStartDirectory() {
    ReadStoredFilePath();
    const std::string candidate = m_fileDir.empty() ? m_moduleDir : DirectoryFor(m_fileDir);
    return IsDirectory(candidate) ? candidate : std::string();
}

std::string FilterWorkspace::SaveStartDirectory() {
    if (m_saveDir.empty()) {
        const std::string dir = m_fileDir.empty() ? m_moduleDir : DirectoryFor(m_fileDir);
        CopyText(m_saveDir, dir.c_str());
    }
    return IsDirectory(m_saveDir) ? m_saveDir : std::string();
}

std::string FilterWorkspace::ExportStartDirectory(const std::string& home) {
    // A save chooser that was opened and cancelled leaves the program's folder in m_saveDir.
    if (m_saveDir != m_moduleDir && IsDirectory(m_saveDir)) return m_saveDir;
    ReadStoredFilePath();
    if (!m_fileDir.empty()) {
        const std::string loaded = DirectoryFor(m_fileDir);
        if (loaded != m_moduleDir && IsDirectory(loaded)) return loaded;
    }
    return IsDirectory(home) ? home : std::string();
}

std::optional<std::string> FilterWorkspace::ChooseFileToLoad() {
    const std::string startDir = LoadStartDirectory();
    if (!m_dialogs) return std::nullopt;
    return m_dialogs->ChooseFileToOpen(startDir, "*.txt", kFilterFileTypes);
}

std::optional<LoadOutcome> FilterWorkspace::LoadFilter() {
    const auto chosen = ChooseFileToLoad();
    if (!chosen) return std::nullopt;
    return LoadFilterFile(*chosen);
}

bool FilterWorkspace::ReadFileText(const std::string& path) {
    CopyText(m_filePath, path.c_str());
    // The text is read aside first, so a file refused as too large leaves the workspace as it
    // was.
    const FilterFileText read = ReadFilterFileText(path, static_cast<std::size_t>(kFileSizeLimit));
    if (read.outcome == FilterFileText::kNoOpen) {
        // The system's own words for why the file could not be opened.
        ShowMessage(FormatText("Could not open File %s: %s", m_filePath.c_str(),
                               std::strerror(read.error)));
        return false;
    }
    if (read.outcome == FilterFileText::kTooLarge) {
        ShowMessage("Sorry, this file is too large !");
        return false;
    }
    // The text buffer is larger than the largest file, so the text read always ends with a zero.
    static_assert(kFileSizeLimit < kTextCapacity);
    std::fill(m_text.begin(), m_text.end(), '\0');
    if (read.outcome == FilterFileText::kNoRead) {
        m_textSize = 0;
        ShowMessage("Could not read the File");
        return false;
    }
    std::copy_n(read.text.begin(), read.size, m_text.begin());
    m_textSize = static_cast<int32_t>(read.size);
    return true;
}

LoadOutcome FilterWorkspace::LoadFilterFile(const std::string& path) {
    const std::size_t mark = MessageMark();
    LoadOutcome outcome;
    const auto finish = [&] {
        outcome.messages = ShownSince(mark);
        return outcome;
    };
    if (!ReadFileText(path)) return finish();

    if (m_dialogs) m_dialogs->SetWaitPointer(true);
    ZeroTaps();
    std::fill(m_current.referenceTaps.begin(), m_current.referenceTaps.end(), 0.0);
    m_current.origin = FilterOrigin::None;
    m_current.designBands = DesignBands{};  // a file's own specification is designed again
    m_view.keepLimits = 0;
    m_current.targetsMetIn.reset();
    if (m_mainWindow) m_mainWindow->ClearAchieved();
    if (m_prefs) m_prefs->SetString(setting::kFileInPath, m_filePath);

    const DescriptionContents read = ReadDescription(m_text.data());
    const int fmt = read.format;
    const int n = read.coefCount;
    std::copy(read.coefs.begin(), read.coefs.end(),
              TapsCovering(static_cast<int>(read.coefs.size())));
    m_current.referenceTaps = m_current.taps;
    FilterSpec s = read.spec;
    CompleteHalfBandAttenuation(s, m_prefs);
    m_unreadableFields = read.unreadableFields;
    const int c = read.parameterCount;
    if (m_dialogs) m_dialogs->SetWaitPointer(false);

    if (c == -1) {
        // The old coefficients are gone: the plots must not show them under the message.
        if (m_mainWindow) m_mainWindow->Repaint();
        ShowMessage("Sorry, not a valid Ondela filter description...");
        return finish();
    }
    outcome.described = true;
    outcome.fileRate = s.fs;

    s.maxCoefs = std::max(s.maxCoefs, n);
    s.numCoefs = std::max(s.numCoefs, n);
    m_current.request = s;
    if (IsDesignableSpec(c)) {
        outcome.design = RedesignFromFile(n, fmt, read.targetsMetIn);
    } else {
        outcome.coefsMeasured = MeasureFileCoefs(s, n, fmt);
        outcome.limitsReset = outcome.coefsMeasured;
    }
    return finish();
}

CreateOutcome FilterWorkspace::RedesignFromFile(int n, int fmt,
                                                const std::optional<TargetsMetIn>& met) {
    // The file holds a specification: the filter is designed again from it.
    FilterSpec check = m_current.request;
    if (ValidateSpec(check) != 0 || !m_unreadableFields.empty())
        ShowMessage("WARNING: Not every parameter stored in this file is valid...");
    // A design that was made to meet its targets in a format is found again by the same search;
    // any other file is designed plainly. What Create is set to do now plays no part.
    const int32_t meetInFormat = m_meetInFormat;
    const std::optional<FixedPointRequest> meetWord = m_meetWord;
    m_meetInFormat = met ? 1 : 0;
    m_meetWord = met ? met->word : std::nullopt;
    const int searchFormat = met ? met->format : fmt;

    // The design keeps its own coefficients as the reference; the file's are put back
    // afterwards, to be compared with the design and kept as what was loaded.
    const auto fileCoefs = m_current.referenceTaps;
    CreateOutcome design;
    if (m_mainWindow) {
        const double fileEdge2 = m_current.request.f2;
        m_mainWindow->SelectCoefFormat(fmt);
        m_mainWindow->RefreshFields();
        // The fields show the file's values rounded; the design takes them as the file holds
        // them, so that an unchanged file comes back as the filter it was.
        m_current.request = ReadShownSpec(m_current.request);
        // A type without a second edge keeps the file's (none), not the one the fields completed.
        if (!HasTwoEdges(m_current.request.type)) m_current.request.f2 = fileEdge2;
        m_current.format = static_cast<CoefFormat>(searchFormat);
        design = m_mainWindow->CreateFromEntered();
    } else {
        m_current.format = static_cast<CoefFormat>(searchFormat);
        design = CreateFromSpec();
    }
    m_meetInFormat = meetInFormat;
    m_meetWord = meetWord;
    m_current.format = static_cast<CoefFormat>(fmt);
    m_current.referenceTaps = fileCoefs;
    // Create marks the coefficients as going with the specification only after a design;
    // when there is none, there is no filter either (Create cleared the coefficients).
    const bool designed = design.entered && m_current.GoesWithRequest();
    if (designed) {
        if (m_mainWindow) m_mainWindow->SelectCoefFormat(m_current.format);
        m_current.valid = true;
        // A search in another format measured the filter there: it is shown in the file's, and
        // so is the description an open editor received from the design.
        if (searchFormat != fmt) {
            SetFormat(static_cast<CoefFormat>(fmt));
            if (m_editor && m_editor->IsEditorOpen()) ShowInEditor();
        }
        m_current.request.numCoefs = m_current.achieved.numCoefs;
        if (n > 0) {
            // The file holds the coefficients rounded to its own format, so the design is
            // compared as that format would hold it.
            const bool differ =
                n != m_current.request.numCoefs ||
                !StoredCoefsMatch(m_current.taps.data(), m_current.referenceTaps.data(), n, fmt);
            if (differ) {
                ShowMessage(
                    "WARNING: The coefs stored in this file are not valid. They will be "
                    "modified");
            }
        }
    }
    if (m_mainWindow) m_mainWindow->SelectCoefFormat(m_current.format);
    m_current.valid = designed;
    if (m_mainWindow) m_mainWindow->Repaint();
    return design;
}

bool FilterWorkspace::MeasureFileCoefs(FilterSpec s, int n, int fmt) {
    // Coefficients only: they are measured as they stand, when they are a filter at all (some
    // positive value, and a response the measurement can see).
    if (n < 4 ||
        std::none_of(m_current.taps.begin(), m_current.taps.begin() + n,
                     [](double v) { return v > 0.0; }) ||
        !CoefsMeasurable(m_current.taps.data(), n, fmt)) {
        ZeroTaps();
        std::fill(m_current.referenceTaps.begin(), m_current.referenceTaps.end(), 0.0);
        if (m_mainWindow) m_mainWindow->Repaint();
        ShowMessage(n < 4 ? "Sorry, no valid filter data in this file." : kNoValidCoefsMessage);
        return false;
    }

    // A half band has zeros at every other tap on either side of its centre tap h.
    const int h = n / 2;
    bool halfBand = true;
    for (int i = 1; i < h - 1 && halfBand; i += 2) halfBand = !(m_current.taps[i] > 0.0);
    for (int i = h + 2; i < n && halfBand; i += 2) halfBand = !(m_current.taps[i] > 0.0);
    if (halfBand) {
        m_current.request.type = HalfBand;
        s.type = HalfBand;
        if (m_mainWindow) m_mainWindow->SelectFilterType(HalfBand);
    }

    ShowMessage(
        "Filter not fully specified. Using Coefficients.\nCheck filter type, freqs and "
        "specifs...");
    m_current.origin = FilterOrigin::LoadedCoefs;
    m_current.request = s;
    m_current.format = static_cast<CoefFormat>(fmt);
    m_current.request.maxCoefs = n;
    m_current.request.numCoefs = n;
    if (m_mainWindow) m_mainWindow->RefreshFields();

    // The measured values become the entered ones.
    m_current.achieved = m_current.request;
    AnalyseCoefs(m_current.achieved, TapsCovering(n), n, fmt);
    m_current.request = m_current.achieved;
    if (m_mainWindow) {
        m_mainWindow->RefreshFields();
        m_mainWindow->ShowAchieved();
    }

    PlaceSpecCursor();
    m_current.valid = true;
    if (m_mainWindow) m_mainWindow->Repaint();
    if (m_editor && m_editor->IsEditorOpen()) ShowInEditor();

    // Display limits for the whole axis of the measured filter.
    if (m_view.nyquist < 0.0001) m_view.SetRate(m_current.achieved.fs);
    m_view.ResetRange();
    if (m_mainWindow) {
        m_mainWindow->ShowFreqMax(m_view.UpperLimit());
        m_mainWindow->ShowFreqMin(m_view.LowerLimit());
        m_mainWindow->SelectCoefFormat(m_current.format);
        m_mainWindow->Repaint();
    }
    m_current.valid = true;
    return true;
}

std::optional<std::string> FilterWorkspace::DescriptionRefusal() {
    if (!BuildDescription() || m_textSize == 0) return "No valid filter coefs available";
    if (m_textOverflow) return "Sorry... there are too many coefs to display!";
    return std::nullopt;
}

void FilterWorkspace::SaveFilter() {
    if (!m_current.valid) {
        ShowMessage("No filter created");
        return;
    }
    if (const auto refusal = DescriptionRefusal()) {
        ShowMessage(*refusal);
        return;
    }
    if (m_editor && m_editor->IsEditorOpen()) ShowInEditor();

    std::string name;
    if (!FilterTitle(name) || name.empty()) name = "FIR Filter";

    const std::string startDir = SaveStartDirectory();
    if (!m_dialogs) return;
    const auto chosen = m_dialogs->ChooseFileToSave(startDir, name, kFilterFileTypes);
    if (!chosen) return;

    std::string path;
    CopyText(path, chosen->c_str());
    const std::string dir = DirectoryFor(path);
    CopyText(m_saveDir, dir.c_str());

    // The file already there is replaced only once the new text is completely written.
    FileReplaceFailure failure;
    const std::string_view text(m_text.data(),
                                static_cast<std::size_t>(std::clamp(m_textSize, 0, kTextCapacity)));
    if (!UsableFilePath(*chosen) || !ReplaceFileContents(path, text, &failure, m_writeBytes)) {
        ShowMessage(failure.stage == FileReplaceFailure::kCreate ? "Could not create File!"
                                                                 : "Could not write to File");
        return;
    }
    if (m_prefs) m_prefs->SetString(setting::kFileInPath, path);
}

}  // namespace ondela
