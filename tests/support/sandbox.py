"""A private network and mount namespace in which corvane.app is this machine and the tests'
certificate authority is the only one trusted, so the shipped bridge reaches a local stand-in
dashboard through its ordinary name resolution and certificate checks. Needs root."""
import os
import queue
import select
import shutil
import subprocess
import sys
import threading


class Unavailable(Exception):
    pass


def enter(argv):
    """Runs this process again inside new network and mount namespaces (returns only inside)."""
    if os.environ.get("CORVANE_SANDBOX") == "1":
        return
    if not shutil.which("unshare"):
        raise Unavailable("the sandbox needs Linux namespaces (unshare)")
    if os.geteuid() != 0:
        raise Unavailable("the sandbox needs root for its network and mount namespaces")
    os.environ["CORVANE_SANDBOX"] = "1"
    os.execvp("unshare", ["unshare", "--net", "--mount", "--fork", sys.executable] + argv)


def prepare(build, scratch):
    """Loopback up, corvane.app → 127.0.0.1, only the test authority trusted, and an X server that
    DISPLAY names from here on. Returns the X server's process."""
    subprocess.run(["ip", "link", "set", "lo", "up"], check=True)
    hosts = os.path.join(scratch, "hosts")
    with open(hosts, "w") as f:
        f.write("127.0.0.1 localhost\n127.0.0.1 corvane.app\n")
    certs = os.path.join(scratch, "certs")
    os.mkdir(certs)
    shutil.copy(os.path.join(build, "tests/certs/ca.pem"), certs)
    subprocess.run(["openssl", "rehash", certs], check=True)
    subprocess.run(["mount", "--make-rprivate", "/"], check=True)
    # A minimal system may have neither; an empty one means the same, and gives the mounts a place.
    os.makedirs("/etc/ssl/certs", exist_ok=True)
    open("/etc/hosts", "a").close()
    subprocess.run(["mount", "--bind", hosts, "/etc/hosts"], check=True)
    subprocess.run(["mount", "--bind", certs, "/etc/ssl/certs"], check=True)
    # The X server's socket file stays in here too, so it can never replace one of the host's.
    os.makedirs("/tmp/.X11-unix", exist_ok=True)
    subprocess.run(["mount", "-t", "tmpfs", "-o", "mode=1777", "tmpfs", "/tmp/.X11-unix"], check=True)
    return start_x_server()


def start_x_server():
    """Xvfb picks a free display itself and names it once it accepts clients. A fixed number could
    meet a lock file left by a killed X server whose process number now belongs to another process."""
    ready, announce = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(announce), "-nolisten", "tcp",
                             "-screen", "0", "1280x1024x24"], pass_fds=(announce,), stderr=subprocess.DEVNULL)
    os.close(announce)
    with os.fdopen(ready) as numbers:
        if not select.select([numbers], [], [], 30)[0]:
            xvfb.kill()
            raise RuntimeError("Xvfb did not start")
        number = numbers.readline().strip()
    if not number:
        raise RuntimeError("Xvfb did not start")
    os.environ["DISPLAY"] = ":" + number
    return xvfb


def stop_x_server(xvfb):
    """Lets Xvfb close down cleanly rather than leave its files behind."""
    xvfb.terminate()
    try:
        xvfb.wait(timeout=10)
    except subprocess.TimeoutExpired:
        xvfb.kill()
        xvfb.wait()


class Dashboard:
    """tools/dashboard_standin on port 443: answers every upload with `status` and `body`."""

    def __init__(self, build, status=200, body='{"ok":true}'):
        self.process = subprocess.Popen([os.path.join(build, "tools/dashboard_standin"), "443", str(status), body],
                                        stdout=subprocess.PIPE, text=True)
        if not self.process.stdout.readline().startswith("listening"):
            raise RuntimeError("the stand-in dashboard did not start")
        # A reader of its own, because a line already buffered by readline() would never wake select().
        self.requests = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.process.stdout:
            _, at, body = line.rstrip("\n").split(" ", 2)
            self.requests.put((int(at), body))

    def next_request(self, timeout):
        """(arrival in ms since 1970, body) of the next upload, or None."""
        try:
            return self.requests.get(timeout=timeout)
        except queue.Empty:
            return None

    def stop(self):
        self.process.kill()
        self.process.wait()


def make_home(scratch, name, settings=None):
    """A home with a Steam folder and, given `settings`, the bridge's settings file."""
    home = os.path.join(scratch, name)
    os.makedirs(os.path.join(home, "run"), mode=0o700)
    if settings is not None:
        config = os.path.join(home, ".config/Corvane")
        os.makedirs(config)
        with open(os.path.join(config, "Corvane Bridge.conf"), "w") as f:
            f.write("[General]\n" + "".join(f"{k}={v}\n" for k, v in settings.items()))
    return home


def add_log(home, account, modified):
    log = os.path.join(home, f".local/share/Steam/userdata/{account}/3493540/local/crash_dump/stdout.txt")
    os.makedirs(os.path.dirname(log))
    open(log, "w").close()
    os.utime(log, (modified, modified))
    return log


def app_environment(home):
    return dict(os.environ, HOME=home, XDG_RUNTIME_DIR=os.path.join(home, "run"))
