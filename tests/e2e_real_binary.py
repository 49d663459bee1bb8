#!/usr/bin/python3
"""The shipped corvane-bridge, end to end, used as a player would, with nothing injected into it.

Runs in the sandbox of tests/support/sandbox.py, on a private desktop with a window manager and a tray.
The player types with the keyboard (xdotool) and clicks the tray icon; the window is read back through
the accessibility tree, as a screen reader reads it (pyatspi).

  e2e_real_binary.py BUILD_DIR          exit 0 passed, 1 failed, 77 skipped (not root, or not Linux)
"""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "support"))
import sandbox  # noqa: E402


class Failure(Exception):
    pass


def wait_for(what, predicate, timeout=30):
    deadline = time.monotonic() + timeout
    while not (result := predicate()):
        if time.monotonic() > deadline:
            raise Failure(f"never saw {what}")
        time.sleep(0.3)
    return result


def xdotool(*arguments):
    subprocess.run(["xdotool", *arguments], check=True)


def focus_window():
    """Brings the bridge's window to the front and gives it the keyboard (openbox may take a while)."""
    wait_for("the window focused", lambda: subprocess.run(
        ["xdotool", "search", "--sync", "--name", "^Corvane Bridge$", "windowactivate", "--sync"],
        capture_output=True).returncode == 0)


class Bridge:
    """The bridge's process, and its window as the accessibility tree shows it."""

    def __init__(self, build, home, *arguments, language="C.UTF-8"):
        self.process = subprocess.Popen([os.path.join(build, "CorvaneBridge/corvane-bridge"), *arguments],
                                        env=sandbox.app_environment(home, language))

    def controls(self):
        """[(role, name, description, checked, showing)] of the window, or [] while it has none."""
        import pyatspi
        found = []

        def walk(node):
            if node is None:  # gone while the tree changes; the next look sees the rest
                return
            states = node.getState()
            found.append((node.getRoleName(), node.name, node.description, states.contains(pyatspi.STATE_CHECKED),
                          states.contains(pyatspi.STATE_SHOWING)))
            for i in range(node.childCount):
                walk(node.getChildAtIndex(i))
        try:
            for app in pyatspi.Registry.getDesktop(0):
                if app and app.get_process_id() == self.process.pid:
                    for window in app:
                        walk(window)
        except Exception:  # an accessible that went away under our feet: look again later
            return []
        return found

    def showing(self, role, name=None, description=None):
        return [c for c in self.controls() if c[4] and c[0] == role and name in (None, c[1])
                and description in (None, c[2])]

    def status(self):
        line = self.showing("label", description="Sync status")
        return line[0][1] if line else None

    def wait_for_status(self, pattern):
        wait_for(f"the status line {pattern!r} (it reads {self.status()!r})",
                 lambda: re.fullmatch(pattern, self.status() or ""))

    def has_window(self):
        return bool(self.showing("frame"))


def tray_icon():
    """The centre of the bridge's icon in trayer's panel."""
    tree = subprocess.run(["xwininfo", "-root", "-tree"], capture_output=True, text=True).stdout
    icon = re.search(r'"Corvane Bridge": \("corvane-bridge" "Corvane Bridge"\)\s+(\d+)x(\d+)\+0\+0\s+\+(\d+)\+(\d+)', tree)
    if not icon:
        return None
    w, h, x, y = map(int, icon.groups())
    return str(x + w // 2), str(y + h // 2)


def tray_menu(*keys):
    xdotool("mousemove", *tray_icon(), "click", "3")
    time.sleep(1)
    xdotool("key", *keys)


def expect_upload(dashboard, payload):
    request = dashboard.next_request(timeout=30)
    if request is None:
        raise Failure(f"the dashboard received nothing; expected {payload}")
    if json.loads(request[1]) != {"code": "ABC123", "source": "mac-bridge", "data": payload}:
        raise Failure(f"the dashboard received {request[1]}")


def append(log, *payloads):
    with open(log, "a") as f:
        f.write("".join(f"[game] state @CRVN@ {json.dumps(p)}\n" for p in payloads))


def settings(home):
    path = os.path.join(home, ".config/Corvane/Corvane Bridge.conf")
    return open(path).read().split() if os.path.exists(path) else []


def story(build, scratch):
    home = sandbox.make_home(scratch, "player")
    older = sandbox.add_log(home, 111, time.time() - 100)
    newer = sandbox.add_log(home, 222, time.time() - 10, sandbox.PROTON_USERDATA)  # the Proton prefix
    dashboard = sandbox.Dashboard(build)
    bridge = Bridge(build, home)
    wait_for("the window", bridge.has_window)

    # The player types the end of the code, goes back to its start to type the rest with a hyphen
    # (the cursor stays where the player types), and turns sync on, with the keyboard.
    wait_for("the link-code field", lambda: bridge.showing("text", "Link code"))
    focus_window()
    xdotool("key", "Tab", "Tab")
    xdotool("type", "--delay", "50", "c123")
    xdotool("key", "Home")
    xdotool("type", "--delay", "50", "ab-")
    xdotool("key", "Tab", "space")
    wait_for("the switch on", lambda: [c for c in bridge.showing("check box", "Sync to dashboard") if c[3]])
    wait_for("the settings saved", lambda: {"linkCode=ABC123", "bridgeEnabled=true"} <= set(settings(home)))
    bridge.wait_for_status("Waiting for game")
    if not bridge.showing("push button", "Launch game"):
        raise Failure("no Launch game button while the game is not running")
    xdotool("key", "ctrl+n")  # another window on the same bridge; Ctrl+W closes it again
    wait_for("a second window", lambda: len(bridge.showing("frame")) == 2)
    xdotool("key", "ctrl+w")
    wait_for("one window again", lambda: len(bridge.showing("frame")) == 1)

    # The game starts under Proton after the bridge: a process the kernel names "TransportFever3" (a copy
    # of sleep, its file name cut to 15 characters) with the game's Windows path as its first argument.
    shutil.copy("/bin/sleep", os.path.join(scratch, "TransportFever3-wine"))
    game = subprocess.Popen([r"Z:\home\player\Steam\steamapps\common\Transport Fever 3\TransportFever3.exe", "infinity"],
                            executable=os.path.join(scratch, "TransportFever3-wine"))
    wait_for("the game running", lambda: bridge.showing("label", "Running") and not bridge.showing("push button"))
    time.sleep(0.5)
    append(older, {"balance": 1, "from": "the older account"})
    append(newer, {"balance": 2184350.4, "lines": 14, "seq": 1}, {"balance": 2184360.4, "lines": 15, "seq": 2})
    expect_upload(dashboard, {"balance": 2184360.4, "lines": 15, "seq": 2})
    bridge.wait_for_status(r"Live, last sync \d.*")
    wait_for("the figures", lambda: bridge.showing("label", "Lines: 15"))

    # The window closes; the bridge goes on syncing, and its tray icon brings the window back.
    subprocess.run(["wmctrl", "-c", "Corvane Bridge"], check=True)
    wait_for("the window gone", lambda: not bridge.has_window())
    append(newer, {"seq": 3})
    expect_upload(dashboard, {"seq": 3})
    xdotool("mousemove", *wait_for("the tray icon", tray_icon), "click", "1")
    wait_for("the window back from the tray", bridge.has_window)

    # A second start with no window open shows one and steps aside.
    subprocess.run(["wmctrl", "-c", "Corvane Bridge"], check=True)
    wait_for("the window gone", lambda: not bridge.has_window())
    second = Bridge(build, home)
    if second.process.wait(timeout=30) != 0:
        raise Failure("a second start did not step aside with status 0")
    wait_for("the window opened by a second start", bridge.has_window)

    # From the tray menu's end: "Start at login" writes the autostart entry and removes it again;
    # "Quit Corvane Bridge" ends the bridge, and the settings stay.
    autostart = os.path.join(home, ".config/autostart/app.corvane.Bridge.desktop")
    tray_menu("Up", "Up", "Return")
    wait_for("the autostart entry", lambda: os.path.exists(autostart) and "--background\n" in open(autostart).read())
    tray_menu("Up", "Up", "Return")
    wait_for("the autostart entry removed", lambda: not os.path.exists(autostart))
    tray_menu("Up", "Return")
    if bridge.process.wait(timeout=30) != 0:
        raise Failure("quitting from the tray did not end with status 0")
    if not {"linkCode=ABC123", "bridgeEnabled=true"} <= set(settings(home)):
        raise Failure(f"the settings after quitting: {settings(home)}")
    game.kill()
    dashboard.stop()

    # A German player's next start: the runtime folder cannot hold the lock and a crash left a damaged
    # one in the cache, the settings cannot be saved, and the desktop has no tray.
    for folder in (".config/Corvane", "run"):
        subprocess.run(["mount", "--bind", "-o", "ro", os.path.join(home, folder), os.path.join(home, folder)], check=True)
    os.makedirs(os.path.join(home, ".cache/Corvane/Corvane Bridge"))
    with open(os.path.join(home, ".cache/Corvane/Corvane Bridge/corvane-bridge.lock"), "wb") as lock:
        lock.write(b"\0garbage")
    subprocess.run(["pkill", "-x", "trayer"])
    bridge = Bridge(build, home, language="de_DE.UTF-8")
    wait_for("the German switch", lambda: bridge.showing("check box", "Mit Dashboard abgleichen"))
    focus_window()
    xdotool("key", "Tab", "Tab", "space")  # the field, then the switch
    wait_for("the unsaved settings told", lambda: bridge.showing("label", "Einstellungen nicht gespeichert"))
    if Bridge(build, home).process.wait(timeout=30) != 0:
        raise Failure("with the lock in the cache, a second start did not step aside")
    subprocess.run(["wmctrl", "-c", "Corvane Bridge"], check=True)
    if bridge.process.wait(timeout=30) != 0:
        raise Failure("closing the last window without a tray did not quit")

    # The command line, also without a display.
    program = os.path.join(build, "CorvaneBridge/corvane-bridge")
    usage = subprocess.run([program, "--bogus"], capture_output=True, text=True, env=sandbox.app_environment(home))
    if usage.returncode != 2 or usage.stderr.count("\n") != 1:
        raise Failure(f"an unknown option gave status {usage.returncode} and {usage.stderr!r}")
    headless = {k: v for k, v in sandbox.app_environment(home).items() if k != "DISPLAY"}
    version = subprocess.run([program, "--version"], capture_output=True, text=True, env=headless)
    if version.returncode != 0 or not version.stdout.startswith("Corvane Bridge "):
        raise Failure(f"--version without a display gave status {version.returncode} and {version.stdout!r}")


def main():
    build = os.path.abspath(sys.argv[1])
    try:
        sandbox.enter([__file__, build])
    except sandbox.Unavailable as why:
        print(f"SKIP: {why}")
        return 77
    scratch = tempfile.mkdtemp(prefix="corvane-e2e-")
    try:
        sandbox.prepare(build, scratch)
        story(build, scratch)
    except Failure as failure:
        print(f"FAIL: {failure}")
        return 1
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    print("PASS: the shipped bridge, end to end")
    return 0


if __name__ == "__main__":
    sys.exit(main())
