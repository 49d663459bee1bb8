#!/usr/bin/env python3
"""The shipped corvane-bridge, end to end, used as a player would, with nothing injected into it.

Runs in the sandbox of tests/support/sandbox.py (root, private network and mount namespaces, where
corvane.app is a local stand-in dashboard whose certificate authority is the only one trusted), on
Xvfb. The window is driven with the keyboard through xdotool and read back from screenshots.

  e2e_real_binary.py BUILD_DIR          exit 0 passed, 1 failed, 77 skipped (not root, or not Linux)
"""
import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "support"))
import sandbox  # noqa: E402

# Where things are in the 420-wide window; the cards above the live data never move.
GAME_DOT = (41, 110)
LAUNCH_BUTTON = (280, 97, 370, 100)   # the capsule's upper band, above its label
STATUS_LINE = (36, 328, 330, 346)
SWITCH_TRACK = (345, 327)
LIVE_FIGURES = (36, 430, 330, 465)    # the balance, or the placeholder's first line

GREEN, RED, TEXT2, TEXT3, TEXT = (0x5F, 0xD5, 0x97), (0xFF, 0x8A, 0x6B), (0x9D, 0xB0, 0xC1), (0x6F, 0x85, 0x99), (0xE9, 0xF0, 0xF6)
BLUE, BLUE_LIGHT = (0x2F, 0x82, 0xD6), (0x4A, 0x9A, 0xE8)


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


class Window:
    def __init__(self, env):
        self.env = env
        found = subprocess.run(["xdotool", "search", "--sync", "--name", "^Corvane Bridge$"], env=env,
                               capture_output=True, text=True, timeout=30)
        self.id = found.stdout.split()[0]

    def keys(self, *keys):
        subprocess.run(["xdotool", "windowfocus", "--sync", self.id], env=self.env, check=True)
        subprocess.run(["xdotool", "key", "--delay", "50", *keys], env=self.env, check=True)

    def type(self, text):
        subprocess.run(["xdotool", "type", "--delay", "50", text], env=self.env, check=True)

    def screenshot(self):
        """{(x, y): (r, g, b)} read from xwd's dump of the window."""
        data = subprocess.run(["xwd", "-id", self.id, "-silent"], env=self.env, capture_output=True, check=True).stdout
        field = struct.unpack(">25I", data[:100])
        size, width, height, order, bits, stride, ncolors = field[0], field[4], field[5], field[7], field[11], field[12], field[19]
        check(bits == 32, f"unexpected xwd pixel size {bits}")
        pixels = data[size + 12 * ncolors:]
        endian = "little" if order == 0 else "big"
        image = {}
        for y in range(height):
            for x in range(width):
                p = int.from_bytes(pixels[y * stride + 4 * x:y * stride + 4 * x + 4], endian)
                image[(x, y)] = ((p >> 16) & 255, (p >> 8) & 255, p & 255)
        return image

    def count(self, image, box, colour, tolerance=40):
        x0, y0, x1, y1 = box
        return sum(1 for x in range(x0, x1) for y in range(y0, y1) if near(image[(x, y)], colour, tolerance))

    def wait_for(self, what, predicate, timeout=15):
        deadline = time.monotonic() + timeout
        while True:
            image = self.screenshot()
            if predicate(image):
                return image
            if time.monotonic() > deadline:
                raise Failure(f"the window never showed {what}")
            time.sleep(0.5)


def near(a, b, tolerance=40):
    return all(abs(x - y) <= tolerance for x, y in zip(a, b))


def append(log, *payloads):
    with open(log, "a") as f:
        f.write("".join(f"[game] state @CRVN@ {json.dumps(p)}\n" for p in payloads))


def wait_for_settings(home, lines, timeout=10):
    """The settings file holding `lines`; Qt writes it from its event loop, soon after a change."""
    path = os.path.join(home, ".config/Corvane/Corvane Bridge.conf")
    deadline = time.monotonic() + timeout
    while not (os.path.exists(path) and all(line in open(path).read().split() for line in lines)):
        check(time.monotonic() < deadline, f"the settings never held {lines}")
        time.sleep(0.2)


def expect_upload(dashboard, payload, code="ABC123"):
    request = dashboard.next_request(timeout=15)
    check(request is not None, f"the dashboard received nothing; expected {payload}")
    body = json.loads(request[1])
    check(body == {"code": code, "source": "mac-bridge", "data": payload}, f"the dashboard received {body}")


def run(build, scratch):
    app_binary = os.path.join(build, "CorvaneBridge/corvane-bridge")
    home = sandbox.make_home(scratch, "player")
    now = time.time()
    older = sandbox.add_log(home, 111, now - 100)
    newer = sandbox.add_log(home, 222, now - 10)
    env = sandbox.app_environment(home)
    dashboard = sandbox.Dashboard(build)
    game = None
    app = subprocess.Popen([app_binary], env=env)
    try:
        window = Window(env)
        time.sleep(1)

        # The player types a lower-case code with a hyphen and turns sync on, with the keyboard.
        window.keys("Tab", "Tab")          # past "Launch game" into the link-code field
        window.type("ab-c123")
        window.keys("Tab", "space")        # on to the switch, and flip it
        wait_for_settings(home, ["linkCode=ABC123", "bridgeEnabled=true"])
        image = window.wait_for("a grey game dot and the launch button",
                                lambda i: near(i[GAME_DOT], TEXT3, 12) and window.count(i, LAUNCH_BUTTON, BLUE_LIGHT, 30) > 50)

        # The game starts after the bridge; the next tick sees it and follows the newest log.
        shutil.copy(os.path.join(build, "tests/fake_game"), os.path.join(scratch, "TransportFever3"))
        game = subprocess.Popen([os.path.join(scratch, "TransportFever3")])
        window.wait_for("the game running", lambda i: near(i[GAME_DOT], GREEN, 12)
                        and window.count(i, LAUNCH_BUTTON, BLUE_LIGHT, 30) == 0)
        time.sleep(0.5)
        append(older, {"balance": 1, "from": "the older account"})
        append(newer, {"balance": 2184350.4, "lines": 14, "seq": 1}, {"balance": 2184360.4, "lines": 15, "seq": 2})
        expect_upload(dashboard, {"balance": 2184360.4, "lines": 15, "seq": 2})
        live = window.wait_for("figures and a green status line",
                               lambda i: window.count(i, STATUS_LINE, GREEN) > 40 and window.count(i, LIVE_FIGURES, TEXT) > 100)

        # The dashboard refuses: its message in red.
        dashboard.stop()
        dashboard = sandbox.Dashboard(build, 403, '{"error":"Link code expired"}')
        append(newer, {"balance": 3, "seq": 3})
        expect_upload(dashboard, {"balance": 3, "seq": 3})
        refused = window.wait_for("a red status line", lambda i: window.count(i, STATUS_LINE, RED) > 40)

        # The dashboard is down: another red line; the next payload still arrives once it is back.
        dashboard.stop()
        append(newer, {"balance": 4, "seq": 4})
        down = window.wait_for("a different red status line",
                               lambda i: window.count(i, STATUS_LINE, RED) > 40
                               and any(i[p] != refused[p] for p in pixels(STATUS_LINE)))
        dashboard = sandbox.Dashboard(build)
        append(newer, {"balance": 5, "seq": 5})
        expect_upload(dashboard, {"balance": 5, "seq": 5})
        window.wait_for("green again", lambda i: window.count(i, STATUS_LINE, GREEN) > 40)
        del live, down

        # The game stops: grey dot, and "Launch game" is back.
        game.kill()
        game.wait()
        game = None
        window.wait_for("the game stopped", lambda i: near(i[GAME_DOT], TEXT3, 12)
                        and window.count(i, LAUNCH_BUTTON, BLUE_LIGHT, 30) > 50)

        # A restart keeps the code and the switch.
        app.terminate()
        app.wait()
        app = subprocess.Popen([app_binary], env=env)
        window = Window(env)
        wait_for_settings(home, ["linkCode=ABC123", "bridgeEnabled=true"])
        window.wait_for("the switch on and the code valid after a restart",
                        lambda i: near(i[SWITCH_TRACK], BLUE, 12) and window.count(i, STATUS_LINE, TEXT2) > 40)
    finally:
        app.kill()
        dashboard.stop()
        if game:
            game.kill()


def pixels(box):
    x0, y0, x1, y1 = box
    return [(x, y) for x in range(x0, x1) for y in range(y0, y1)]


def main():
    build = os.path.abspath(sys.argv[1])
    try:
        sandbox.enter([__file__, build])
    except sandbox.Unavailable as why:
        print(f"SKIP: {why}")
        return 77
    scratch = tempfile.mkdtemp(prefix="corvane-e2e-")
    xvfb = sandbox.prepare(build, scratch)
    try:
        run(build, scratch)
    except Failure as failure:
        print(f"FAIL: {failure}")
        return 1
    finally:
        sandbox.stop_x_server(xvfb)
        shutil.rmtree(scratch, ignore_errors=True)
    print("PASS: the shipped bridge, end to end")
    return 0


if __name__ == "__main__":
    sys.exit(main())
