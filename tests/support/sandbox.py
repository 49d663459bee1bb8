"""A private network and mount namespace in which corvane.app is this machine and the tests'
certificate authority is the only one trusted, so the shipped bridge reaches a local stand-in
dashboard through its ordinary name resolution and certificate checks. Needs root."""
import os
import shutil
import subprocess
import sys
import time


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


def prepare(build, scratch, display):
    """Loopback up, corvane.app → 127.0.0.1, only the test authority trusted, an X server on `display`."""
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
    xvfb = subprocess.Popen(["Xvfb", display, "-nolisten", "tcp", "-screen", "0", "1280x1024x24"],
                            stderr=subprocess.DEVNULL)
    deadline = time.monotonic() + 10
    while subprocess.run(["xdpyinfo", "-display", display], capture_output=True).returncode != 0:
        if time.monotonic() > deadline:
            raise RuntimeError("Xvfb did not start")
        time.sleep(0.1)
    return xvfb


class Dashboard:
    """tools/dashboard_standin on port 443: answers every upload with `status` and `body`."""

    def __init__(self, build, status=200, body='{"ok":true}'):
        self.process = subprocess.Popen([os.path.join(build, "tools/dashboard_standin"), "443", str(status), body],
                                        stdout=subprocess.PIPE, text=True)
        if not self.process.stdout.readline().startswith("listening"):
            raise RuntimeError("the stand-in dashboard did not start")

    def next_request(self, timeout):
        """(arrival in ms since 1970, body) of the next upload, or None."""
        import select
        ready, _, _ = select.select([self.process.stdout], [], [], timeout)
        if not ready:
            return None
        _, at, body = self.process.stdout.readline().rstrip("\n").split(" ", 2)
        return int(at), body

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


def app_environment(home, display):
    return dict(os.environ, DISPLAY=display, HOME=home, XDG_RUNTIME_DIR=os.path.join(home, "run"))
