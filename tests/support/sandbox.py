"""A private network, mount and PID namespace with a desktop of its own, in which corvane.app is this
machine and the tests' certificate authority is the only one trusted. The shipped bridge reaches a
local stand-in dashboard through its ordinary name resolution and certificate checks, sees only the
processes started here, and shows its window, tray icon and accessibility tree on a private X server.
Needs root; run with Debian's /usr/bin/python3 (its pyatspi)."""
import os
import select
import shutil
import subprocess
import sys
import time


class Unavailable(Exception):
    pass


def enter(argv):
    """Runs this process again inside new namespaces (returns only inside)."""
    if os.environ.get("CORVANE_SANDBOX") == "1":
        return
    if not shutil.which("unshare") or os.geteuid() != 0:
        raise Unavailable("the sandbox needs root and Linux namespaces (unshare)")
    os.environ["CORVANE_SANDBOX"] = "1"
    os.execvp("unshare", ["unshare", "--net", "--mount", "--pid", "--fork", "--mount-proc", sys.executable] + argv)


def prepare(build, scratch):
    """Loopback up, corvane.app → 127.0.0.1, only the test authority trusted; then an X server with a
    window manager, a session bus with the accessibility bus, and a tray host (trayer, top right)."""
    subprocess.run(["ip", "link", "set", "lo", "up"], check=True)
    with open(os.path.join(scratch, "hosts"), "w") as f:
        f.write("127.0.0.1 localhost\n127.0.0.1 corvane.app\n")
    certs = os.path.join(scratch, "certs")
    os.mkdir(certs)
    shutil.copy(os.path.join(build, "tests/certs/ca.pem"), certs)
    subprocess.run(["openssl", "rehash", certs], check=True)
    subprocess.run(["mount", "--make-rprivate", "/"], check=True)
    # A minimal system may have neither; an empty one means the same, and gives the mounts a place.
    os.makedirs("/etc/ssl/certs", exist_ok=True)
    open("/etc/hosts", "a").close()
    subprocess.run(["mount", "--bind", os.path.join(scratch, "hosts"), "/etc/hosts"], check=True)
    subprocess.run(["mount", "--bind", certs, "/etc/ssl/certs"], check=True)
    # The X server's socket stays in here too, so it can never replace one of the host's.
    os.makedirs("/tmp/.X11-unix", exist_ok=True)
    subprocess.run(["mount", "-t", "tmpfs", "-o", "mode=1777", "tmpfs", "/tmp/.X11-unix"], check=True)
    start_x_server()
    os.environ["DBUS_SESSION_BUS_ADDRESS"] = subprocess.run(["dbus-daemon", "--session", "--fork", "--print-address"],
                                                            capture_output=True, text=True, check=True).stdout.strip()
    background(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"])
    background(["openbox"])
    background(["trayer", "--edge", "top", "--align", "right", "--widthtype", "request", "--height", "24"])
    time.sleep(1)


def background(command):
    return subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def start_x_server():
    """Xvfb picks a free display itself and names it once it accepts clients."""
    ready, announce = os.pipe()
    subprocess.Popen(["Xvfb", "-displayfd", str(announce), "-nolisten", "tcp", "-screen", "0", "1280x1024x24"],
                     pass_fds=(announce,), stderr=subprocess.DEVNULL)
    os.close(announce)
    with os.fdopen(ready) as numbers:
        if not select.select([numbers], [], [], 30)[0]:
            raise RuntimeError("Xvfb did not start")
        os.environ["DISPLAY"] = ":" + numbers.readline().strip()


class Dashboard:
    """The stand-in dashboard on port 443, accepting every upload."""

    def __init__(self, build, scratch):
        self.log = os.path.join(scratch, "dashboard.log")
        self.process = subprocess.Popen([os.path.join(build, "tests/dashboard_standin"), "443"], stdout=open(self.log, "w"))
        while self.process.poll() is None and "listening" not in open(self.log).read():
            time.sleep(0.1)

    def uploads(self):
        """[(arrival in ms since 1970, body)] of every upload so far."""
        lines = [line.rstrip("\n").split(" ", 2) for line in open(self.log) if line.startswith("received ")]
        return [(int(at), body) for _, at, body in lines]


PROTON_USERDATA = ".local/share/Steam/steamapps/compatdata/3493540/pfx/drive_c/Program Files (x86)/Steam/userdata"


def add_log(home, userdata=".local/share/Steam/userdata"):
    """An empty game log of account 1 in `userdata`."""
    log = os.path.join(home, userdata, "1/3493540/local/crash_dump/stdout.txt")
    os.makedirs(os.path.dirname(log))
    open(log, "w").close()
    return log


def app_environment(home, language="C.UTF-8"):
    # Leaks are for the unit tests to find, in process: at this multi-threaded program's exit in the
    # sandbox, LeakSanitizer's thread-stopping tracer itself crashes. No PATH: nothing opens steam:// here.
    # The temporary folder is the scratch folder, so that a socket there goes with it.
    return dict(os.environ, HOME=home, PATH="/nonexistent", TMPDIR=os.path.dirname(home), XDG_RUNTIME_DIR=os.path.join(home, "run"), LANG=language, LC_ALL=language,
                QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", ASAN_OPTIONS=os.environ.get("ASAN_OPTIONS", "") + ":detect_leaks=0")
