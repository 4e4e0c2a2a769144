// The workspace's description commands: the description and the title of its current filter
// (written by the functions of description_writer.h from CurrentSnapshot), kept in its text
// buffer, and handed to the editor window.
#include <algorithm>

#include "workspace/description_writer.h"
#include "workspace/editor_port.h"
#include "workspace/filter_workspace.h"

namespace ondela {

CurrentFilter FilterWorkspace::CurrentSnapshot() const {
    CurrentFilter filter = m_current;
    // The filter's own coefficients: as many as it counts, missing ones 0.
    const auto count =
        static_cast<std::size_t>(std::clamp(m_current.achieved.numCoefs, 0, kCoefArraySize));
    filter.taps.resize(count, 0.0);
    filter.referenceTaps.resize(count, 0.0);
    // Coefficients that do not go with the request are a filter while one is present.
    if (!filter.GoesWithRequest()) {
        if (!filter.valid) {
            filter.origin = FilterOrigin::None;
        } else if (filter.origin == FilterOrigin::None) {
            filter.origin = FilterOrigin::LoadedCoefs;
        }
    }
    return filter;
}

int FilterWorkspace::BuildDescription() {
    // Coefficients 1 to 3 of the arrays tell whether there is a filter at all, whatever its
    // count.
    if (m_current.Tap(1) == 0.0 && m_current.Tap(2) == 0.0 && m_current.Tap(3) == 0.0) return 0;
    const DescriptionText description = DescribeFilter(CurrentSnapshot(), m_clock());
    if (description.missing == NoDescription::kNoCoefs) return 0;

    // The format the description was written in becomes the workspace's.
    if (m_current.format < FLT64 || m_current.format > INT16) m_current.format = FLT64;
    m_textSize = 0;
    m_textOverflow = 0;
    std::fill(m_text.begin(), m_text.end(), '\0');
    if (description.missing) {
        ShowMessage("No valid Filter designed");
        return 0;
    }
    // The entered specification as every command checks it: reversed band edges are shown
    // swapped in the window's fields, and a specification that does not pass is no longer
    // what the coefficients go with.
    FilterSpec check = m_current.request;
    if (ValidateSpec(check) == -1 && m_current.GoesWithRequest())
        m_current.origin = FilterOrigin::LoadedCoefs;

    // The capacity rule keeps the text below the buffer's size, zero included.
    std::copy(description.text.begin(), description.text.end(), m_text.begin());
    m_textSize = static_cast<int32_t>(description.text.size());
    m_textOverflow = description.cut ? 1 : 0;
    return 1;
}

int FilterWorkspace::FilterTitle(std::string& title) {
    title.clear();
    if (!m_current.valid) return 0;
    // The entered specification is corrected as every command corrects it (reversed band edges
    // shown swapped in the window's fields).
    if (ValidateSpec(m_current.request) == -1) return 0;
    const std::optional<std::string> made = ondela::FilterTitle(CurrentSnapshot());
    if (!made) return 0;
    title = *made;
    return 1;
}

int FilterWorkspace::ShowInEditor() {
    if (m_editor) m_editor->ClearEditorText();
    if (!m_current.valid) {
        ShowMessage("No filter designed yet, opening empty Editor window");
        if (m_editor) m_editor->SetEditorTitle("FIR View Edit Window");
        return 0;
    }
    if (!BuildDescription() || m_textSize == 0) {
        ShowMessage("No valid Filter coefs available");
        return 0;
    }
    if (m_textOverflow) {
        ShowMessage("Sorry... there are too many coefs to display!");
        return 0;
    }
    std::string title;
    if (!FilterTitle(title) || title.empty()) {
        ShowMessage("Sorry... This filter is not valid!");
        return 0;
    }
    if (m_editor) {
        m_editor->SetEditorTitle(title);
        m_editor->SetEditorText(m_text.data(), m_textSize);
    }
    return 1;
}

}  // namespace ondela
