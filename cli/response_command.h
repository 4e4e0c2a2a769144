// "ondela-cli response": the magnitude response of the coefficients stored in a filter file,
// sampled at evenly spaced frequencies, as "frequency_hz,level_db" lines.
#pragma once

#include <QStringList>
#include <optional>

#include "cli/cli_support.h"

namespace ondela::cli {

constexpr int kDefaultResponsePoints = 1024;
constexpr int kMaxResponsePoints = 1000000;

struct ResponseRequest {
    QString file;
    int points = kDefaultResponsePoints;
    int format = -1;  // coefficient format; -1: the one the file's numbers are written in
};

// Runs the whole command and returns the exit status.
int RunResponseCommand(const QStringList& arguments, const Console& console);

}  // namespace ondela::cli
