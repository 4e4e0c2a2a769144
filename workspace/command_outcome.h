// What the designer's commands answer: what they did, the engine's status word where a design
// ran, and the messages they showed, in the order the user saw them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "workspace/user_dialogs.h"

namespace ondela {

// A message box a command showed: its text, caption and icon.
struct ShownMessage {
    std::string text;
    std::string caption;
    MessageIcon icon = MessageIcon::None;
    bool operator==(const ShownMessage&) const = default;
};

// What a design (Create, or one of its steps) did.
struct CreateOutcome {
    // The specification was valid and entered, so a design was attempted.
    bool entered = false;
    // 0 when a coefficient set was designed (possibly after a warning), -1 for an invalid
    // specification, otherwise the engine's status word that stopped the design.
    int result = -1;
    // The engine's status word of its last design (that of the meet-in-format search's last
    // trial when the search ran); nullopt when the engine did not run.
    std::optional<int> engineStatus;
    std::vector<ShownMessage> messages;

    bool Designed() const { return entered && result == 0; }
};

// What a change of the coefficient format did.
struct FormatOutcome {
    // The current filter was measured again in the new format.
    bool remeasured = false;
    std::vector<ShownMessage> messages;
};

// What Load did with a file.
struct LoadOutcome {
    // The file was read and holds a description (its marker).
    bool described = false;
    // The design of the file's specification, when it held one to design.
    std::optional<CreateOutcome> design;
    // The file's coefficients were measured (it held no specification to design).
    bool coefsMeasured = false;
    // The sampling frequency the file names; 0 when it names none.
    double fileRate = 0.0;
    // The display limits were reset for the whole axis of the measured filter.
    bool limitsReset = false;
    std::vector<ShownMessage> messages;
};

}  // namespace ondela
