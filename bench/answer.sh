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
# The caret is a column as tall as the line; the letter is x-high.
columns = {}
for x, y in changed:
    columns[x] = columns.get(x, 0) + 1
tall = max(columns.values())
caret = {x for x, n in columns.items() if n >= tall * 0.8}
ink = [(x, y) for x, y in changed if x not in caret]
line = [y for x, y in changed if x in caret]
if not ink or not line:
    sys.exit('could not tell the letter from the caret')
# The letter with the blank before it and above and below it, as tall as
# the line: something else there would have to look the same to count.
left, right = min(x for x, _ in ink), max(x for x, _ in ink) + 1
box = (max(0, left - 4), min(line), right, max(line) + 1)
keep = [x - box[0] for x in range(box[0], box[2]) if x not in caret]

def region(rows):
    return [b''.join(r[4 * x:4 * x + 3] for x in keep) for r in rows]

letter = region(r[box[0] * 4:box[2] * 4] for r in after[box[1]:box[3]])
blank = region(r[box[0] * 4:box[2] * 4] for r in before[box[1]:box[3]])
inked = sum(1 for ra, rb in zip(letter, blank) for i in range(0, len(ra), 3) if ra[i:i + 3] != rb[i:i + 3])
tolerance = max(2, inked // 5)
shots = os.environ.get('ANSWER_SHOTS')
print(f'the letter: {right - left} px wide at ({left},{min(y for _, y in ink)}), {inked} px inked; '
      f'watched {box[2] - box[0]}x{box[3] - box[1]} px')

# The line below, blank in the empty editor: it must show the listing's
# second line, so that a letter typed anywhere but into the opened text
# does not count.
under = (box[0], box[3], box[2], 2 * box[3] - box[1])
blank_under = region(r[under[0] * 4:under[2] * 4] for r in before[under[1]:under[3]])

def differing(a, b):
    return sum(1 for ra, rb in zip(a, b) for i in range(0, len(ra), 3) if ra[i:i + 3] != rb[i:i + 3])

def text_shown():
    return differing(region(screen.rows(under)), blank_under) > tolerance

def typed_into_text():
    return differing(region(screen.rows(box)), letter) <= tolerance and text_shown()

def save(name):
    if shots:
        subprocess.run(['import', '-window', 'root', '-crop', '1000x800+0+0', os.path.join(shots, name)])

def open_dialog():
    """文件 > 打开 through the menu's keys; True once the dialog is in front."""
    for _ in range(3):
        sh('xdotool', 'key', 'alt+f')
        time.sleep(0.5)
        sh('xdotool', 'key', 'o')
        for _ in range(30):
            time.sleep(0.1)
            if sh('xdotool', 'getactivewindow', 'getwindowname') == '打开':
                return True
        save(f'no-dialog-{time.monotonic():.0f}.png')
        sh('xdotool', 'key', 'Escape')
    return False

def one_run():
    app = start()
    if not open_dialog():
        print('  the open dialog did not come up')
        stop(app)
        return None
    time.sleep(0.5)
    sh('xdotool', 'type', '--delay', '5', listing)
    time.sleep(1)
    active = sh('xdotool', 'getactivewindow', 'getwindowname')
    if active != '打开':
        print(f'  "{active}" in front instead of the open dialog')
        stop(app)
        return None
    # The dialog's frame, just above its client area: when it changes, the
    # dialog is gone.
    geometry = sh('xdotool', 'getactivewindow', 'getwindowgeometry', '--shell').split()
    g = {k: int(v) for k, v in (kv.split('=') for kv in geometry if kv.split('=')[0] in ('X', 'Y', 'WIDTH'))}
    frame = (g['X'] + g['WIDTH'] // 2 - 10, max(0, g['Y'] - 6), g['X'] + g['WIDTH'] // 2 + 10, max(1, g['Y'] - 4))
    framed = screen.rows(frame)
    keys = ['Return'] + ['w'] * 2000
    t0 = time.monotonic()
    presser = subprocess.Popen(['xdotool', 'key', '--delay', str(key_ms)] + keys)
    seen = shown = gone = None
    while time.monotonic() - t0 < 20:
        if gone is None and screen.rows(frame) != framed:
            gone = time.monotonic() - t0
        if shown is None and text_shown():
            shown = time.monotonic() - t0
        if typed_into_text():
            seen = time.monotonic() - t0
            break
        time.sleep(0.0005)
    presser.kill()
    presser.wait()
    # A key the killed presser left down would repeat into the next run.
    sh('xdotool', 'keyup', 'w')
    save(f'answer-{time.monotonic():.0f}.png')
    stop(app)
    return seen if seen is None else (seen, shown, gone)

ours = []
for i in range(2 * runs):
    s = one_run()
    if s is not None:
        ours.append(s[0])
        print(f'  run {len(ours)}: {s[0]:.3f} s until a typed letter shows (the dialog went at '
              f'{s[2] if s[2] is not None else -1:.3f} s, the text showed at {s[1]:.3f} s)')
    if len(ours) == runs:
        break

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
