#!/usr/bin/env bash
# The designer as a user starts it, under a virtual X server: the window appears, Enter designs
# the stored specification, a screenshot shows the response curve, the Filter Editor button opens
# the editor window, Analysis of an emptied editor answers with a painted message box, and Escape
# quits after asking what becomes of the changed editor text, storing the specification.
#
#   designer_e2e.sh DESIGNER GRAB_SCREEN OUTPUT_DIR
set -euo pipefail
designer=$1
grab=$2
out=$3
here=$(cd "$(dirname "$0")" && pwd)
source "$here/e2e_common.sh"
e2e_home "$out"

fail() { echo "designer_e2e: $*" >&2; kill "$pid" 2>/dev/null || true; exit 1; }

"$designer" &
pid=$!
win=$(wait_window 10 --name '^Ondela 1\.21$')
[ -n "$win" ] || fail "no window titled 'Ondela 1.21' appeared"
sleep 0.5
xdotool windowfocus --sync "$win" key Return
sleep 1.5
"$grab" root "$out/designer.ppm"
python3 "$here/screen_check.py" curve "$out/designer.ppm" 500 || fail "no response curve in the screenshot"

# The Filter Editor button: in the "Process" group, 335 + 26 dialog units across, 397 + 6 down.
eval "$(xdotool getwindowgeometry --shell "$win")"
xdotool mousemove --window "$win" $(( (335 + 26) * 3 / 2 )) $(( (397 + 6) * 13 / 8 )) click 1
editor=$(wait_window 5 --name 'LowPass')
[ -n "$editor" ] || fail "the editor window did not open with the filter's title"
"$grab" root "$out/editor.ppm"

# Analysis with the editor open, its text cleared: the answer is a message box that must be
# painted, with its text on it, while the editor window lies beside and under it.
xdotool windowfocus --sync "$editor" key ctrl+a Delete
sleep 0.3
xdotool mousemove --window "$win" $(( (335 + 26) * 3 / 2 )) $(( (420 + 6) * 13 / 8 )) click 1
box=$(wait_window 5 --onlyvisible --name '^Ondela$')
[ -n "$box" ] || fail "Analysis of the emptied editor showed no message"
sleep 0.5
"$grab" "$box" "$out/analysis_message.ppm"
python3 "$here/screen_check.py" painted "$out/analysis_message.ppm" ||
    fail "the Analysis message is not painted"
xdotool windowfocus --sync "$box" key Return
sleep 0.3

# Escape quits, but the editor's text was changed: the question what becomes of it comes first.
# Its Cancel keeps the designer running; Discard ends it.
xdotool windowfocus --sync "$win" key Escape
question=$(wait_window 5 --onlyvisible --name '^Ondela$')
[ -n "$question" ] || fail "Quit did not ask about the edited text"
sleep 0.5
"$grab" "$question" "$out/quit_question.ppm"
python3 "$here/screen_check.py" painted "$out/quit_question.ppm" ||
    fail "the question about the edited text is not painted"
xdotool windowfocus --sync "$question" key Escape
sleep 1
kill -0 "$pid" 2>/dev/null || fail "Cancel ended the designer"
xdotool windowfocus --sync "$win" key Escape
question=$(wait_window 5 --onlyvisible --name '^Ondela$')
[ -n "$question" ] || fail "the second Quit did not ask about the edited text"
sleep 0.3
xdotool windowfocus --sync "$question" key alt+d
ended_within "$pid" 5 || fail "Discard did not end the designer"
wait "$pid" || true
grep -q '^ATT=' "$XDG_CONFIG_HOME/MQ/Ondela.ini" || fail "the specification was not stored"
echo "designer_e2e: passed"
