// The filter editor window as the workspace and the main window reach it. At most one editor
// exists; every operation reports that there is none when it is closed.
#pragma once

#include <string>

namespace ondela {

// What OpenEditor answers.
enum EditorOpening : int {
    kEditorOpened = 0,
    kEditorAlreadyOpen = -1,     // nothing changed
    kEditorNotCreated = -2,      // the window could not be created
    kEditorNotInitialised = -3,  // the window could not be initialised
};

class EditorPort {
  public:
    virtual ~EditorPort() = default;

    // Creates and shows the editor (an EditorOpening). keyPath is the settings key the editor
    // uses.
    virtual int OpenEditor(const std::string& keyPath) = 0;
    virtual bool IsEditorOpen() const = 0;
    // Empties the text; nothing when there is no editor.
    virtual void ClearEditorText() = 0;
    // Caption and default file name; nothing when there is no editor.
    virtual void SetEditorTitle(const std::string& title) = 0;
    // Places length bytes of text; nothing when there is no editor.
    virtual void SetEditorText(const char* text, int length) = 0;
    // Copies at most size - 1 characters and terminates buffer[size - 1]; the number copied, or
    // -1 when there is no editor.
    virtual int GetEditorText(char* buffer, int size) = 0;
    // Number of characters of the text, or -1 when there is no editor.
    virtual int GetEditorTextLength() const = 0;
    // Closes the editor as the program ends, first asking the user what becomes of edits not
    // yet saved. False when the editor stays open (the user cancelled, or the text could not be
    // saved); true when it closed or there was none.
    virtual bool CloseEditor() = 0;
};

}  // namespace ondela
