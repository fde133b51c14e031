#!/bin/bash
# How long the window stays deaf after selection keys on a big file, under X11
# (where every selection change is offered to other programs as the primary
# selection).  Needs Xvfb, openbox, xdotool and xclip.
#   bench/selection_x11.sh BUILD/bin/lumora LISTING.txt
# The probe after each key asks the editor for the primary selection's
# formats, which it can answer only once it has handled the key; the figures
# include starting xdotool and xclip (about 30 ms on the development machine).
set -u
BIN=$1 FILE=$2
export DISPLAY=:9
Xvfb :9 -screen 0 1280x1024x24 >/dev/null 2>&1 & XVFB=$!
sleep 1
openbox >/dev/null 2>&1 & WM=$!
sleep 1
"$BIN" >/dev/null 2>&1 & APP=$!
for _ in $(seq 50); do W=$(xdotool search --pid $APP --onlyvisible 2>/dev/null | head -1); [ -n "$W" ] && break; sleep 0.2; done
sleep 1; xdotool windowactivate --sync "$W"; sleep 0.5
probe() { timeout 60 xclip -o -selection primary -t TARGETS >/dev/null 2>&1; }
now() { date +%s.%N; }
since() { echo "$(now) - $1" | bc; }
xdotool key alt+f; sleep 0.5; xdotool key o; sleep 2          # 文件 > 打开
xdotool type --delay 5 "$FILE"; xdotool key Return
sleep 20; xdotool windowactivate --sync "$W"; sleep 1         # loaded by then
T=$(now); xdotool key ctrl+a; until probe; do sleep 0.02; done
echo "Ctrl+A: $(since $T) s"
for k in 1 2 3; do T=$(now); xdotool key shift+Up; probe; echo "Shift+Up $k: $(since $T) s"; done
T=$(now); xdotool key ctrl+shift+End; probe; xdotool key shift+Up; probe
echo "Ctrl+Shift+End, Shift+Up: $(since $T) s"
grep VmHWM /proc/$APP/status
T=$(now); BYTES=$(timeout 120 xclip -o -selection primary | wc -c)
echo "another program reads the selection's text ($BYTES bytes): $(since $T) s"
kill $APP $WM $XVFB
