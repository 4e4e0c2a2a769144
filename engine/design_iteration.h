// The body of a design: conditioning, length estimate, design passes, alignment, measurement,
// adjustment, half-band target correction, final analysis and status.
#pragma once

#include "engine/design_work.h"

namespace ondela {

int RunDesign(DesignWork& work, double& lastCorrection, FilterSpec& spec, double* coefs,
              ResponsePoint* response, int* responseCount);

// The bands of the last RunDesign result designed again at length n.
int LengthenDesign(DesignWork& work, double& lastCorrection, FilterSpec& record, int n,
                   double* coefs, ResponsePoint* response, int* responseCount);

}  // namespace ondela
