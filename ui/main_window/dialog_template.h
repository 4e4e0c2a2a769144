// The layout of the main window: every control with its kind, caption and place in dialog units
// (a unit is a quarter of the dialog font's average character width horizontally and an eighth
// of its height vertically), and the conversion to pixels.
#pragma once

#include <QRect>
#include <span>

namespace ondela {

enum class ControlKind { GroupBox, PlotFrame, Label, Edit, UpDown, Radio, CheckBox, Button };

struct ControlTemplate {
    int id;  // 0 for group boxes and labels that nothing addresses
    ControlKind kind;
    const char* caption;
    int x, y, width, height;  // dialog units
    bool readOnly = false;
    bool rightAligned = false;
    bool firstOfGroup = false;  // starts a radio group
};

// The window's client area before the plots are widened, in dialog units.
constexpr int kDialogWidthDu = 705;
constexpr int kDialogHeightDu = 441;
// Pixels per dialog unit: a 6-pixel average character width and a 13-pixel character height.
constexpr double kPixelsPerDuX = 1.5;
constexpr double kPixelsPerDuY = 1.625;
// Widths fixed by the plots: both plots 1060 pixels wide, the client area 1082.
constexpr int kPlotAreaWidth = 1060;
constexpr int kClientWidth = 1082;

std::span<const ControlTemplate> MainDialogTemplate();

// A rectangle in dialog units as pixels of the client area.
QRect DialogUnitsToPixels(int x, int y, int width, int height);

}  // namespace ondela
