// "ondela-cli remez": one equiripple exchange of a given length over bands given as fractions of
// the sampling frequency, without the length search of a full design.
#pragma once

#include <QStringList>
#include <optional>
#include <vector>

#include "cli/cli_support.h"
#include "engine/design_engine.h"

namespace ondela::cli {

struct RemezRequest {
    int taps = 0;
    std::vector<ExchangeBand> bands;
    int density = 16;
    bool json = false;
};

// Runs the whole command and returns the exit status.
int RunRemezCommand(const QStringList& arguments, const Console& console);

}  // namespace ondela::cli
