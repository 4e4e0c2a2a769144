// The pointer shown while the plot cursor is held: a vertical line through the hot spot with an
// arrow head pointing left and one pointing right.
#pragma once

#include <QCursor>

namespace ondela {

constexpr int kDualArrowSize = 32;
constexpr int kDualArrowHotSpot = 15;

QCursor DualArrowCursor();

}  // namespace ondela
