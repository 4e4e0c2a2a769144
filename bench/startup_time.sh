#!/usr/bin/env bash
# Times the designer from its start to a shown main window, under a virtual X server, with a
# fresh settings folder; prints every run and the median in seconds.
#
#   bench/startup_time.sh [DESIGNER] [RUNS]
#
# DESIGNER defaults to build/default/app/ondela, RUNS to 9. Needs xvfb-run and xdotool (both
# installed by scripts/setup).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
designer=${1:-$root/build/default/app/ondela}
runs=${2:-9}

if [ -z "${ONDELA_STARTUP_INNER:-}" ]; then
    exec env ONDELA_STARTUP_INNER=1 xvfb-run -a -s "-screen 0 1400x900x24 -noreset" "$0" "$designer" "$runs"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work XDG_CONFIG_HOME=$work/.config XDG_RUNTIME_DIR=$work/run QT_QPA_PLATFORM=xcb
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

times=()
for _ in $(seq "$runs"); do
    start=$(date +%s%N)
    "$designer" &
    pid=$!
    until xdotool search --onlyvisible --name '^Ondela' >/dev/null 2>&1; do sleep 0.005; done
    end=$(date +%s%N)
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    t=$(( (end - start) / 1000000 ))
    echo "start-up to shown window: $t ms"
    times+=("$t")
done
median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(( (runs + 1) / 2 ))p")
echo "median of $runs runs: $median ms"
