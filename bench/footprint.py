#!/usr/bin/env python3
"""Measures the bridge's footprint beside the floor of its toolkit (a Qt Quick window with one
text), in the same run on the same machine, and prints a Markdown report.

  sudo bench/footprint.py [BUILD_DIR]      (default build/default; needs root for its sandbox)

Everything runs in the tests' sandbox (tests/support/sandbox.py): corvane.app is 127.0.0.1 there, a
stand-in dashboard answers with a certificate of the tests' authority, the only one trusted. The
bridge binary is the one users get; nothing is injected into it.
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
    return dict(sandbox.app_environment(home), QSG_RENDER_LOOP="basic")


def time_to_first_frame(command, home, runs=5):
    """Milliseconds from starting the process to its first rendered frame (median of `runs`)."""
    env = dict(environment(home), QT_LOGGING_RULES="qt.scenegraph.time.renderloop=true")
    times = []
    for _ in range(runs):
        started = time.monotonic()
        process = subprocess.Popen(command, env=env, stderr=subprocess.PIPE, text=True)
        for line in process.stderr:
            if "frame rendered" in line:
                times.append((time.monotonic() - started) * 1000)
                break
        process.kill()
        process.wait()
        time.sleep(0.3)
    return statistics.median(times)


def idle_footprint(command, home):
    """Resident memory ten seconds after start, and CPU used over the next 60 s."""
    process = subprocess.Popen(command, env=environment(home), stderr=subprocess.DEVNULL)
    time.sleep(10)
    rss = resident_mib(process.pid)
    before = cpu_seconds(process.pid)
    time.sleep(60)
    cpu = cpu_seconds(process.pid) - before
    process.kill()
    process.wait()
    return rss, cpu


def make_home(scratch, name):
    """A home where sync is on with a valid code, and the game's log (returned too)."""
    home = sandbox.make_home(scratch, name, {"linkCode": "BENCH1", "bridgeEnabled": "true"})
    return home, sandbox.add_log(home, 1, time.time())


def syncing_footprint(app, build, scratch):
    """With the game running and a marker line about every second: CPU over the next 60 s, and the
    delay from each uploaded line's writing to the dashboard receiving it."""
    home, log = make_home(scratch, "syncing")
    game = os.path.join(scratch, "TransportFever3")
    shutil.copy(os.path.join(build, "tests/fake_game"), game)
    game_process = subprocess.Popen([game])
    dashboard = sandbox.Dashboard(build)
    process = subprocess.Popen([app], env=environment(home), stderr=subprocess.DEVNULL)
    time.sleep(10)
    written = {}
    before = cpu_seconds(process.pid)
    # About one line a second, at varying moments, so the lines land at every phase of the 3 s tick.
    jitter = random.Random(7)
    for sequence in range(60):
        written[sequence] = time.time() * 1000
        with open(log, "a") as f:
            f.write(f'[game] @CRVN@ {{"seq":{sequence},"balance":{1000 + sequence},"lines":3}}\n')
        time.sleep(jitter.uniform(0.5, 1.5))
    cpu = cpu_seconds(process.pid) - before
    delays = []
    while request := dashboard.next_request(timeout=4):
        at, body = request
        delays.append(at - written[json.loads(body)["data"]["seq"]])
    process.kill()
    game_process.kill()
    dashboard.stop()
    return cpu, delays


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build/default")
    try:
        sandbox.enter([__file__, build])
    except sandbox.Unavailable as why:
        sys.exit(f"footprint.py: {why}")
    app = os.path.join(build, "CorvaneBridge/corvane-bridge")
    floor = os.path.join(build, "bench/bench_floor")
    scratch = tempfile.mkdtemp(prefix="corvane-footprint-")
    xvfb = sandbox.prepare(build, scratch)
    try:
        app_home, _ = make_home(scratch, "app")
        floor_home, _ = make_home(scratch, "floor")
        first_frame = {"floor": time_to_first_frame([floor], floor_home),
                       "bridge": time_to_first_frame([app], app_home)}
        # Fresh homes, so both start without Qt's shader cache, as on a first launch; the runs above
        # leave caches of different completeness behind.
        idle = {}
        threads = [threading.Thread(target=lambda n=n, c=c: idle.__setitem__(n, idle_footprint([c], make_home(scratch, n + "-idle")[0])))
                   for n, c in (("floor", floor), ("bridge", app))]
        for t in threads:
            t.start()
        for t in threads:
            t.join()
        cpu_syncing, delays = syncing_footprint(app, build, scratch)
    finally:
        sandbox.stop_x_server(xvfb)
        shutil.rmtree(scratch, ignore_errors=True)

    print(f"Measured {time.strftime('%Y-%m-%d')} on {os.cpu_count()} cores, Xvfb with Mesa, QSG_RENDER_LOOP=basic; "
          "memory and CPU from a first launch (no shader cache yet) of each.\n")
    print("| measure | floor | bridge | difference | goal |")
    print("|---|---|---|---|---|")
    print(f"| start to first frame (median of 5) | {first_frame['floor']:.0f} ms | {first_frame['bridge']:.0f} ms "
          f"| {first_frame['bridge'] - first_frame['floor']:+.0f} ms | within 150 ms of the floor |")
    print(f"| resident memory 10 s after start | {idle['floor'][0]:.1f} MiB | {idle['bridge'][0]:.1f} MiB "
          f"| {idle['bridge'][0] - idle['floor'][0]:+.1f} MiB | within 15 MiB of the floor |")
    print(f"| CPU over 60 s, waiting, no game | {idle['floor'][1] * 1000:.0f} ms ({idle['floor'][1] / 60 * 100:.3f} %) "
          f"| {idle['bridge'][1] * 1000:.0f} ms ({idle['bridge'][1] / 60 * 100:.3f} %) | | under 0.1 % of one core |")
    print(f"| CPU over 60 s, game running, a marker line every second | | {cpu_syncing * 1000:.0f} ms "
          f"({cpu_syncing / 60 * 100:.3f} %) | | |")
    if delays:
        print(f"| marker line written to dashboard receiving it ({len(delays)} uploads) | | median "
              f"{statistics.median(delays):.0f} ms, max {max(delays):.0f} ms | | at most one period (3000 ms) plus the round trip |")
    else:
        print("| marker line written to dashboard receiving it | | NO UPLOAD ARRIVED | | |")


if __name__ == "__main__":
    main()
