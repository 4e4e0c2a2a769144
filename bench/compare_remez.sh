#!/usr/bin/env bash
# Times Ondela's fixed-length exchange and a whole low-pass design against scipy.signal.remez (and
# liquid-dsp's firdespm where it is installed), interleaved round by round, prints the ratios and
# how far the coefficients lie from scipy's.
#
#   bench/compare_remez.sh [BUILD_DIR] [ROUNDS]
#   ONDELA_KERNELS=portable bench/compare_remez.sh ...     (the portable kernels)
#
# (ONDELA_KERNELS=avx2 is the default where the processor has AVX2 and FMA; there is no 512-bit
# path, the output names the path that ran.)
#
# BUILD_DIR (default build/default) must hold bench/ondela_remez_rounds and cli/ondela-cli. One
# Python process drives both sides: per length, each round times one scipy call (time.perf_counter
# around the call) and one Ondela design (ondela_remez_rounds, a process that stays up and times
# the engine call alone), in alternating order, after one untimed warm-up call of each. Load that
# drifts during the run then weighs on both sides of a round alike. Each row gives both sides'
# median times and the median of the per-round ratios with their range over ROUNDS rounds
# (default 5); nothing is subtracted from either side. The output starts with the processor
# model, the machine's load and the kernel path Ondela runs.
#
# The comparison design: low pass, bands 0 to 0.1 and 0.1 + 4/n to 0.5 (fractions of fs), desired
# 1 and 0, weights 1 and 10, at most 64 iterations, at grid density 16 (scipy's default) and at
# density 20 (40 above 1001 taps, the designer's own grids). liquid-dsp has a grid of its own.
# `ondela-cli remez --density L` and scipy's grid_density=L are the same notion: L grid points per
# cosine term, a grid step of 0.5 / (L * (n + 1) / 2) over 0 to 0.5. At equal densities the two
# grids coincide, which the agreement of the coefficients shows.
#
# The whole design (DesignFilter: fs 48000 Hz, edge 10000 Hz, 80 dB, 0.1 dB, at most 4095
# coefficients) is compared with one scipy call of the length that design ends with.
#
# scipy (Debian python3-scipy, which scripts/setup installs) is only needed for this comparison;
# without it the script says how to install it and exits 0. liquid-dsp (Debian libliquid-dev) is
# not installed by scripts/setup; without it the script says so and leaves its columns out.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/default}
reps=${2:-5}
# Debian's interpreter, the one python3-scipy installs into.
python=/usr/bin/python3

if ! [ -x "$python" ] || ! "$python" -c 'import scipy.signal' 2>/dev/null; then
    echo "compare_remez: scipy is not available to $python; install it with:"
    echo "    apt-get install python3-scipy"
    echo "and run this script again."
    exit 0
fi

rounds_bin=$build/bench/ondela_remez_rounds
cli=$build/cli/ondela-cli
if ! [ -x "$rounds_bin" ] || ! [ -x "$cli" ]; then
    echo "compare_remez: $rounds_bin and $cli are needed; build them with:" >&2
    echo "    cmake --build $build --target ondela_remez_rounds ondela-cli" >&2
    exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

liquid=""
if [ -f /usr/include/liquid/liquid.h ] &&
    gcc -O2 -o "$work/liquid_remez" "$root/bench/liquid_remez.c" -lliquid -lm 2>/dev/null; then
    liquid=$work/liquid_remez
fi

"$python" - "$rounds_bin" "$cli" "$reps" "$liquid" <<'PYTHON'
import json
import os
import statistics
import subprocess
import sys
import time
import warnings

import numpy as np
import scipy
from scipy.signal import remez

rounds_bin, cli, rounds, liquid = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4]


def bands(n):
    return [0.0, 0.1, 0.1 + 4.0 / n, 0.5]


def own_density(n):
    return 40 if n > 1001 else 20


def scipy_design(n, density):
    """One scipy call of the comparison design: coefficients and whether it converged."""
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        h = remez(n, bands(n), [1.0, 0.0], weight=[1.0, 10.0], fs=1.0,
                  grid_density=density, maxiter=64)
    converged = not any("converge" in str(w.message) for w in caught)
    return h, converged


def scipy_time(n, density):
    start = time.perf_counter()
    scipy_design(n, density)
    return time.perf_counter() - start


ondela = subprocess.Popen([rounds_bin], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)


def ask(request):
    ondela.stdin.write(request + "\n")
    ondela.stdin.flush()
    answer = ondela.stdout.readline().split()
    if len(answer) != 2 or answer[0] == "error:":
        sys.exit("compare_remez: ondela_remez_rounds answered " + " ".join(answer))
    return float(answer[0]), int(answer[1])


def liquid_time(n):
    out = subprocess.run([liquid, str(n), "1"], check=True, capture_output=True, text=True)
    return float(out.stdout)


def interleaved(ours, theirs):
    """Per-round times of both sides, the order alternating, after one warm-up call of each."""
    ours()
    theirs()
    mine, other = [], []
    for r in range(rounds):
        if r % 2 == 0:
            other.append(theirs())
            mine.append(ours())
        else:
            mine.append(ours())
            other.append(theirs())
    return mine, other


def summary(mine, other, ratio):
    ratios = [ratio(a, b) for a, b in zip(mine, other)]
    return (statistics.median(mine), statistics.median(other), statistics.median(ratios),
            min(ratios), max(ratios))


path = ondela.stdout.readline().split()[1]
model = "unknown processor"
with open("/proc/cpuinfo") as f:
    for line in f:
        if line.startswith("model name"):
            model = line.split(":", 1)[1].strip()
            break
flags = open("/proc/cpuinfo").read()
vector = "AVX-512" if " avx512f" in flags else "AVX2" if " avx2" in flags else "no AVX2"
asked = os.environ.get("ONDELA_KERNELS")
print(f"processor: {model} ({vector}, {os.cpu_count()} logical CPUs)")
print(f"load average at start: {' '.join(f'{v:.2f}' for v in os.getloadavg())}")
print(f"Ondela kernel path: {path}" + (f" (ONDELA_KERNELS={asked})" if asked else ""))
print(f"scipy {scipy.__version__}, numpy {np.__version__}; {rounds} interleaved rounds per row, "
      f"median times, median ratio [range] of the rounds")
if not liquid:
    print("liquid-dsp: not installed (Debian libliquid-dev), skipped")
print()
print(f"{'design':<32}{'Ondela s':>10}{'scipy s':>10}{'scipy/Ondela':>24}"
      + (f"{'liquid s':>10}{'liquid/Ondela':>24}" if liquid else "") + "  target")
rows = []
for density_of in (lambda n: 16, own_density):
    for n in (255, 1023, 2047, 4095):
        density = density_of(n)
        mine, other = interleaved(lambda: ask(f"remez {n} {density}")[0],
                                  lambda: scipy_time(n, density))
        ours, theirs, ratio, low, high = summary(mine, other, lambda a, b: b / a)
        rows.append((n, density, ours, theirs))
        line = (f"{'remez ' + str(n) + ' taps, density ' + str(density):<32}{ours:>10.4f}"
                f"{theirs:>10.4f}{ratio:>9.2f}x [{low:.2f}-{high:.2f}]".ljust(32 + 20 + 24))
        if liquid:
            mine_l, other_l = interleaved(lambda: ask(f"remez {n} {density}")[0],
                                          lambda: liquid_time(n))
            _, lt, lr, ll, lh = summary(mine_l, other_l, lambda a, b: b / a)
            line += f"{lt:>10.4f}{lr:>9.2f}x [{ll:.2f}-{lh:.2f}]".ljust(34)
        if density == 16:
            goal = 5.0 if n == 255 else 6.0
            line += f"  scipy/Ondela >= {goal:g} ({'met' if ratio >= goal else 'not met'})"
        print(line, flush=True)

taps = ask("design")[1]
mine, other = interleaved(lambda: ask("design")[0], lambda: scipy_time(taps, own_density(taps)))
design, theirs, ratio, low, high = summary(mine, other, lambda a, b: a / b)
print(f"{'DesignFilter low pass -> ' + str(taps):<32}{design:>10.4f}{theirs:>10.4f}"
      f"{ratio:>9.2f}x [{low:.2f}-{high:.2f}]  Ondela/scipy <= 0.4 "
      f"({'met' if ratio <= 0.4 else 'not met'})")
print(f"load average at end: {' '.join(f'{v:.2f}' for v in os.getloadavg())}")
ondela.stdin.close()
ondela.wait()


def ondela_design(n, density):
    """The same design through ondela-cli remez: coefficients and the status word."""
    b = bands(n)
    out = subprocess.run(
        [cli, "remez", "--taps", str(n), "--bands", ",".join(repr(e) for e in b),
         "--desired", "1,0", "--weights", "1,10", "--density", str(density), "--json"],
        check=True, capture_output=True, text=True).stdout
    doc = json.loads(out)
    return np.array(doc.get("coefficients") or []), doc["status"]


# scipy's coefficient step takes the value of a reference point for every sample whose cosine lies
# within 1e-6 of it; Ondela takes it only for an exact match and interpolates elsewhere. For long
# filters, whose reference points crowd closer than 1e-6 near 0 and half the rate, the two
# coefficient sets therefore part in the digits that this shortcut moves.
print("\ncoefficients, Ondela (ondela-cli remez) against scipy, own densities:")
for n, density, _, _ in rows:
    if density != own_density(n):
        continue
    h_scipy, scipy_converged = scipy_design(n, density)
    h_ours, status = ondela_design(n, density)
    if len(h_ours) != len(h_scipy) or not scipy_converged or (status & 0x08):
        print(f"  {n} taps: not compared (Ondela status {status}, scipy "
              f"{'converged' if scipy_converged else 'did not converge'})")
        continue
    diff = float(np.max(np.abs(h_ours - h_scipy)))
    print(f"  {n} taps: largest difference {diff:.3g}")
PYTHON
