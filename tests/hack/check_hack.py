#!/usr/bin/env python3
"""The saver as an XScreenSaver hack, on a private X server: in another
client's window, on the root window, at small and odd sizes, ended by
signals and by its window's end, and run by the real XScreenSaver daemon.

usage: check_hack.py VOQ_MAKE GIF   (exit 77 when a tool is missing)
"""
import ctypes
import os
import pwd
import shutil
import signal
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "wine"))
import shots  # noqa: E402

SCREEN = (1024, 768)
BLACK = (0, 0, 0)
failures = []


def fail(text):
    print("FAIL: " + text, flush=True)
    failures.append(text)


def note(text):
    print(text, flush=True)


def wait_until(seconds, condition):
    end = time.monotonic() + seconds
    while True:
        result = condition()
        if result or time.monotonic() > end:
            return result
        time.sleep(0.05)


class Screen:
    """A private Xvfb and the processes started on it, each ended by its pid."""

    def __init__(self, work):
        self.work = work
        self.started = []
        read, write = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write), "-screen", "0", "%dx%dx24" % SCREEN,
             "-nolisten", "tcp"], pass_fds=(write,), stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as f:
            number = f.readline().strip()
        if not number:
            sys.exit("Xvfb did not start")
        self.env = {k: v for k, v in os.environ.items()
                    if k not in ("SDL_VIDEODRIVER", "VOQ_FRAMES", "VOQ_CAPTURE_DIR",
                                 "XSCREENSAVER_WINDOW")}
        self.env["DISPLAY"] = ":" + number
        self.shots = 0
        if not wait_until(10, lambda: subprocess.run(
                ["xwininfo", "-root"], env=self.env, stdout=subprocess.DEVNULL,
                stderr=subprocess.DEVNULL).returncode == 0):
            sys.exit("Xvfb on :%s does not answer (%s)" % (
                number, "running" if self.xvfb.poll() is None else "ended"))

    def start(self, argv, **kw):
        process = subprocess.Popen(argv, env=kw.pop("env", self.env), stdout=subprocess.DEVNULL,
                                   stderr=kw.pop("stderr", subprocess.DEVNULL), **kw)
        self.started.append(process)
        return process

    def run(self, argv):
        return subprocess.run(argv, env=self.env, stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, text=True, timeout=30).stdout

    def shot(self):
        """The whole screen: (width, height, rgb bytes)."""
        self.shots += 1
        path = os.path.join(self.work, "shot%d.png" % self.shots)
        subprocess.run(["import", "-window", "root", path], env=self.env, check=True,
                       stderr=subprocess.DEVNULL, timeout=30)
        return shots.read_rgb(path)

    def close(self):
        for process in reversed(self.started):
            end(process)
        end(self.xvfb)


def end(process):
    if process.poll() is None:
        process.terminate()
        try:
            process.wait(5)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


def ended_within(process, seconds):
    """Exit code of process if it ends within seconds, else None; and the time taken."""
    start = time.monotonic()
    try:
        code = process.wait(seconds)
    except subprocess.TimeoutExpired:
        code = None
    return code, time.monotonic() - start


def region(shot, x, y, w, h):
    width, _, data = shot
    out = []
    for row in range(y, y + h):
        at = (row * width + x) * 3
        out.extend(tuple(data[i:i + 3]) for i in range(at, at + w * 3, 3))
    return out


def fit(w, h):
    """Where a 640 x 480 frame goes in a w x h window, aspect kept, centred."""
    if w * 480 > h * 640:
        fw, fh = h * 640 // 480, h
    else:
        fw, fh = w, w * 480 // 640
    return (w - fw) // 2, (h - fh) // 2, fw, fh


def frame_problem(shot, rect, colours):
    """Why rect of shot does not hold the whole frame scaled to fit (black bars
    beside it), or None."""
    x, y, w, h = rect
    fx, fy, fw, fh = fit(w, h)
    background, picture = colours[0], set(colours)
    inside = region(shot, x + fx, y + fy, fw, fh)
    strays = [p for p in inside if p not in picture]
    if strays:
        return "%d pixels of the frame in no colour of the picture (first %s)" % (
            len(strays), strays[0])
    if inside.count(background) * 2 <= len(inside):
        return "the background covers %d of %d pixels" % (inside.count(background), len(inside))
    # The frame reaches each edge of its place: the background is on all four.
    edges = [region(shot, x + fx, y + fy, fw, 1), region(shot, x + fx, y + fy + fh - 1, fw, 1),
             region(shot, x + fx, y + fy, 1, fh), region(shot, x + fx + fw - 1, y + fy, 1, fh)]
    if any(background not in edge for edge in edges):
        return "the frame does not reach every edge of %dx%d+%d+%d" % (fw, fh, fx, fy)
    bars = region(shot, x, y, fx, h) + region(shot, x + fx + fw, y, w - fx - fw, h) + \
        region(shot, x, y, w, fy) + region(shot, x, y + fy + fh, w, h - fy - fh)
    if any(p != BLACK for p in bars):
        return "the bars beside the frame are not black"
    return None


def outside_changes(before, after, rect):
    """Pixels outside rect that differ between two screenshots."""
    x, y, w, h = rect
    width, height, a = before
    b = after[2]
    count = 0
    for row in range(height):
        for col in range(width):
            if x <= col < x + w and y <= row < y + h:
                continue
            at = (row * width + col) * 3
            count += a[at:at + 3] != b[at:at + 3]
    return count


def geometry(screen, window):
    """(x, y, w, h, map state) of a window, from xwininfo."""
    info = {}
    for line in screen.run(["xwininfo", "-id", window]).splitlines():
        if ":" in line:
            key, value = line.split(":", 1)
            info[key.strip()] = value.strip()
    if "Width" not in info:
        return None
    return (int(info["Absolute upper-left X"]), int(info["Absolute upper-left Y"]),
            int(info["Width"]), int(info["Height"]), info["Map State"])


class CursorImage(ctypes.Structure):
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short), ("width", ctypes.c_ushort),
                ("height", ctypes.c_ushort), ("xhot", ctypes.c_ushort), ("yhot", ctypes.c_ushort),
                ("cursor_serial", ctypes.c_ulong), ("pixels", ctypes.POINTER(ctypes.c_ulong)),
                ("atom", ctypes.c_ulong), ("name", ctypes.c_char_p)]


def cursor_at_pointer(screen):
    """The cursor the server shows at the pointer: its size and its pixels."""
    xlib = ctypes.CDLL("libX11.so.6")
    xfixes = ctypes.CDLL("libXfixes.so.3")
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xfixes.XFixesGetCursorImage.restype = ctypes.POINTER(CursorImage)
    xfixes.XFixesGetCursorImage.argtypes = [ctypes.c_void_p]
    display = xlib.XOpenDisplay(screen.env["DISPLAY"].encode())
    image = xfixes.XFixesGetCursorImage(display).contents
    shape = (image.width, image.height,
             tuple(image.pixels[i] for i in range(image.width * image.height)))
    xlib.XCloseDisplay(ctypes.c_void_p(display))
    return shape


class SaverInfo(ctypes.Structure):
    _fields_ = [("window", ctypes.c_ulong), ("state", ctypes.c_int), ("kind", ctypes.c_int),
                ("til_or_since", ctypes.c_ulong), ("idle", ctypes.c_ulong),
                ("event_mask", ctypes.c_ulong)]


def case_power_saving(screen, saver, colours):
    """The show leaves the server's own blanking, and with it power saving, to
    come on as it would without it."""
    xlib = ctypes.CDLL("libX11.so.6")
    xss = ctypes.CDLL("libXss.so.1")
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XDefaultRootWindow.restype = ctypes.c_ulong
    xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    xss.XScreenSaverAllocInfo.restype = ctypes.POINTER(SaverInfo)
    xss.XScreenSaverQueryInfo.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_void_p]
    # Held open: the server forgets its settings when its last client leaves.
    display = ctypes.c_void_p(xlib.XOpenDisplay(screen.env["DISPLAY"].encode()))
    xlib.XSetScreenSaver(display, 1, 1, 0, 0)
    xlib.XSync(display, 0)
    show = screen.start([saver, "-root"])
    info = xss.XScreenSaverAllocInfo()
    def blanked():
        xss.XScreenSaverQueryInfo(display, xlib.XDefaultRootWindow(display), info)
        return info.contents.state == 1  # ScreenSaverOn
    if not wait_until(10, blanked):
        fail("-root kept the server's blanking off for 10 s (1 s timeout, no input)")
    end(show)
    xlib.XFree(info)
    xlib.XCloseDisplay(display)


def start_logo(screen, w, h):
    """xlogo at 40,50: (process, its top-level window, the drawing window inside it)."""
    logo = screen.start(["xlogo", "-geometry", "%dx%d+40+50" % (w, h)], stderr=None)
    def found():
        for line in screen.run(["xwininfo", "-root", "-children"]).splitlines():
            if '"xlogo"' in line:
                return line.split()[0]
        return None
    top = wait_until(10, found)
    if top is None:
        sys.exit("xlogo did not appear (%s)" % (
            "running" if logo.poll() is None else "exit code %s" % logo.returncode))
    children = screen.run(["xwininfo", "-id", top, "-children"]).splitlines()
    child = next(line.split()[0] for line in children if line.strip().startswith("0x"))
    wait_until(10, lambda: geometry(screen, child) and geometry(screen, child)[4] == "IsViewable")
    return logo, top, child


def show_problem(screen, rect, colours, seconds=10):
    """Waits for the whole frame in rect; the reason when it does not come."""
    problem = []
    def shown():
        problem[:] = [frame_problem(screen.shot(), rect, colours)]
        return problem[0] is None
    return None if wait_until(seconds, shown) else problem[0]


def frames_change(screen, rect):
    first = region(screen.shot(), *rect)
    return wait_until(10, lambda: region(screen.shot(), *rect) != first)


def case_given_window(screen, saver, colours):
    logo, top, child = start_logo(screen, 160, 120)
    before = screen.shot()
    states = {w: (geometry(screen, w), screen.run(["xprop", "-id", w])) for w in (top, child)}
    focus = screen.run(["xdotool", "getwindowfocus"])
    rect = geometry(screen, child)[:4]
    screen.run(["xdotool", "mousemove", str(rect[0] + 10), str(rect[1] + 10)])
    cursor = cursor_at_pointer(screen)
    show = screen.start([saver, "--window-id", child])
    problem = show_problem(screen, rect, colours)
    if problem:
        fail("--window-id, 160x120: " + problem)
    if screen.run(["xdotool", "getwindowfocus"]) != focus:
        fail("--window-id: the show took the input focus")
    if cursor_at_pointer(screen) != cursor:
        fail("--window-id: the show changed the window's cursor")
    elif not frames_change(screen, rect):
        fail("--window-id: the frames did not change for 10 s")
    changed = outside_changes(before, screen.shot(), rect)
    if changed:
        fail("--window-id: %d pixels changed outside the window" % changed)
    # Input on the window is XScreenSaver's business, not the show's.
    x, y = rect[0] + rect[2] // 2, rect[1] + rect[3] // 2
    screen.run(["xdotool", "mousemove", str(x), str(y), "click", "1", "mousemove", str(x + 50),
                str(y + 30), "key", "a", "key", "space"])
    if ended_within(show, 1)[0] is not None:
        fail("--window-id: the mouse or a key on the window ended the show")
    # Resized by its owner: the frame follows, scaled whole with black bars.
    for w, h in ((400, 200), (160, 200), (1000, 700)):
        screen.run(["xdotool", "windowsize", top, str(w), str(h)])
        if not wait_until(10, lambda: geometry(screen, child)[2:4] == (w, h)):
            fail("xlogo's window did not become %dx%d" % (w, h))
            continue
        problem = show_problem(screen, geometry(screen, child)[:4], colours)
        if problem:
            fail("--window-id, resized to %dx%d: %s" % (w, h, problem))
    screen.run(["xdotool", "windowsize", top, "160", "120"])
    wait_until(10, lambda: geometry(screen, child)[2:4] == (160, 120))
    show.send_signal(signal.SIGTERM)
    code, took = ended_within(show, 2)
    if code != 0:
        fail("--window-id: SIGTERM gave %s, not exit code 0 within 2 s" % code)
    note("--window-id: ended %d ms after SIGTERM" % (took * 1000))
    for w in (top, child):
        if (geometry(screen, w), screen.run(["xprop", "-id", w])) != states[w]:
            fail("--window-id: window %s was changed: %s" % (w, geometry(screen, w)))
    # Its window taken away: the show ends cleanly.
    show = screen.start([saver, "-window-id", str(int(child, 16))])
    if show_problem(screen, rect, colours):
        fail("-window-id in decimal: no show in the window")
    end(logo)
    code, took = ended_within(show, 2)
    if code != 0:
        fail("a destroyed window: %s, not exit code 0 within 2 s" % code)
    note("a destroyed window: ended after %d ms" % (took * 1000))


def case_root_and_signals(screen, saver, colours):
    missing = subprocess.run([saver, "--window-id", "0x7ffffff0"], env=screen.env, timeout=30,
                             stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    if missing.returncode != 1 or missing.stderr != "no window 0x7ffffff0 on the display\n":
        fail("a window that does not exist: exit code %d, %r" % (missing.returncode,
                                                                 missing.stderr))
    for sig in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
        show = screen.start([saver, "-root"])
        problem = show_problem(screen, (0, 0) + SCREEN, colours)
        if problem:
            fail("-root without XSCREENSAVER_WINDOW: " + problem)
        elif sig == signal.SIGTERM and not frames_change(screen, (0, 0) + SCREEN):
            fail("-root: the frames did not change for 10 s")
        show.send_signal(sig)
        code, took = ended_within(show, 2)
        if code != 0:
            fail("-root: %s gave %s, not exit code 0 within 2 s" % (sig.name, code))
        note("-root: ended %d ms after %s" % (took * 1000, sig.name))


def saver_processes(path):
    """Pids of processes running path."""
    pids = []
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                if os.readlink("/proc/%s/exe" % entry) == path:
                    pids.append(int(entry))
            except OSError:
                pass
    return sorted(pids)


def case_xscreensaver(screen, saver, colours):
    if shutil.which("xscreensaver") is None:
        note("xscreensaver is not installed; the daemon case is skipped")
        return "skipped"
    # XScreenSaver runs no hack as root: an unprivileged user with a home of its own.
    home = tempfile.mkdtemp(prefix="voq-hack-")
    user = ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"] \
        if os.getuid() == 0 else []
    own = os.path.join(home, "quill.scr")
    shutil.copy(saver, own)
    with open(os.path.join(home, ".xscreensaver"), "w") as f:
        f.write("mode: one\nselected: 0\ntimeout: 0:30:00\ncycle: 0:00:00\nlock: False\n"
                "fade: False\nunfade: False\nsplash: False\ndpmsEnabled: False\n"
                "programs: \\\n"
                "  \"Quill\" %s --root \\n\\\n"
                "  \"Quill again\" %s -root \\n\n" % (own, own))
    os.chmod(home, 0o755)
    if user:
        nobody = pwd.getpwnam("nobody")
        for path in (home, own, os.path.join(home, ".xscreensaver")):
            os.chown(path, nobody.pw_uid, nobody.pw_gid)
    env = dict(screen.env, HOME=home)
    log = open(os.path.join(screen.work, "xscreensaver.log"), "w")
    daemon = screen.start(user + ["xscreensaver", "-no-splash", "-verbose"], env=env, stderr=log,
                          cwd=home)
    def command(*args):
        return subprocess.run(user + ["xscreensaver-command"] + list(args), env=env,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              timeout=30).returncode == 0
    try:
        if not wait_until(20, lambda: command("-version")):
            log.flush()
            with open(log.name) as f:
                fail("the XScreenSaver daemon did not answer: " + " | ".join(f.read().splitlines()[-5:]))
            return
        command("-select", "1")
        first = wait_until(10, lambda: saver_processes(own))
        if not first:
            fail("-select 1 did not start the saver")
            return
        problem = show_problem(screen, (0, 0) + SCREEN, colours)
        if problem:
            fail("XScreenSaver's window: " + problem)
        elif not frames_change(screen, (0, 0) + SCREEN):
            fail("XScreenSaver's window: the frames did not change for 10 s")
        command("-select", "2")
        start = time.monotonic()
        if not wait_until(2, lambda: first[0] not in saver_processes(own)):
            fail("selecting another hack left the saver running for 2 s")
        note("another hack selected: the saver ended after %d ms" % (
            (time.monotonic() - start) * 1000))
        second = wait_until(10, lambda: saver_processes(own))
        if not second:
            fail("-select 2 did not start the saver")
        command("-deactivate")
        start = time.monotonic()
        if not wait_until(2, lambda: not saver_processes(own)):
            fail("-deactivate left the saver running for 2 s")
        note("deactivated: the saver ended after %d ms" % ((time.monotonic() - start) * 1000))
    finally:
        end(daemon)
        log.close()
        for pid in saver_processes(own):
            os.kill(pid, signal.SIGKILL)
            fail("a saver outlived the daemon")
        shutil.rmtree(home, ignore_errors=True)


def main(argv):
    if len(argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    for tool in ("Xvfb", "xlogo", "xdotool", "xwininfo", "xprop", "import"):
        if shutil.which(tool) is None:
            print("%s is missing" % tool)
            return 77
    voq_make, gif = argv
    # A saver of our own making, on the Linux runtime beside the tool; the
    # background and the key decide which colours may show.
    background, key = "12", "none"
    made = tempfile.mkdtemp(prefix="voq-hack-saver-")
    saver = os.path.join(made, "hack.scr")
    subprocess.run([voq_make, "build", "--picture", gif, "--output", saver, "--target", "linux",
                    "--background", background, "--key", key], check=True,
                   stdout=subprocess.DEVNULL)
    colours = [shots.parse_rgb(line) for line in subprocess.run(
        [sys.executable, os.path.join(HERE, "..", "wine", "shots.py"), "gif-colours", gif,
         background, key], check=True, stdout=subprocess.PIPE, text=True).stdout.split()]
    for case in (case_given_window, case_root_and_signals, case_power_saving, case_xscreensaver):
        work = tempfile.mkdtemp(prefix="voq-hack-shots-")
        screen = Screen(work)
        try:
            case(screen, saver, colours)
        finally:
            screen.close()
            shutil.rmtree(work, ignore_errors=True)
    shutil.rmtree(made, ignore_errors=True)
    print("hack mode: %d failed" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
