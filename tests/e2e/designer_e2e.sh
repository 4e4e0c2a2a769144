#!/usr/bin/env bash
# The designer as a user starts it, under a virtual X server: the window appears, Enter designs
# the stored specification, a screenshot shows the response curve, the Filter Editor button opens
# the editor window, and Escape quits, storing the specification.
#
#   designer_e2e.sh DESIGNER OUTPUT_DIR
set -euo pipefail
designer=$1
out=$2
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$out"
rm -rf "$out/home"
export HOME=$out/home XDG_CONFIG_HOME=$out/home/.config XDG_RUNTIME_DIR=$out/home/run
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=xcb

fail() { echo "designer_e2e: $*" >&2; kill "$pid" 2>/dev/null || true; exit 1; }

"$designer" &
pid=$!
win=""
for _ in $(seq 100); do
    win=$(xdotool search --name '^Ondela 1\.21$' 2>/dev/null | head -1) && [ -n "$win" ] && break
    sleep 0.1
done
[ -n "$win" ] || fail "no window titled 'Ondela 1.21' appeared"
sleep 0.5
xdotool windowfocus --sync "$win" key Return
sleep 1.5
xwd -root -silent | python3 "$here/xwd_to_png.py" "$out/designer.png"
python3 - "$out/designer.png" <<'PY' || fail "no response curve in the screenshot"
import struct, sys, zlib
data = open(sys.argv[1], "rb").read()
w, h = struct.unpack(">II", data[16:24])
pos, idat = 8, b""
while pos < len(data):
    n, kind = struct.unpack(">I4s", data[pos:pos + 8])
    if kind == b"IDAT":
        idat += data[pos + 8:pos + 8 + n]
    pos += 12 + n
raw = zlib.decompress(idat)
red = sum(1 for y in range(h) for x in range(w)
          if raw[y * (3 * w + 1) + 1 + 3 * x:y * (3 * w + 1) + 4 + 3 * x] == b"\xff\x00\x00")
print(f"designer_e2e: {red} curve pixels")
sys.exit(0 if red > 500 else 1)
PY

# The Filter Editor button: in the "Process" group, 335 + 26 dialog units across, 397 + 6 down.
eval "$(xdotool getwindowgeometry --shell "$win")"
xdotool mousemove --window "$win" $(( (335 + 26) * 3 / 2 )) $(( (397 + 6) * 13 / 8 )) click 1
editor=""
for _ in $(seq 50); do
    editor=$(xdotool search --name 'LowPass' 2>/dev/null | head -1) && [ -n "$editor" ] && break
    sleep 0.1
done
[ -n "$editor" ] || fail "the editor window did not open with the filter's title"
xwd -root -silent | python3 "$here/xwd_to_png.py" "$out/editor.png"

xdotool windowfocus --sync "$win" key Escape
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "Escape did not end the designer"
wait "$pid" || true
grep -q '^ATT=' "$XDG_CONFIG_HOME/MQ/Ondela.ini" || fail "the specification was not stored"
echo "designer_e2e: passed"
