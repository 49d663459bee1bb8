# SPDX-FileCopyrightText: 2026 Corvane
#
# SPDX-License-Identifier: MIT

"""A private network, mount and PID namespace with a desktop of its own, in which corvane.app is
this machine and the tests' certificate authority is the only one trusted. The shipped bridge
reaches a local stand-in dashboard through its ordinary name resolution and certificate checks, sees
only the processes started here, and shows its window, tray icon and accessibility tree on a
private X server. Needs root; run with Debian's /usr/bin/python3 (its pyatspi)."""
import glob
import json
import os
import shutil
import subprocess
import sys
import time
from pathlib import Path

from gi.repository import Gio, GLib


class Unavailable(Exception):
    pass


def sh(*command, **options):
    """Runs a command that must succeed."""
    return subprocess.run(command, check=True, **options)


def background(command, **options):
    quiet = subprocess.DEVNULL
    return subprocess.Popen(command, stdout=quiet, stderr=quiet, **options)


def enter(argv):
    """Runs this process again inside new namespaces (returns only inside)."""
    if os.environ.get("CORVANE_SANDBOX") == "1":
        return
    if not shutil.which("unshare") or os.geteuid() != 0:
        raise Unavailable("the sandbox needs root and Linux namespaces (unshare)")
    os.environ["CORVANE_SANDBOX"] = "1"
    namespaces = ["--net", "--mount", "--pid", "--fork", "--mount-proc"]
    os.execvp("unshare", ["unshare", *namespaces, sys.executable, *argv])


def prepare(build, scratch):
    """Loopback up, corvane.app → 127.0.0.1, only the test authority trusted; then an X server with
    a window manager, a session bus with the accessibility bus, and a tray host (trayer, top right).
    """
    sh("ip", "link", "set", "lo", "up")
    hosts = Path(scratch, "hosts")
    hosts.write_text("127.0.0.1 localhost\n127.0.0.1 corvane.app\n")
    certs = os.path.join(scratch, "certs")
    os.mkdir(certs)
    shutil.copy(os.path.join(build, "tests/certs/ca.pem"), certs)
    sh("openssl", "rehash", certs)
    sh("mount", "--make-rprivate", "/")
    # A minimal system may have neither; an empty one means the same, and gives the mounts a place.
    os.makedirs("/etc/ssl/certs", exist_ok=True)
    open("/etc/hosts", "a").close()
    sh("mount", "--bind", hosts, "/etc/hosts")
    sh("mount", "--bind", certs, "/etc/ssl/certs")
    # The X server's socket stays in here too, so it can never replace one of the host's.
    os.makedirs("/tmp/.X11-unix", exist_ok=True)
    sh("mount", "-t", "tmpfs", "-o", "mode=1777", "tmpfs", "/tmp/.X11-unix")
    start_x_server()
    bus = sh("dbus-daemon", "--session", "--fork", "--print-address", stdout=subprocess.PIPE)
    os.environ["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.decode().strip()
    # The accessibility bus's socket in the scratch folder, where a root the bridge runs in sees it.
    os.mkdir(os.path.join(scratch, "run"), mode=0o700)
    background(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
               env=dict(os.environ, XDG_RUNTIME_DIR=os.path.join(scratch, "run")))
    background(["openbox"])
    background(["trayer", *"--edge top --align right --widthtype request --height 24".split()])
    time.sleep(1)


def start_x_server():
    """Xvfb picks a free display itself and names it once it accepts clients."""
    ready, announce = os.pipe()
    xvfb = ["Xvfb", "-displayfd", str(announce), "-nolisten", "tcp", "-screen", "0", "1280x1024x24"]
    subprocess.Popen(xvfb, pass_fds=(announce,), stderr=subprocess.DEVNULL)
    os.close(announce)
    with os.fdopen(ready) as display:  # at its end, should Xvfb fail
        os.environ["DISPLAY"] = ":" + display.readline().strip()


def click_tray_icon():
    """With no window of the bridge's shown, its tray icon in trayer's panel is the one shown."""
    find = ["xdotool", "search", "--onlyvisible", "--class", "Corvane Bridge"]
    icon = wait_for("the icon", lambda: subprocess.run(find, stdout=subprocess.PIPE).stdout.split())
    sh("xdotool", "mousemove", "--window", icon[0], "8", "8", "click", "1")


class Wayland:
    """sway, headless, on a 1920x1080 screen at 200 %, with a session bus of its own that root may
    read too; its windows read from sway's tree, its tray (waybar's, when started) over D-Bus.
    Everything on it runs as the player, nobody: sway refuses root."""
    player = {"user": 65534, "group": 65534, "extra_groups": []}

    def __init__(self, scratch):
        self.home = home = os.path.join(scratch, "wayland-player")
        os.makedirs(os.path.join(home, "run"), mode=0o700)
        Path(home, "waybar").write_text('{"modules-right": ["tray"]}')
        Path(home, "sway").write_text("output * mode 1920x1080 scale 2\n"
                                      "focus_on_window_activation focus\n")
        Path(home, "bus").write_text("<busconfig><include>/usr/share/dbus-1/session.conf</include>"
                                     '<policy context="default"><allow user="root"/></policy>'
                                     "</busconfig>")
        sh("chown", "-R", "65534:65534", home)
        os.chmod(scratch, 0o711)  # the player passes through to its home
        bus = f"unix:path={home}/run/bus"
        # An X server too, as XWayland offers one: the bridge must still choose Wayland.
        self.environment = {
            "DISPLAY": os.environ["DISPLAY"], "HOME": home, "PATH": "/usr/bin:/bin",
            "LANG": "C.UTF-8", "TMPDIR": home, "XDG_RUNTIME_DIR": home + "/run",
            "DBUS_SESSION_BUS_ADDRESS": bus, "ASAN_OPTIONS": app_environment(home)["ASAN_OPTIONS"],
            "WLR_BACKENDS": "headless", "WLR_RENDERER": "pixman", "WLR_LIBINPUT_NO_DEVICES": "1"}
        sh("dbus-daemon", f"--config-file={home}/bus", "--address", bus, "--fork", **self.player)
        self.start(["sway", "-c", os.path.join(home, "sway")])
        socket = wait_for("sway", lambda: glob.glob(home + "/run/wayland-[0-9]"))[0]
        self.environment.update(WAYLAND_DISPLAY=os.path.basename(socket),
                                SWAYSOCK=glob.glob(home + "/run/sway-ipc.*")[0])
        flags = Gio.DBusConnectionFlags
        self.bus = Gio.DBusConnection.new_for_address_sync(
            bus, flags.AUTHENTICATION_CLIENT | flags.MESSAGE_BUS_CONNECTION, None, None)

    def start(self, command):
        return background(command, env=self.environment, **self.player)

    def sway(self, *command):
        swaymsg = ["swaymsg", "-r", *command]
        return json.loads(subprocess.run(swaymsg, env=self.environment, capture_output=True).stdout)

    def windows(self):
        def walk(node):
            children = node["nodes"] + node["floating_nodes"]
            return ([node] if node.get("app_id") else []) + [w for n in children for w in walk(n)]
        return walk(self.sway("-t", "get_tree"))

    def call(self, service, path, method, signature, *arguments):
        interface, method = method.rsplit(".", 1)
        arguments = GLib.Variant(signature, arguments)
        return self.bus.call_sync(service, path, interface, method, arguments, None, 0, 5000,
                                  None).unpack()

    def tray(self):
        """The properties of the one icon in the tray, with its menu as {label: id}; none before."""
        watcher, properties = "org.kde.StatusNotifierWatcher", "org.freedesktop.DBus.Properties"
        try:
            [item] = self.call(watcher, "/StatusNotifierWatcher", properties + ".Get", "(ss)",
                               watcher, "RegisteredStatusNotifierItems")[0]
        except (GLib.Error, ValueError):  # no tray yet, or no icon in it
            return None
        service, path = item.split("/", 1)
        icon = self.call(service, "/" + path, properties + ".GetAll", "(s)",
                         "org.kde.StatusNotifierItem")[0]
        layout = self.call(service, icon["Menu"], "com.canonical.dbusmenu.GetLayout", "(iias)",
                           0, -1, [])[1]
        entries = [(id, entry) for id, entry, _ in layout[2] if "label" in entry]
        menu = {entry["label"]: id for id, entry in entries}
        hidden = [entry["label"] for _, entry in entries if not entry.get("visible", True)]
        return dict(icon, service=service, menu=menu, hidden=hidden)

    def choose(self, label):
        icon = self.tray()
        self.call(icon["service"], icon["Menu"], "com.canonical.dbusmenu.Event", "(isvu)",
                  icon["menu"][label], "clicked", GLib.Variant("s", ""), 0)


def wait_for(what, predicate, timeout=30):
    deadline = time.monotonic() + timeout
    while not (result := predicate()):
        assert time.monotonic() < deadline, f"never saw {what}"
        time.sleep(0.3)
    return result


class Dashboard:
    """The stand-in dashboard on port 443, accepting every upload."""

    def __init__(self, build, scratch):
        self.log = os.path.join(scratch, "dashboard.log")
        program = os.path.join(build, "tests/dashboard_standin")
        self.process = subprocess.Popen([program, "443"], stdout=open(self.log, "w"))
        wait_for("the dashboard", lambda: "listening" in open(self.log).read())

    def uploads(self):
        """[(arrival in ms since 1970, body)] of every upload so far."""
        lines = [line.rstrip("\n").split(" ", 2) for line in open(self.log)
                 if line.startswith("received ")]
        return [(int(at), body) for _, at, body in lines]


STEAM = ".local/share/Steam"
PROTON = STEAM + "/steamapps/compatdata/3493540/pfx/drive_c/Program Files (x86)/Steam/userdata"


def add_log(home, userdata=STEAM + "/userdata"):
    """An empty game log of account 1 in `userdata`."""
    log = os.path.join(home, userdata, "1/3493540/local/crash_dump/stdout.txt")
    os.makedirs(os.path.dirname(log))
    open(log, "w").close()
    return log


def app_environment(home, language="C.UTF-8"):
    # Leaks are for the unit tests to find, in process: at this multi-threaded program's exit in
    # the sandbox, LeakSanitizer's thread-stopping tracer itself crashes. No PATH: nothing opens
    # steam:// here. The temporary folder is the scratch folder, so a socket there goes with it.
    return dict(os.environ, HOME=home, PATH="/nonexistent", TMPDIR=os.path.dirname(home),
                XDG_RUNTIME_DIR=os.path.join(home, "run"), LANG=language, LC_ALL=language,
                QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                ASAN_OPTIONS=os.environ.get("ASAN_OPTIONS", "") + ":detect_leaks=0")
