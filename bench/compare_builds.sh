#!/usr/bin/env bash
# Runs one table of designs through the ondela-cli of two builds and requires the same output,
# character for character (the JSON reports print every double so that it reads back exactly).
# The usual use: a build with the vector kernels against one with the plain per-lane loops,
#
#   cmake -S . -B build/portable -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
#         -DONDELA_BUILD_APP=OFF -DONDELA_BUILD_BENCH=OFF -DCMAKE_CXX_FLAGS=-DONDELA_PORTABLE_KERNELS
#   cmake --build build/portable --target ondela-cli
#   bench/compare_builds.sh build/default build/portable
#
# or the builds of two revisions. Exits 1 when any design differs.
set -euo pipefail

if [ $# -ne 2 ]; then
    echo "usage: $0 BUILD_A BUILD_B" >&2
    exit 2
fi
cli_a=$1/cli/ondela-cli
cli_b=$2/cli/ondela-cli
for cli in "$cli_a" "$cli_b"; do
    if ! [ -x "$cli" ]; then
        echo "compare_builds: $cli is missing" >&2
        exit 2
    fi
done

# Whole designs of every type, short to the longest.
designs=(
    "--type lowpass --fs 48000 --f1 10000 --att 60 --ripple 0.4 --max-coefs 127"
    "--type highpass --fs 48000 --f1 10000 --att 60 --ripple 0.4 --max-coefs 127"
    "--type bandpass --fs 48000 --f1 8000 --f2 16000 --att 60 --ripple 0.4 --max-coefs 127"
    "--type bandstop --fs 48000 --f1 8000 --f2 16000 --att 60 --ripple 0.4 --max-coefs 127"
    "--type halfband --fs 48000 --f1 12000 --att 60 --ripple 0.1 --max-coefs 2051"
    "--type lowpass --fs 48000 --f1 10000 --att 80 --ripple 0.1 --max-coefs 4095"
    "--type highpass --fs 48000 --f1 3000 --att 90 --ripple 0.01 --max-coefs 2047"
    "--type bandpass --fs 48000 --f1 2000 --f2 2600 --att 80 --ripple 0.1 --max-coefs 4095"
    "--type bandstop --fs 48000 --f1 7000 --f2 7600 --att 70 --ripple 0.05 --max-coefs 3001"
    "--type halfband --fs 48000 --f1 11000 --att 120 --ripple 0.001 --max-coefs 4095"
)
# Fixed-length exchanges over one to five bands: ordinary ones, ones at the rounding floor and
# degenerate ones that do not settle.
bandsets=(
    "--bands 0,0.5 --desired 1 --weights 1"
    "--bands 0,0.1,0.12,0.5 --desired 1,0 --weights 1,10"
    "--bands 0,0.1,0.15,0.25,0.3,0.5 --desired 0,1,0 --weights 10,1,5"
    "--bands 0,0.08,0.11,0.2,0.24,0.33,0.36,0.5 --desired 1,0,0.5,0 --weights 1,8,2,20"
    "--bands 0,0.05,0.08,0.15,0.18,0.25,0.29,0.38,0.42,0.5 --desired 0,1,0,1,0 --weights 3,1,7,1,4"
)
lengths=(3 7 31 101 255 511 1023 2047)
densities=(8 16 40)

runs=0
differ=0
compare() {
    local a b
    a=$("$cli_a" "$@" --json 2>&1 || true)
    b=$("$cli_b" "$@" --json 2>&1 || true)
    runs=$((runs + 1))
    if [ "$a" != "$b" ]; then
        differ=$((differ + 1))
        echo "DIFFERENT: ondela-cli $*"
    fi
}

for d in "${designs[@]}"; do
    # shellcheck disable=SC2086
    compare design $d
done
for b in "${bandsets[@]}"; do
    for n in "${lengths[@]}"; do
        for l in "${densities[@]}"; do
            # shellcheck disable=SC2086
            compare remez --taps "$n" $b --density "$l"
        done
    done
done
for n in 1023 2047 4095; do
    compare remez --taps "$n" --bands "0,0.1,$(awk "BEGIN { printf \"%.17g\", 0.1 + 4 / $n }"),0.5" \
        --desired 1,0 --weights 1,10 --density 40
done

echo "compare_builds: $((runs - differ)) of $runs designs identical"
[ "$differ" -eq 0 ]
