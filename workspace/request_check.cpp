#include "workspace/request_check.h"

#include <utility>

#include "engine/filter_limits.h"

namespace ondela {

int CheckRequest(FilterSpec& request) {
    int result = 0;
    if (!(request.fs > 0.0)) return -1;
    const double nyq = request.fs * 0.5;
    if (!(request.f1 >= 0.0 && request.f1 <= nyq)) return -1;

    const bool band = HasTwoEdges(request.type);
    if (!(request.f2 >= 0.0 && request.f2 <= nyq)) {
        if (band) return -1;
        request.f2 = 0.0;  // the other types do not use a second edge
    }
    if (request.type < LowPass || request.type > HalfBand) return -1;

    switch (request.type) {
        case LowPass:
        case HalfBand:
            if (!(request.f1 > 0.0)) return -1;
            break;
        case HighPass:
            if (!(request.f1 < nyq)) return -1;
            break;
        default:
            // Equal band edges are passed on to the engine as they are, but the level and
            // count corrections below still apply so that no negative count or ripple of 0
            // reaches a design.
            if (request.f2 > 0.0 && request.f2 < request.f1) {
                std::swap(request.f1, request.f2);
                result = 1;
            }
            break;
    }

    if (request.attenuation < 0.0) {
        request.attenuation = -request.attenuation;
        result = 1;
    }
    if (request.ripple < 0.0) {
        request.ripple = -request.ripple;
        result = 1;
    }
    if (request.attenuation > kMaxAttenuation) {
        request.attenuation = kMaxAttenuation;
        result = 1;
    }
    if (request.maxCoefs < 0) {
        request.maxCoefs = kDefaultMaxCoefs;
        result = 1;
    } else if (request.maxCoefs > kMaxCoefs) {
        request.maxCoefs = kMaxCoefs;
        result = 1;
    }
    if (request.ripple > kMaxRipple) {
        request.ripple = kMaxRipple;
        result = 1;
    } else if (!(request.ripple >= kMinRipple)) {
        request.ripple = kMinRipple;
        result = 1;
    }
    return result;
}

}  // namespace ondela
