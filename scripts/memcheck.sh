#!/usr/bin/env bash
# Runs the real player under valgrind's memcheck for a short session on a
# display of its own: short content is made once into <build>/memcheck-content,
# the setup dialog is accepted with Enter, the player runs for a while, and
# Escape is pressed twice (closing sequence, then the end). Reports every
# invalid access (or use of an uninitialised value) whose first frame outside
# the C and C++ runtimes is in our program, and every definite leak allocated
# there; what the system libraries (GL, X, SDL, FLTK, fontconfig...) do
# inside themselves is counted but not held against us.
#
#   bash scripts/memcheck.sh [builddir]      (make memcheck)
#   GLINT_MEMCHECK_SECONDS=60 ...            run longer before closing (default 30)
# Exit status 0 when the player ended with 0 and nothing of ours was found.
set -uo pipefail
build="$(cd "${1:-build}" && pwd)"
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/xvfb.sh"
. "$here/player_driver.sh"
run_seconds="${GLINT_MEMCHECK_SECONDS:-30}"

say() { echo "memcheck: $*" >&2; }

if [ ! -x "$build/glint" ] || [ ! -x "$build/glint-content" ]; then
  say "$build/glint is missing; build first (make build)"
  exit 2
fi
command -v valgrind >/dev/null || { say "valgrind is not installed"; exit 2; }
glint_use_driver "$build" || exit 2

content="$build/memcheck-content"
if [ ! -s "$content/data.zuo" ] || [ ! -s "$content/glint.mp3" ]; then
  say "making short content in $content"
  "$build/glint-content" --out "$content" --short 30 || exit 2
fi

out="$build/memcheck"
mkdir -p "$out"
xml="$out/memcheck.xml"
rm -f "$xml" "$out/valgrind.log"

glint_start_xvfb || exit 2
# No sound card is needed: SDL's silent driver plays in real time. GL runs
# in software on one thread; its JIT-compiled code needs memcheck to watch
# for code written at run time. (The interpreting driver is far slower under
# memcheck: a frame takes so long that the keys wait for minutes.)
export SDL_AUDIODRIVER=dummy LIBGL_ALWAYS_SOFTWARE=1 GALLIUM_DRIVER=llvmpipe LP_NUM_THREADS=0

cd "$content" || exit 2
valgrind --tool=memcheck --leak-check=full --show-leak-kinds=definite \
  --errors-for-leak-kinds=definite --num-callers=40 --smc-check=all-non-file \
  --child-silent-after-fork=yes \
  --xml=yes --xml-file="$xml" --log-file="$out/valgrind.log" \
  "$build/glint" >"$out/glint.out" 2>"$out/glint.err" &
pid=$!

fail() {
  say "$*"
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  exit 1
}

dialog=$("$glint_driver" wait setup 300 "$pid") || fail "the setup dialog never appeared"
say "setup dialog up; pressing Enter"
"$glint_driver" key "${dialog%% *}" Return >/dev/null
window=$("$glint_driver" wait player 600 "$pid") || fail "the player window never appeared"
window="${window%% *}"
say "player window up; letting it run ${run_seconds} s, working the transport buttons"
# The buttons have faded in 15 s into the opening.
sleep 20
for control in next next previous stop play; do
  "$glint_driver" click "$window" "$control" >/dev/null
  sleep 1
done
sleep $((run_seconds > 25 ? run_seconds - 25 : 0))
say "Escape: the closing sequence"
"$glint_driver" key "$window" Escape >/dev/null
sleep 5
say "Escape again: the end"
"$glint_driver" key "$window" Escape >/dev/null
glint_wait_exit "$pid" 600 || fail "the player did not end after the second Escape"
say "the player ended with status $glint_status"

python3 - "$xml" "$build/glint" <<'PY'
import re
import sys
import xml.etree.ElementTree as ET

xml_path, program = sys.argv[1], sys.argv[2]
# Frames in these objects are the runtimes our own calls pass through
# (malloc, memcpy, operator new, std::string...): look past them to find
# whose code is at fault.
runtime = ("vgpreload", "/libc.so", "/libc-", "/libstdc++", "/libgcc_s", "/ld-linux", "/libm.so")

def frames(stack):
    return [{k: (f.findtext(k) or "") for k in ("obj", "fn", "file", "line")}
            for f in stack.findall("frame")]

def ours(stack_frames):
    for f in stack_frames:
        if any(r in f["obj"] for r in runtime):
            continue
        return f["obj"] == program
    return False

def where(stack_frames):
    for f in stack_frames:
        if f["obj"] == program:
            place = f"{f['file']}:{f['line']}" if f["file"] else f["obj"]
            return f"{f['fn']} ({place})"
    return "?"

# Each error is read on its own, so that a stray line from a forked child
# cannot spoil the whole report.
text = open(xml_path, encoding="utf-8", errors="replace").read()
if "</valgrindoutput>" not in text:
    print("memcheck: the report is incomplete")
    sys.exit(1)
found, system = [], {}
for block in re.findall(r"<error>.*?</error>", text, re.S):
    error = ET.fromstring(block)
    kind = error.findtext("kind")
    stack = error.find("stack")
    fs = frames(stack) if stack is not None else []
    if kind.startswith("Leak_") and kind != "Leak_DefinitelyLost":
        continue
    what = error.findtext("what") or (error.find("xwhat").findtext("text")
                                      if error.find("xwhat") is not None else kind)
    if ours(fs):
        found.append(f"{kind}: {what}\n    at {where(fs)}")
    else:
        system[kind] = system.get(kind, 0) + 1

for line in found:
    print("memcheck: ours:", line)
if system:
    print("memcheck: inside system libraries (not ours):",
          ", ".join(f"{n} {k}" for k, n in sorted(system.items())))
print(f"memcheck: {len(found)} of ours")
sys.exit(1 if found else 0)
PY
report=$?
if [ "$glint_status" -ne 0 ]; then
  say "the player should end with 0; see $out/glint.err"
  exit 1
fi
exit $report
