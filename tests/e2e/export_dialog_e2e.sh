#!/usr/bin/env bash
# The Export dialog in the real designer under a virtual X server with a window manager (openbox,
# when installed): Enter designs the stored specification, the Export... button beside Help and
# Quit opens "Export Coefficients" over the window, 10-bit words typed into its word length show
# the warning, Escape closes it; the editor's File menu opens the same dialog. Pictures of the
# screen (grab_screen) are left in OUTPUT_DIR as .png for a person to look at.
#
#   export_dialog_e2e.sh DESIGNER GRAB_SCREEN OUTPUT_DIR
set -euo pipefail
designer=$1
grab=$2
out=$3
here=$(cd "$(dirname "$0")" && pwd)
source "$here/e2e_common.sh"
e2e_home "$out"

wm=""
fail() {
    echo "export_dialog_e2e: $*" >&2
    kill "$pid" 2>/dev/null || true
    [ -z "$wm" ] || kill "$wm" 2>/dev/null || true
    exit 1
}
# A picture of the screen where window $1 lies, checked to be painted, kept as $2.png.
shot() {
    "$grab" "$1" "$out/$2.ppm"
    "$grab" "$1" "$out/$2.png"
    python3 "$here/screen_check.py" painted "$out/$2.ppm" || fail "$2: the dialog is not painted"
}

if command -v openbox >/dev/null; then
    openbox --sm-disable &
    wm=$!
    sleep 1
fi

"$designer" &
pid=$!
win=$(wait_window 10 --name '^Ondela 1\.21$')
[ -n "$win" ] || fail "no window titled 'Ondela 1.21' appeared"
sleep 0.5
xdotool windowfocus --sync "$win" key Return
sleep 1.5

# Export...: 639 + 26 dialog units across, moved 32 pixels right with Help and Quit when the
# plots were widened; 393 + 6 down.
xdotool mousemove --window "$win" $(( (639 + 26) * 3 / 2 + 32 )) $(( (393 + 6) * 13 / 8 )) click 1
dialog=$(wait_window 5 --onlyvisible --name '^Export Coefficients$')
[ -n "$dialog" ] || fail "the Export... button opened no 'Export Coefficients' dialog"
sleep 0.7
shot "$dialog" export_16bit

# The word length is the second control: Tab, select, type 10.
xdotool windowfocus --sync "$dialog" key Tab ctrl+a type 10
sleep 0.7
shot "$dialog" export_10bit
xdotool windowfocus --sync "$dialog" key Escape
sleep 0.5
[ -z "$(xdotool search --onlyvisible --name '^Export Coefficients$' 2>/dev/null)" ] ||
    fail "Escape did not close the Export dialog"

# The Filter Editor button, then the editor's File menu: Export...
xdotool mousemove --window "$win" $(( (335 + 26) * 3 / 2 )) $(( (397 + 6) * 13 / 8 )) click 1
editor=$(wait_window 5 --onlyvisible --name 'LowPass')
[ -n "$editor" ] || fail "the editor window did not open"
sleep 0.5
xdotool windowfocus --sync "$editor" key alt+f
sleep 0.5
xdotool key e
dialog=$(wait_window 5 --onlyvisible --name '^Export Coefficients$')
[ -n "$dialog" ] || fail "the editor's File > Export... opened no 'Export Coefficients' dialog"
sleep 0.7
shot root export_from_editor
xdotool windowfocus --sync "$dialog" key Escape
sleep 0.5

xdotool windowfocus --sync "$win" key Escape
ended_within "$pid" 5 || fail "Escape did not end the designer"
wait "$pid" || true
[ -z "$wm" ] || kill "$wm" 2>/dev/null || true
echo "export_dialog_e2e: passed"
