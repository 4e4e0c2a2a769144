#!/usr/bin/env bash
# The designer started with a settings store it cannot create: the fatal message appears painted
# (its picture is not one flat colour), Enter closes it, and the designer ends with status 1.
#
#   fatal_settings_e2e.sh DESIGNER GRAB_SCREEN OUTPUT_DIR
set -euo pipefail
designer=$1
grab=$2
out=$3
here=$(cd "$(dirname "$0")" && pwd)
source "$here/e2e_common.sh"
e2e_home "$out" "$out/home/config"
# The configuration folder is a plain file: no store can be created under it.
echo "not a folder" >"$XDG_CONFIG_HOME"

fail() { echo "fatal_settings_e2e: $*" >&2; kill "$pid" 2>/dev/null || true; exit 1; }

"$designer" &
pid=$!
box=$(wait_window 10 --onlyvisible --name '^FATAL ERROR$')
[ -n "$box" ] || fail "no message titled 'FATAL ERROR' appeared"
sleep 0.5
"$grab" "$box" "$out/fatal.ppm"
python3 "$here/screen_check.py" painted "$out/fatal.ppm" || fail "the message is not painted"

xdotool windowfocus --sync "$box" key Return
status=0
ended_within "$pid" 5 || fail "Enter did not close the message and end the designer"
wait "$pid" || status=$?
[ "$status" -eq 1 ] || fail "exit status $status, expected 1"
echo "fatal_settings_e2e: passed"
