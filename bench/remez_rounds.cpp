// Runs one design per request and prints how long it took, so that a driver can time Ondela and
// another implementation alternately, round by round, in the same minutes (bench/compare_remez.sh).
// The first line out names the kernel path. Then, per line in:
//
//   remez TAPS DENSITY   the comparison low pass (pass band 0 to 0.1, stop band 0.1 + 4/TAPS to
//                        0.5, desired 1 and 0, weights 1 and 10) through the fixed-length exchange
//                        -> "SECONDS STATUS"
//   design               the whole low-pass design (fs 48000 Hz, edge 10000 Hz, 80 dB, 0.1 dB,
//                        at most 4095 coefficients) by a new engine -> "SECONDS TAPS"
//
// SECONDS is the wall time of the engine call alone, as the driver times the other side's call.
#include <chrono>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/design_engine.h"
#include "engine/exchange_kernels.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main() {
    using namespace ondela;
    DesignEngine engine;
    std::vector<double> coefs(kCoefArraySize);
    std::cout.precision(9);
    std::cout << "path " << KernelPathName(ActiveKernelPath()) << std::endl;
    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream in(line);
        std::string what;
        in >> what;
        if (what == "remez") {
            int taps = 0;
            int density = 0;
            in >> taps >> density;
            if (!in || taps < 3 || taps > 4095 || density < 1) {
                std::cout << "error: remez TAPS DENSITY, 3 <= TAPS <= 4095" << std::endl;
                continue;
            }
            const ExchangeBand bands[] = {{0.0, 0.1, 1.0, 1.0}, {0.1 + 4.0 / taps, 0.5, 0.0, 10.0}};
            const Clock::time_point start = Clock::now();
            const int status =
                engine.DesignFixedLength(taps, bands, 2, density, coefs.data()).status;
            const double seconds = Seconds(start);
            std::cout << seconds << ' ' << status << std::endl;
        } else if (what == "design") {
            FilterSpec spec;
            spec.type = LowPass;
            spec.fs = 48000.0;
            spec.f1 = 10000.0;
            spec.attenuation = 80.0;
            spec.ripple = 0.1;
            spec.maxCoefs = 4095;
            // A new engine and half-band memory each time: every round the same design.
            DesignEngine fresh;
            HalfBandCorrection halfBand;
            const Clock::time_point start = Clock::now();
            const DesignResult d = fresh.DesignFilter(spec, halfBand);
            const double seconds = Seconds(start);
            std::cout << seconds << ' ' << d.achieved.numCoefs << std::endl;
        } else {
            std::cout << "error: unknown request" << std::endl;
        }
    }
    return 0;
}
