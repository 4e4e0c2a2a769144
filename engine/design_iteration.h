// The body of a design: conditioning, length estimate, design passes, alignment, measurement,
// adjustment, half-band target correction, final analysis and status.
#pragma once

#include "engine/design_work.h"

namespace ondela {

DesignResult RunDesign(DesignWork& work, HalfBandCorrection& correction,
                        const FilterSpec& request);

// The bands of the last RunDesign result designed again at length n.
DesignResult LengthenDesign(DesignWork& work, int n);

}  // namespace ondela
