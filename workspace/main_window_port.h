// What the filter workspace needs from the main window and from its response plot: the field
// displays it refreshes after changing the current filter, the format radio buttons, the Create
// command, the achieved-values read-outs, repainting, and the plot cursor.
#pragma once

#include "workspace/command_outcome.h"

namespace ondela {

class MainWindowPort {
  public:
    virtual ~MainWindowPort() = default;

    // Re-shows every specification field from the workspace's entered specification (completing
    // and clamping it on the way).
    virtual void RefreshFields() = 0;
    // Checks the radio of the filter type and enables the fields that type uses; 0 does nothing.
    virtual void SelectFilterType(int type) = 0;
    virtual void ShowEdgeFreq1(double hz) = 0;
    virtual void ShowEdgeFreq2(double hz) = 0;
    // Stores the cursor frequency in the workspace and shows it in the cursor field.
    virtual void SetCursorFreq(double hz) = 0;
    // Display limits of the current frequency scale.
    virtual void ShowFreqMin(double hz) = 0;
    virtual void ShowFreqMax(double hz) = 0;
    // Sets the workspace's coefficient format, checks exactly its radio and stores it.
    virtual void SelectCoefFormat(int format) = 0;
    // The format of the first checked format radio (which also becomes the workspace's format);
    // the workspace's format when none is checked.
    virtual int ReadCoefFormatRadios() = 0;
    // The Create command: reads the fields, designs, shows the result. 0 when the fields held an
    // invalid specification, 1 otherwise.
    virtual int CreateFilter() = 0;
    // The same command over the workspace's entered specification as it stands, the fields not
    // read back: Load designs a file's values at the precision the file holds them, while the
    // fields show them rounded. The outcome of the design (not entered when it is invalid).
    virtual CreateOutcome CreateFromEntered() = 0;
    // Empties the "Achieved" read-outs and re-checks the format radio.
    virtual void ClearAchieved() = 0;
    // Shows the achieved values of the workspace's working specification.
    virtual void ShowAchieved() = 0;
    // Asks for a full repaint of both plots.
    virtual void Repaint() = 0;

    // The response plot's cursor. PlaceCursorAt moves the plot's cursor column to a frequency
    // (raised to the displayed lower limit; 0 then, else 1). The plot keeps its own copy of the
    // cursor frequency, read and written through the other two.
    virtual int PlaceCursorAt(double hz) = 0;
    virtual double PlotCursorHz() const = 0;
    virtual void SetPlotCursorHz(double hz) = 0;
};

}  // namespace ondela
