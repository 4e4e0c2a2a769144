// What the main window's logic needs from its widgets: the text, check mark and enabled state of
// each control by its identifier, repainting, the pointer shape and closing the window. The Qt
// dialog implements it; tests implement it with a table of fields.
#pragma once

#include <string>

namespace ondela {

enum class PointerShape { Arrow, Wait, DualArrow };

class DialogControls {
  public:
    virtual ~DialogControls() = default;

    // The control's text, at most 63 characters of it. Empty for an unknown control.
    virtual std::string GetText(int id) const = 0;
    // Replaces the control's text and repaints the control at once.
    virtual void SetText(int id, const std::string& text) = 0;
    virtual bool IsChecked(int id) const = 0;
    virtual void SetChecked(int id, bool checked) = 0;
    virtual void SetEnabled(int id, bool enabled) = 0;
    virtual bool HasControl(int id) const = 0;

    // Both plots drawn again: at once (now) or when the events already waiting have been
    // handled, several requests then giving one paint each.
    virtual void RepaintPlots(bool now) = 0;
    // The pointer shown over the window and all of its controls.
    virtual void SetPointer(PointerShape shape) = 0;
    virtual void SetCaption(const std::string& caption) = 0;
    // Closes the window; its modal run returns.
    virtual void CloseWindow(int result) = 0;
};

}  // namespace ondela
