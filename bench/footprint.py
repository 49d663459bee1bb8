#!/usr/bin/python3

# SPDX-FileCopyrightText: 2026 Corvane
#
# SPDX-License-Identifier: MIT

"""Measures the bridge's footprint beside the floor of its toolkit (a Qt Quick window with one text,
on the same software renderer), in the same run on the same machine, and prints a Markdown report.

  sudo bench/footprint.py [BUILD_DIR]      (default build/default; needs root for its sandbox)
  sudo bench/footprint.py BUILD_DIR --portable ARCHIVE
                                          the portable folder beside the Debian package's build
  sudo bench/footprint.py BUILD_DIR --headless
                                          a headless bridge beside a bare QCoreApplication's POST

Everything runs in the tests' sandbox (tests/support/sandbox.py): a private desktop with a window
manager and a tray, corvane.app is 127.0.0.1 there, and a stand-in dashboard answers with a
certificate of the tests' authority, the only one trusted. The bridge binary is the one users get.
"""
import json
import os
import random
import shutil
import statistics
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "../tests/support"))
import sandbox  # noqa: E402

CLOCK_TICKS = os.sysconf("SC_CLK_TCK")
PAGE_KIB = os.sysconf("SC_PAGE_SIZE") // 1024


def cpu_seconds(pid):
    fields = open(f"/proc/{pid}/stat").read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / CLOCK_TICKS  # utime + stime


def resident_mib(pid):
    return int(open(f"/proc/{pid}/statm").read().split()[1]) * PAGE_KIB / 1024


def environment(home):
    """As a player runs it: no accessibility bridge forced on, the floor on the bridge's renderer."""
    env = dict(sandbox.app_environment(home), QT_QUICK_BACKEND="software", PATH="/usr/bin:/bin",
               QT_LOGGING_RULES="qt.scenegraph.time.renderloop=true")
    del env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"]
    return env


class Process:
    """A started program, with the moments its frames were rendered."""

    def __init__(self, command, home):
        self.started = time.monotonic()
        self.popen = subprocess.Popen(command, env=environment(home), stderr=subprocess.PIPE, text=True)
        self.frames = []
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.popen.stderr:
            if "frame rendered" in line.lower():
                self.frames.append(time.monotonic())

    def frame_after(self, moment, timeout=10):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if later := [f for f in self.frames if f > moment]:
                return (later[0] - moment) * 1000
            time.sleep(0.005)
        raise RuntimeError("no frame was rendered")

    def stop(self):
        self.popen.kill()
        self.popen.wait()


def windows():
    return subprocess.run(["wmctrl", "-l"], capture_output=True, text=True).stdout.count("Corvane Bridge")


def close_all_windows():
    while windows():
        subprocess.run(["wmctrl", "-c", "Corvane Bridge"])
        time.sleep(0.1)


def first_frames(command, home, runs=5):
    times = []
    for _ in range(runs):
        process = Process(command, home)
        times.append(process.frame_after(process.started))
        process.stop()
        time.sleep(0.3)
    return statistics.median(times)


def window_life(app, home):
    """Memory with the window open, 30 s after it closed, and after 20 windows were opened and closed
    four times; the time from a click on the tray icon to the reopened window's first frame."""
    bridge = Process([app], home)
    time.sleep(10)
    figures = {"open": resident_mib(bridge.popen.pid)}
    close_all_windows()
    time.sleep(30)
    figures["closed"] = resident_mib(bridge.popen.pid)
    reopen = []
    for _ in range(5):
        clicked = time.monotonic()
        sandbox.click_tray_icon()
        reopen.append(bridge.frame_after(clicked))
        time.sleep(1)
        close_all_windows()
        time.sleep(1)
    figures["reopen"] = statistics.median(reopen)
    for _ in range(4):
        sandbox.click_tray_icon()
        time.sleep(1)
        for _ in range(19):  # each new window takes the focus, and the next Ctrl+N
            subprocess.run(["xdotool", "key", "ctrl+n"], check=True)
            time.sleep(0.3)
        close_all_windows()
    time.sleep(30)
    figures["churned"] = resident_mib(bridge.popen.pid)
    bridge.stop()
    return figures


def idle(command, home, seconds=60):
    """Resident memory ten seconds after start, and CPU used over the next `seconds`."""
    process = Process(command, home)
    time.sleep(10)
    rss = resident_mib(process.popen.pid)
    before = cpu_seconds(process.popen.pid)
    time.sleep(seconds)
    cpu = cpu_seconds(process.popen.pid) - before
    process.stop()
    return rss, cpu


def make_home(scratch, name):
    """A home where sync is on with a valid code, and the game's log (returned too)."""
    home = os.path.join(scratch, name)
    os.makedirs(os.path.join(home, "run"), mode=0o700)
    os.makedirs(os.path.join(home, ".config/Corvane"))
    with open(os.path.join(home, ".config/Corvane/Corvane Bridge.conf"), "w") as f:
        f.write("[General]\nlinkCode=BENCH1\nbridgeEnabled=true\n")
    return home, sandbox.add_log(home)


def syncing(app, build, scratch):
    """With the game running and a marker line about every second: CPU over 60 s, and the delay from
    each uploaded line's writing to the dashboard receiving it."""
    home, log = make_home(scratch, "syncing")
    shutil.copy("/bin/sleep", os.path.join(scratch, "TransportFever3"))
    game = subprocess.Popen([os.path.join(scratch, "TransportFever3"), "infinity"])
    dashboard = sandbox.Dashboard(build, scratch)
    bridge = Process([app, "--background"], home)
    time.sleep(10)
    written = {}
    before = cpu_seconds(bridge.popen.pid)
    jitter = random.Random(7)  # lines at every phase of the 3 s tick
    for sequence in range(60):
        written[sequence] = time.time() * 1000
        with open(log, "a") as f:
            f.write(f'[game] @CRVN@ {{"seq":{sequence},"balance":{1000 + sequence},"lines":3}}\n')
        time.sleep(jitter.uniform(0.5, 1.5))
    cpu = cpu_seconds(bridge.popen.pid) - before
    delays = []
    time.sleep(4)  # the last line's upload
    for at, body in dashboard.uploads():
        delays.append(at - written[json.loads(body)["data"]["seq"]])
    bridge.stop()
    game.kill()
    dashboard.process.kill()
    return cpu, delays


def window_open(command, home):
    """Resident memory with the window open, ten seconds after start."""
    process = Process(command, home)
    time.sleep(10)
    rss = resident_mib(process.popen.pid)
    process.stop()
    return rss


def portable(build, archive):
    """The portable folder beside the build the Debian package installs (both stripped), in the same
    run: the archive's size, start to first frame, memory with the window open and in the background.
    """
    scratch = tempfile.mkdtemp(prefix="corvane-footprint-")
    try:
        sandbox.prepare(build, scratch)
        subprocess.run(["cmake", "--install", build, "--prefix", os.path.join(scratch, "deb"), "--strip"],
                       check=True, stdout=subprocess.DEVNULL)
        subprocess.run(["tar", "-xJf", archive, "-C", scratch], check=True)
        [folder] = [f for f in os.listdir(scratch) if f.startswith("corvane-bridge-")]
        programs = {"deb": os.path.join(scratch, "deb/bin/corvane-bridge"),
                    "portable": os.path.join(scratch, folder, "corvane-bridge")}
        figures = {}
        for kind, program in programs.items():
            figures[kind] = (first_frames([program], make_home(scratch, kind + "-first")[0]),
                             window_open([program], make_home(scratch, kind + "-open")[0]),
                             idle([program, "--background"], make_home(scratch, kind + "-background")[0], 5)[0])
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    size = os.path.getsize(archive) / 2**20
    print(f"Measured {time.strftime('%Y-%m-%d')} on {os.cpu_count()} cores, Xvfb, Qt Quick's software renderer, "
          "openbox and trayer; each program from a first launch in a fresh home.\n")
    print(f"The archive: {os.path.basename(archive)}, {size:.1f} MiB (goal: at most 40 MiB).\n")
    print("| measure | Debian package's build | portable folder | goal |")
    print("|---|---|---|---|")
    for row, (name, unit) in enumerate([("start to first frame (median of 5)", "ms"),
                                        ("resident memory, window open, 10 s after start", "MiB"),
                                        ("resident memory, started with `--background`, after 10 s", "MiB")]):
        deb, mine = figures["deb"][row], figures["portable"][row]
        print(f"| {name} | {deb:.1f} {unit} | {mine:.1f} {unit} ({(mine / deb - 1) * 100:+.1f} %) | within 10 % |")


def headless(app, build, scratch):
    """A headless bridge beside its floor (a bare QCoreApplication that made one HTTPS POST): memory
    once each has posted over TLS; and the bridge's CPU over 60 s while it waits for the game."""
    dashboard = sandbox.Dashboard(build, scratch)
    floor = subprocess.Popen([os.path.join(build, "bench/bench_floor_headless")], stdout=subprocess.PIPE,
                             text=True, env=environment(make_home(scratch, "headless-floor")[0]))
    assert floor.stdout.readline().startswith("posted: 200"), "the floor's POST failed"
    time.sleep(2)
    rss = {"floor": resident_mib(floor.pid)}
    floor.kill()
    home, log = make_home(scratch, "headless")
    shutil.copy("/bin/sleep", os.path.join(scratch, "TransportFever3"))
    game = subprocess.Popen([os.path.join(scratch, "TransportFever3"), "infinity"])
    bridge = Process([app, "--headless"], home)
    before = len(dashboard.uploads())
    while len(dashboard.uploads()) == before:
        with open(log, "a") as f:
            f.write('[game] @CRVN@ {"seq":1,"balance":1000,"lines":3}\n')
        time.sleep(1)
    time.sleep(2)
    rss["bridge"] = resident_mib(bridge.popen.pid)
    bridge.stop()
    game.kill()
    dashboard.process.kill()
    _, cpu = idle([app, "--headless"], make_home(scratch, "headless-waiting")[0])
    print(f"Measured {time.strftime('%Y-%m-%d')} on {os.cpu_count()} cores; no display for either.\n")
    print("| measure | floor | headless bridge | goal |")
    print("|---|---|---|---|")
    print(f"| resident memory after an upload over TLS | {rss['floor']:.1f} MiB | {rss['bridge']:.1f} MiB "
          f"({rss['bridge'] - rss['floor']:+.1f} MiB) | within 4 MiB of the floor |")
    print(f"| CPU over 60 s, sync on, no game | | {cpu * 1000:.0f} ms ({cpu / 60 * 100:.3f} %) | under 0.05 % of one core |")


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build/default")
    try:
        sandbox.enter([__file__, *sys.argv[1:]])
    except sandbox.Unavailable as why:
        sys.exit(f"footprint.py: {why}")
    if len(sys.argv) > 3 and sys.argv[2] == "--portable":
        portable(build, os.path.abspath(sys.argv[3]))
        return
    if len(sys.argv) > 2 and sys.argv[2] == "--headless":
        scratch = tempfile.mkdtemp(prefix="corvane-footprint-")
        sandbox.prepare(build, scratch)
        headless(os.path.join(build, "corvane-bridge"), build, scratch)
        shutil.rmtree(scratch, ignore_errors=True)
        return
    app = os.path.join(build, "corvane-bridge")
    floor = os.path.join(build, "bench/bench_floor")
    scratch = tempfile.mkdtemp(prefix="corvane-footprint-")
    try:
        sandbox.prepare(build, scratch)
        first = {"floor": first_frames([floor], make_home(scratch, "floor")[0]),
                 "bridge": first_frames([app], make_home(scratch, "app")[0])}
        # Fresh homes, so that each starts without Qt's caches, as on a first launch.
        rss = {"floor": idle([floor], make_home(scratch, "floor-idle")[0])[0]}
        rss["background"], cpu_waiting = idle([app, "--background"], make_home(scratch, "background")[0])
        life = window_life(app, make_home(scratch, "window")[0])
        cpu_syncing, delays = syncing(app, build, scratch)
    finally:
        shutil.rmtree(scratch, ignore_errors=True)

    print(f"Measured {time.strftime('%Y-%m-%d')} on {os.cpu_count()} cores, Xvfb, Qt Quick's software renderer for both, "
          "openbox and trayer; each program from a first launch in a fresh home.\n")
    print("| measure | floor | bridge | goal |")
    print("|---|---|---|---|")
    print(f"| start to first frame (median of 5) | {first['floor']:.0f} ms | {first['bridge']:.0f} ms "
          f"({first['bridge'] - first['floor']:+.0f} ms) | within 150 ms of the floor |")
    print(f"| resident memory, window open, 10 s after start | {rss['floor']:.1f} MiB | {life['open']:.1f} MiB | at most 60 MiB |")
    print(f"| resident memory, started with `--background`, after 10 s | | {rss['background']:.1f} MiB | at most 32 MiB |")
    print(f"| resident memory 30 s after the last window closed | | {life['closed']:.1f} MiB | at most 50 MiB |")
    print(f"| the same after 20 windows opened and closed, four times | | {life['churned']:.1f} MiB "
          f"({life['churned'] - life['closed']:+.1f} MiB) | within 10 MiB of the line above |")
    print(f"| click on the tray icon to the window's first frame (median of 5) | | {life['reopen']:.0f} ms | within 300 ms |")
    print(f"| CPU over 60 s in the background, sync on, no game | | {cpu_waiting * 1000:.0f} ms "
          f"({cpu_waiting / 60 * 100:.3f} %) | under 0.1 % of one core |")
    print(f"| CPU over 60 s in the background, a marker line every second | | {cpu_syncing * 1000:.0f} ms "
          f"({cpu_syncing / 60 * 100:.3f} %) | |")
    if delays:
        print(f"| marker line written to dashboard receiving it ({len(delays)} uploads) | | median "
              f"{statistics.median(delays):.0f} ms, max {max(delays):.0f} ms | one period (3000 ms) plus the round trip |")
    else:
        print("| marker line written to dashboard receiving it | | NO UPLOAD ARRIVED | |")


if __name__ == "__main__":
    main()
