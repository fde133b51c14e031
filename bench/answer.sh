#!/bin/bash
# How long after choosing a file the editor takes a typed letter, felt from
# outside the process as a user would: the editor runs under Xvfb + openbox,
# the file is opened through the menu (文件 > 打开, the path typed, Return)
# while xdotool goes on pressing "w" every few milliseconds, and a watcher
# reads Xvfb's screen (its frame buffer, mapped as a file with -fbdir) until
# the letter shows at the start of the first line of the opened text.  A
# window that repaints but drops keys (read-only while loading) does not count.
# The peer, `highlight -S asm -O rtf` of the same listing, is timed in the
# same run.  Needs Xvfb, openbox, xdotool, highlight and python3.
#   bench/answer.sh BUILD/bin [LINES] [RUNS]
# BUILD/bin must hold lumora and bench_sizes (which writes the listing).
#
# Resolution: the screen is read every 0.5 ms; keys go every KEY_MS; time 0
# is the start of the xdotool process that presses Return (it takes a few
# ms to connect).  A figure is thus late by up to KEY_MS plus a paint.
set -u
BIN=$(cd "$1" && pwd) LINES=${2:-100000} RUNS=${3:-3}
KEY_MS=${KEY_MS:-5}
DISPLAY_NUMBER=${DISPLAY_NUMBER:-11}
WORK=$(mktemp -d)
trap 'kill $WM $XVFB 2>/dev/null; rm -rf "$WORK"' EXIT
export DISPLAY=:$DISPLAY_NUMBER
mkdir -p "$WORK/fb"
Xvfb "$DISPLAY" -screen 0 1280x1024x24 -fbdir "$WORK/fb" >/dev/null 2>&1 & XVFB=$!
sleep 1
openbox >/dev/null 2>&1 & WM=$!
sleep 1
FILE=$WORK/listing.txt
"$BIN/bench_sizes" --listing "$LINES" "$FILE" || exit 1
echo "$LINES lines, $(stat -c %s "$FILE") bytes; keys every $KEY_MS ms"
python3 - "$BIN/lumora" "$FILE" "$WORK" "$RUNS" "$KEY_MS" <<'EOF'
import mmap, os, statistics, struct, subprocess, sys, time

lumora, listing, work, runs, key_ms = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4]), int(sys.argv[5])

def sh(*args):
    return subprocess.run(args, capture_output=True, text=True).stdout.strip()

class Screen:
    """Xvfb's screen as an XWD file it keeps mapped: reads see what is shown."""
    def __init__(self, path):
        self.f = open(path, 'rb')
        self.m = mmap.mmap(self.f.fileno(), 0, access=mmap.ACCESS_READ)
        h = struct.unpack('>25I', self.m[:100])
        self.offset = h[0] + h[19] * 12
        self.stride, self.bpp = h[12], h[11] // 8
    def rows(self, box):
        x0, y0, x1, y1 = box
        return [self.m[self.offset + y * self.stride + x0 * self.bpp:
                       self.offset + y * self.stride + x1 * self.bpp] for y in range(y0, y1)]

def differing(a, b):
    return sum(1 for ra, rb in zip(a, b) for i in range(0, len(ra), 4) if ra[i:i + 3] != rb[i:i + 3])

def start():
    app = subprocess.Popen([lumora], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    for _ in range(100):
        w = sh('xdotool', 'search', '--pid', str(app.pid), '--onlyvisible')
        if w:
            break
        time.sleep(0.1)
    w = w.split()[0]
    sh('xdotool', 'windowmove', '--sync', w, '0', '0')
    sh('xdotool', 'windowsize', '--sync', w, '1000', '800')
    time.sleep(1)
    sh('xdotool', 'windowactivate', '--sync', w)
    time.sleep(0.5)
    return app

def stop(app):
    app.kill()
    app.wait()
    time.sleep(0.5)

screen = Screen(os.path.join(work, 'fb', 'Xvfb_screen0'))
whole = (0, 0, 1000, 800)

# Where a "w" typed at the start of the text shows: the pixels a first "w"
# changes in an empty editor, less the caret (a column as tall as the line,
# while the letter is only x-high).
app = start()
before = screen.rows(whole)
sh('xdotool', 'key', 'w')
time.sleep(0.3)
after = screen.rows(whole)
stop(app)
changed = [(i // 4, y) for y, (ra, rb) in enumerate(zip(before, after))
           for i in range(0, len(ra), 4) if ra[i:i + 3] != rb[i:i + 3]]
if not changed:
    sys.exit('a typed letter changed nothing on the screen')
height = max(y for _, y in changed) - min(y for _, y in changed) + 1
columns = {}
for x, y in changed:
    columns[x] = columns.get(x, 0) + 1
ink = [(x, y) for x, y in changed if columns[x] < height * 0.8]
box = (min(x for x, _ in ink), min(y for _, y in ink), max(x for x, _ in ink) + 1, max(y for _, y in ink) + 1)
letter = [r[box[0] * 4:box[2] * 4] for r in after[box[1]:box[3]]]
blank = [r[box[0] * 4:box[2] * 4] for r in before[box[1]:box[3]]]
inked = differing(letter, blank)
tolerance = max(2, inked // 5)
print(f'the letter: {box[2] - box[0]}x{box[3] - box[1]} px at ({box[0]},{box[1]}), {inked} px inked')

def one_run():
    app = start()
    sh('xdotool', 'key', 'alt+f')
    time.sleep(0.5)
    sh('xdotool', 'key', 'o')          # 文件 > 打开
    time.sleep(1.5)
    sh('xdotool', 'type', '--delay', '5', listing)
    time.sleep(1)
    keys = ['Return'] + ['w'] * 2000
    t0 = time.monotonic()
    presser = subprocess.Popen(['xdotool', 'key', '--delay', str(key_ms)] + keys)
    seen = None
    while time.monotonic() - t0 < 20:
        if differing(screen.rows(box), letter) <= tolerance:
            seen = time.monotonic() - t0
            break
        time.sleep(0.0005)
    presser.kill()
    presser.wait()
    stop(app)
    return seen

ours = []
for i in range(runs):
    s = one_run()
    print(f'  run {i + 1}: {"never" if s is None else f"{s:.3f} s"} until a typed letter shows')
    if s is not None:
        ours.append(s)

peer = []
for _ in range(runs):
    t = time.monotonic()
    subprocess.run(['highlight', '-S', 'asm', '-O', 'rtf', '-i', listing, '-o', os.path.join(work, 'peer.rtf')],
                   check=True)
    peer.append(time.monotonic() - t)
if ours:
    o, p = statistics.median(ours), statistics.median(peer)
    print(f'open until a key takes effect: median {o:.3f} s of {len(ours)}; highlight -S asm -O rtf: median '
          f'{p:.3f} s; ratio {o / p:.3f} (aim <= 0.05)')
EOF
