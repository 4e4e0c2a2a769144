#include "workspace/spec_check.h"

#include <utility>

#include "engine/filter_limits.h"

namespace ondela {

int CheckSpec(FilterSpec& spec) {
    int result = 0;
    if (!(spec.fs > 0.0)) return -1;
    const double nyq = spec.fs * 0.5;
    if (!(spec.f1 >= 0.0 && spec.f1 <= nyq)) return -1;

    const bool band = HasTwoEdges(spec.type);
    if (!(spec.f2 >= 0.0 && spec.f2 <= nyq)) {
        if (band) return -1;
        spec.f2 = 0.0;  // the other types do not use a second edge
    }
    if (spec.type < LowPass || spec.type > HalfBand) return -1;

    switch (spec.type) {
        case LowPass:
        case HalfBand:
            if (!(spec.f1 > 0.0)) return -1;
            break;
        case HighPass:
            if (!(spec.f1 < nyq)) return -1;
            break;
        default:
            // Equal band edges are passed on to the engine as they are, but the level and
            // count corrections below still apply so that no negative count or ripple of 0
            // reaches a design.
            if (spec.f2 > 0.0 && spec.f2 < spec.f1) {
                std::swap(spec.f1, spec.f2);
                result = 1;
            }
            break;
    }

    if (spec.attenuation < 0.0) {
        spec.attenuation = -spec.attenuation;
        result = 1;
    }
    if (spec.ripple < 0.0) {
        spec.ripple = -spec.ripple;
        result = 1;
    }
    if (spec.attenuation > kMaxAttenuation) {
        spec.attenuation = kMaxAttenuation;
        result = 1;
    }
    if (spec.maxCoefs < 0) {
        spec.maxCoefs = kDefaultMaxCoefs;
        result = 1;
    } else if (spec.maxCoefs > kMaxCoefs) {
        spec.maxCoefs = kMaxCoefs;
        result = 1;
    }
    if (spec.ripple > kMaxRipple) {
        spec.ripple = kMaxRipple;
        result = 1;
    } else if (!(spec.ripple >= kMinRipple)) {
        spec.ripple = kMinRipple;
        result = 1;
    }
    return result;
}

}  // namespace ondela
