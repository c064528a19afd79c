#!/usr/bin/env python3
"""Runs glint's benchmarks and prints one table; called by scripts/bench.sh.

Whole-program figures come from the real player, started on this script's
own display and worked from outside (glint-driver), with the frame shim
preloaded to log each presented frame, each frame's drawing and each
pointer move the loop takes. Stage figures come from bench drivers linked
with the libraries. Every figure with a reference is measured in the same
run as it; repeated figures are medians.

usage: run_bench.py BUILDDIR CONTENTDIR RUNS
"""
import contextlib
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

BUILD, CONTENT = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
RUNS = int(sys.argv[3])
SHIM = os.path.join(BUILD, "bench/shim/libglint_frame_shim.so")
DRIVER = os.path.join(BUILD, "glint-driver")
TICK_HZ = 100.0  # the player's 10 ms timer
CLK_TCK = os.sysconf("SC_CLK_TCK")
STORM_LAST = (700, 500)  # the storm's last pointer position, window pixels


def log(text):
    print("bench: " + text, file=sys.stderr, flush=True)


def now_ns():
    return time.clock_gettime_ns(time.CLOCK_MONOTONIC)


def run(args, **kw):
    return subprocess.run(args, check=True, stdout=subprocess.PIPE, text=True, **kw).stdout


def proc_cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / CLK_TCK  # utime + stime


def proc_status_mib(pid, key):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith(key + ":"):
                return int(line.split()[1]) / 1024.0
    return float("nan")


def read_frames(path):
    swaps, draws, moves = [], [], []
    if not os.path.exists(path):
        return swaps, draws, moves  # the shim opens it at the first frame
    with open(path) as f:
        for line in f:
            p = line.split()
            if p[0] == "S" and len(p) == 3:
                swaps.append((int(p[1]), int(p[2])))
            elif p[0] == "D" and len(p) == 2:
                draws.append(int(p[1]))
            elif p[0] == "M" and len(p) == 4:
                moves.append((int(p[1]), int(p[2]), int(p[3])))
    return swaps, draws, moves


def session(workdir):
    """One run of the real player; returns a dict of figures."""
    out = {}
    frame_log = os.path.join(workdir, "frames.log")
    env = dict(os.environ, GLINT_BENCH_FRAME_LOG=frame_log, LD_PRELOAD=SHIM)
    line = run([DRIVER, "launch", "setup", "20", os.path.abspath(os.path.join(BUILD, "glint"))],
               cwd=CONTENT, env=env).split()
    pid, dialog, start_ns, mapped_ns = int(line[0]), line[1], int(line[2]), int(line[3])
    out["dialog_ms"] = (mapped_ns - start_ns) / 1e6
    try:
        time.sleep(0.3)
        ok_ns = int(run([DRIVER, "key", dialog, "Return"]))
        deadline = time.time() + 20
        swaps = []
        while not swaps and time.time() < deadline:
            time.sleep(0.05)
            swaps, _, _ = read_frames(frame_log)
        if not swaps:
            raise RuntimeError("the player presented no frame")
        first_ns = swaps[0][1]
        out["first_frame_ms"] = (first_ns - ok_ns) / 1e6
        window = run([DRIVER, "wait", "player", "20"]).split()[0]

        out.update(steady_state(pid, frame_log, first_ns))

        # Ten clicks on "next": every track once, back to the first.
        for _ in range(10):
            run([DRIVER, "click", window, "next"])
            time.sleep(1.0)

        # The pointer storm, then the frame that shows its last move.
        storm_end = int(run([DRIVER, "storm", window, "1000", "10",
                             str(STORM_LAST[0]), str(STORM_LAST[1])]))
        time.sleep(1.0)
        swaps, _, moves = read_frames(frame_log)
        last = [m for m in moves if (m[1], m[2]) == STORM_LAST]
        if last:
            taken = last[-1][0]
            shown = next((s[1] for s in swaps if s[0] >= taken), None)
            out["storm_ms"] = (shown - storm_end) / 1e6 if shown else float("nan")
        else:
            out["storm_ms"] = float("nan")
        time.sleep(3)
        # The first clicks and storm meet everything for the first time (the
        # GL compiles its drawing code for new states, queues grow to their
        # working size); the second round shows whether memory keeps growing.
        rss_round1 = proc_status_mib(pid, "VmRSS")
        out["rss_first_mib"] = rss_round1 - out.pop("rss_steady_mib")
        for _ in range(10):
            run([DRIVER, "click", window, "next"])
            time.sleep(0.5)
        run([DRIVER, "storm", window, "1000", "10", str(STORM_LAST[0]), str(STORM_LAST[1])])
        time.sleep(3)
        out["rss_growth_mib"] = proc_status_mib(pid, "VmRSS") - rss_round1
        out["peak_mib"] = proc_status_mib(pid, "VmHWM")

        # Escape twice: the closing sequence, then the end at once.
        for _ in range(2):
            run([DRIVER, "key", window, "Escape"])
            time.sleep(0.5)
    finally:
        wait_end(pid)
    return out


def steady_state(pid, frame_log, first_ns):
    """Frames per second, late frames, drawing cost and CPU of the player at
    steady state, and its resident size as it starts: the main screen is
    fully in after 13 s and the music plays; five seconds from 15 s after
    the first frame."""
    while now_ns() < first_ns + 15e9:
        time.sleep(0.1)
    out = {"rss_steady_mib": proc_status_mib(pid, "VmRSS")}
    cpu0, t0 = proc_cpu_seconds(pid), now_ns()
    time.sleep(5)
    cpu1, t1 = proc_cpu_seconds(pid), now_ns()
    out["cpu_core"] = (cpu1 - cpu0) / ((t1 - t0) / 1e9)
    swaps, draws, _ = read_frames(frame_log)
    steady = [s for s in swaps if t0 <= s[1] <= t1]
    gaps = [(b[1] - a[1]) / 1e6 for a, b in zip(steady, steady[1:])]
    out["fps"] = (len(steady) - 1) / ((steady[-1][1] - steady[0][1]) / 1e9)
    # A tick is lost when a frame comes later than one and a half ticks.
    out["late_frames"] = sum(1 for g in gaps if g > 15.0)
    costs = []
    for d in draws:
        if t0 <= d <= t1:
            end = next((s[1] for s in steady if s[0] >= d), None)
            if end is not None:
                costs.append((end - d) / 1e6)
    out["frame_ms"] = statistics.median(costs)
    return out


def wait_end(pid):
    """Waits up to 5 s for the player to end after its Escapes, then stops it."""
    for _ in range(50):
        try:
            os.kill(pid, 0)
        except ProcessLookupError:
            break
        time.sleep(0.1)
    else:
        os.kill(pid, 15)
        log("the player did not end on Escape; stopped it")
    try:
        os.waitpid(pid, 0)
    except ChildProcessError:
        pass  # started by glint-driver, not our child


@contextlib.contextmanager
def private_display(width, height):
    """A private Xvfb of the given size for the rows at that size; its name."""
    read, write = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0",
                               "%dx%dx24" % (width, height), "-nolisten", "tcp",
                               "+extension", "GLX"], pass_fds=(write,),
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write)
    try:
        with os.fdopen(read) as f:
            number = f.readline().strip()
        if not number:
            raise RuntimeError("Xvfb at %dx%d reported no display" % (width, height))
        yield ":" + number
    finally:
        server.terminate()
        server.wait()


def full_screen_session(workdir, display):
    """The player full screen at a 1920 x 1080 desktop's own size, at steady
    state. The dialog's choice opens it windowed where the display has no
    1024 x 768 mode to offer; F11 then makes it full screen at the desktop's
    size, as a user would. Should the dialog already open it at that size,
    no key is pressed."""
    frame_log = os.path.join(workdir, "frames.log")
    env = dict(os.environ, DISPLAY=display, GLINT_BENCH_FRAME_LOG=frame_log, LD_PRELOAD=SHIM)
    line = run([DRIVER, "launch", "setup", "20", os.path.abspath(os.path.join(BUILD, "glint"))],
               cwd=CONTENT, env=env).split()
    pid, dialog = int(line[0]), line[1]
    try:
        time.sleep(0.3)
        run([DRIVER, "key", dialog, "Return"], env=env)
        window = run([DRIVER, "wait", "player", "20"], env=env).split()[0]
        deadline = time.time() + 5
        geometry = run([DRIVER, "geometry", window], env=env).split()[2:]
        if geometry != ["1920", "1080"]:
            run([DRIVER, "key", window, "F11"], env=env)
        while geometry != ["1920", "1080"] and time.time() < deadline:
            time.sleep(0.05)
            geometry = run([DRIVER, "geometry", window], env=env).split()[2:]
        if geometry != ["1920", "1080"]:
            raise RuntimeError("the player did not go full screen: %s" % " ".join(geometry))
        swaps = []
        while not swaps:
            time.sleep(0.05)
            swaps, _, _ = read_frames(frame_log)
        out = steady_state(pid, frame_log, swaps[0][1])
        for _ in range(2):
            run([DRIVER, "key", window, "Escape"], env=env)
            time.sleep(0.5)
    finally:
        wait_end(pid)
    return {"full_" + k: v for k, v in out.items()}


def child_cpu(args, cwd=None):
    """Runs a command to its end; returns (wall s, CPU s, stdout)."""
    start = time.time()
    p = subprocess.Popen(args, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                         text=True)
    text = p.stdout.read()
    _, status, usage = os.wait4(p.pid, 0)
    p.returncode = os.waitstatus_to_exitcode(status)
    if p.returncode != 0:
        raise RuntimeError("%s ended with %d" % (args[0], p.returncode))
    return time.time() - start, usage.ru_utime + usage.ru_stime, text


def figures(text):
    return {m.group(1): float(m.group(2)) for m in re.finditer(r"^(\w+) (\S+)$", text, re.M)}


def sound_server_rows(mpv, music, stages):
    """Rows measured on a private PulseAudio (scripts/pulse-server.sh): the
    heard position against the sink's monitor, a server restart until the
    sound is back, and the audio path's CPU beside mpv's on that server."""
    script = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts",
                          "pulse-server.sh")
    if not shutil.which("pulseaudio"):
        return [("sound server rows", "-", "pulseaudio not installed", "-", "MISSED")]
    saved = dict(os.environ)
    folder = tempfile.mkdtemp(prefix="glint-pulse.")
    out = {}
    try:
        run(["bash", script, "start", folder])
        # The library picks the server's output when no SDL driver is named.
        os.environ.pop("SDL_AUDIODRIVER", None)
        os.environ.update(line.split("=", 1) for line in
                          run(["bash", script, "env", folder]).split("\n") if "=" in line)
        out.update(figures(child_cpu([stages, "heard"], cwd=CONTENT)[2]))
        out.update(figures(child_cpu([stages, "restart"], cwd=CONTENT)[2]))
        _, cpu, _ = child_cpu([stages, "play", "10"], cwd=CONTENT)
        out["audio_core"] = cpu / 10.3  # the driver also waits 0.3 s before
        if mpv:
            _, cpu, _ = child_cpu([mpv, "--no-config", "--no-video", "--ao=pulse", "--start=4092",
                                   "--length=10", "--really-quiet", music])
            out["mpv_core"] = cpu / 10.0
    finally:
        os.environ.clear()
        os.environ.update(saved)
        subprocess.run(["bash", script, "stop", folder])
        shutil.rmtree(folder, ignore_errors=True)
    log("sound server: " + " ".join("%s=%.3f" % kv for kv in sorted(out.items())))

    def verdict(ok):
        return "met" if ok else "MISSED"

    nan = float("nan")
    offset, latency = out.get("server_heard_offset_ms", nan), out.get("server_latency_ms", nan)
    back = out.get("server_back_s", nan)
    core, ref = out.get("audio_core", nan), out.get("mpv_core", nan)
    return [
        ("sound server: heard position vs sink monitor", "%.2f ms" % offset,
         "latency the server reports %.1f ms" % latency, "<= 5 ms", verdict(abs(offset) <= 5)),
        ("sound server: restart -> sound back", "%.2f s" % back, "-", "<= 2 s",
         verdict(back <= 2)),
        ("sound server: CPU of the audio path", "%.3f core" % core,
         "mpv %.3f core" % ref if mpv else "mpv not installed", "<= 0.5 x reference",
         verdict(not mpv or core <= 0.5 * ref)),
    ]


def full_screen_rows_run():
    """One run of the full-screen rows on a 1920 x 1080 display of their
    own, with the one-quad program at that size before and after."""
    with private_display(1920, 1080) as display, \
            tempfile.TemporaryDirectory() as workdir:
        env = dict(os.environ, DISPLAY=display)
        quad = [os.path.join(BUILD, "quad_reference"), "200", "1920", "1080"]
        quad_ms = [float(run(quad, env=env).split()[0])]
        r = full_screen_session(workdir, display)
        quad_ms.append(float(run(quad, env=env).split()[0]))
    r["full_quad_ms"] = statistics.median(quad_ms)
    r["full_frame_quads"] = r["full_frame_ms"] / r["full_quad_ms"]
    return r


def main():
    mpv = shutil.which("mpv")
    music = os.path.join(CONTENT, "glint.mp3")
    stages = os.path.abspath(os.path.join(BUILD, "audio_stages"))
    results = []

    for i in range(RUNS):
        log("run %d of %d" % (i + 1, RUNS))
        # The one-quad program before and after the player, so that both
        # see the same machine.
        quad = [run([os.path.join(BUILD, "quad_reference"), "200"]).split()]
        with tempfile.TemporaryDirectory() as workdir:
            r = session(workdir)
        quad.append(run([os.path.join(BUILD, "quad_reference"), "200"]).split())
        r["quad_ms"] = statistics.median(float(q[0]) for q in quad)
        r["quad_peak_mib"] = max(float(q[2]) for q in quad)
        r["frame_quads"] = r["frame_ms"] / r["quad_ms"]
        r.update(full_screen_rows_run())
        if mpv:
            # mpv's start-up: from exec to the end of its first 50 ms of
            # sound, played untimed to the null output.
            r["mpv_start_ms"] = 1000 * child_cpu(
                [mpv, "--no-config", "--no-video", "--ao=null", "--ao-null-untimed",
                 "--end=0.05", "--really-quiet", music])[0]
        # CPU of the audio path: ten seconds of music at 68:12 each.
        _, cpu, _ = child_cpu([stages, "play", "10"], cwd=CONTENT)
        r["audio_core"] = cpu / 10.3  # the driver also waits 0.3 s before
        if mpv:
            _, cpu, _ = child_cpu([mpv, "--no-config", "--no-video", "--ao=null", "--start=4092",
                                   "--length=10", "--really-quiet", music])
            r["mpv_core"] = cpu / 10.0
        r.update(figures(child_cpu([stages, "next"], cwd=CONTENT)[2]))
        r.update(figures(child_cpu([stages, "scope"], cwd=CONTENT)[2]))
        results.append(r)
        log("run %d: %s" % (i + 1, " ".join("%s=%.2f" % kv for kv in sorted(r.items()))))

    med = {k: statistics.median([r[k] for r in results if k in r])
           for k in results[0]}
    med.update(figures(child_cpu([stages, "longrun"], cwd=CONTENT)[2]))

    log("generating the default content once, into a scratch folder")
    with tempfile.TemporaryDirectory() as scratch:
        wall, _, _ = child_cpu([os.path.join(BUILD, "glint-content"), "--out", scratch])
    med["content_s"] = wall

    rows = []

    def row(name, value, reference, target, ok):
        rows.append((name, value, reference, target, "met" if ok else "MISSED"))

    nan = float("nan")
    m = med.get
    row("process start -> setup dialog visible", "%.0f ms" % m("dialog_ms"), "-", "<= 60 ms",
        m("dialog_ms") <= 60)
    ref = m("mpv_start_ms", nan)
    row("OK -> first frame presented", "%.0f ms" % m("first_frame_ms"),
        "mpv start-up %.0f ms" % ref if mpv else "mpv not installed",
        "<= 150 ms, < reference",
        m("first_frame_ms") <= 150 and (not mpv or m("first_frame_ms") < ref))
    row("frames per second, steady state", "%.1f /s, %d late" % (m("fps"), m("late_frames")),
        "timer pace %.0f /s; one-quad program at most %.0f /s" % (TICK_HZ, 1000 / m("quad_ms")), ">= 95 /s, none late",
        m("fps") >= 95 and m("late_frames") == 0)
    row("drawing cost per frame", "%.2f quads (%.2f ms)" % (m("frame_quads"), m("frame_ms")),
        "1 quad = %.2f ms" % m("quad_ms"), "<= 2.5 quads", m("frame_quads") <= 2.5)
    row("CPU while playing", "%.2f core" % m("cpu_core"), "-", "<= 1 core", m("cpu_core") <= 1)
    row("full screen 1920 x 1080: frames per second",
        "%.1f /s, %d late" % (m("full_fps"), m("full_late_frames")), "timer pace %.0f /s" % TICK_HZ,
        ">= 95 /s, none late", m("full_fps") >= 95 and m("full_late_frames") == 0)
    row("full screen 1920 x 1080: drawing cost", "%.2f quads (%.2f ms)" % (
        m("full_frame_quads"), m("full_frame_ms")), "1 quad at 1920 x 1080 = %.2f ms" % m(
        "full_quad_ms"), "<= 2.5 quads", m("full_frame_quads") <= 2.5)
    row("full screen 1920 x 1080: CPU", "%.2f core" % m("full_cpu_core"), "-", "<= 1 core",
        m("full_cpu_core") <= 1)
    ref = m("mpv_core", nan)
    row("CPU of the audio path alone", "%.3f core" % m("audio_core"),
        "mpv %.3f core" % ref if mpv else "mpv not installed", "<= 0.5 x reference",
        not mpv or m("audio_core") <= 0.5 * ref)
    row("peak memory, whole program", "%.1f MiB" % m("peak_mib"),
        "one-quad GL program %.1f MiB" % m("quad_peak_mib"), "<= 120 MB",
        m("peak_mib") * 1.048576 <= 120)
    row("memory, 10 tracks x 60 s mixed (stage)", "%+.2f MiB" % m("longrun_growth_MiB"),
        "start %.1f MiB" % m("longrun_start_MiB"), "within 2 MB",
        abs(m("longrun_growth_MiB")) <= 2)
    row("memory, player: clicks and storm again", "%+.2f MiB" % m("rss_growth_mib"),
        "after the first round (%+.2f MiB from steady state)" % m("rss_first_mib"),
        "within 2 MB", abs(m("rss_growth_mib")) * 1.048576 <= 2)
    limit = m("period_ms") + 1000 / TICK_HZ
    row("next-track -> new position heard", "%.1f ms (worst %.1f)" % (m("next_ms"),
                                                                      m("next_worst_ms")),
        "period %.1f ms" % m("period_ms"), "<= %.1f ms" % limit, m("next_ms") <= limit)
    row("oscilloscope vs heard samples", "%.2f ms" % m("scope_offset_ms"), "-", "<= 5 ms",
        0 <= m("scope_offset_ms") <= 5)
    row("input storm -> frame with last move", "%.1f ms" % m("storm_ms"), "-", "<= 30 ms",
        m("storm_ms") <= 30)
    row("default content generation", "%.1f s" % m("content_s"), "-", "<= 45 s",
        m("content_s") <= 45)
    rows.extend(sound_server_rows(mpv, music, stages))

    widths = [max(len(r[i]) for r in rows + [("Figure", "Measured", "Reference", "Target",
                                               "")]) for i in range(5)]
    fmt = "| " + " | ".join("%%-%ds" % w for w in widths) + " |"
    print(fmt % ("Figure", "Measured", "Reference", "Target", ""))
    print("|" + "|".join("-" * (w + 2) for w in widths) + "|")
    for r in rows:
        print(fmt % r)
    with open("/proc/loadavg") as f:
        print("medians of %d runs; load average at the end: %s" % (RUNS, f.read().split()[0]))
    return 0 if all(r[4] == "met" for r in rows) else 1


if __name__ == "__main__":
    sys.exit(main())
