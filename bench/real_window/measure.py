#!/usr/bin/python3
"""Times the real window as a user waits for it, under Xvfb with a window manager.

Each step is timed from the moment its input has gone through the X server
(XTest, on this script's own connection, followed by a round trip) until the
window has repainted the box the step changes (a DAMAGE report inside that
box) and then answers a _NET_WM_PING: the window manager's test of whether a
window still responds, answered by the program's GUI thread. A ping sent
before the repaint does not count, since the toolkit may answer it before it
has handled the input read in the same batch, and neither does the caret's
blink (a repaint one pixel wide). A button is timed from its release, since
it acts on release. Giving a box the focus is an untimed click inside it.
Beside each time stands the processor time the program took for the step
(/proc/PID/stat, in ticks of 10 ms) and its page faults: when another job
shares the processors, the time waited grows past the processor time.

For a plaintext of --mib MiB of GB18030 bytes, once as prose (Chinese with
ASCII, a line break every 42 characters) and once as one line without
spaces or line breaks, it runs a fresh program --runs times and prints the
median of each step beside the wanted figure: paste into 编辑框1, the key
pasted into 编辑框3, 加密, Ctrl+End / Ctrl+Home / Page Down in both boxes, a
key and a Backspace at both ends of both boxes, 解密 after 清除内容, Ctrl+End
straight after it, the idle processor time with the focus in each box, and
the peak memory of the round trip. It checks the ciphertext against
textcrypt-cli and that 解密 gives the text back, and saves one screenshot
after the first 加密 of the prose.

Not part of tools/test.sh: it takes minutes and wants a quiet machine.

Needs the Debian packages xvfb, openbox, xclip, python3-xlib, imagemagick
(for the screenshot) and, for --perf-step only, linux-perf; and the program
built:

    cmake --preset default && cmake --build --preset default --target textcrypt textcrypt-cli
    bench/real_window/measure.py                 # display :93, 16 MiB, 3 runs
    bench/real_window/measure.py --display :95 --mib 4 --runs 1 --texts prose
    bench/real_window/measure.py --perf-step encrypt --runs 1 --texts one_line

--perf-step NAME records that step with `perf record --call-graph dwarf` into
perf-NAME-TEXT.data in the output folder (--out, default
build/real_window). --json FILE writes every figure.
"""

import argparse
import json
import os
import select
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

from Xlib import X, XK, display
from Xlib.ext import damage, xtest
from Xlib.protocol import event as xevent

VERBOSE = False
REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
KEY = "密钥 key"
LINE = "这是一段用来测量速度的文本，含有 ASCII words and 数字 12345。\r\n"

# The window's controls in client-area coordinates (ui/main_window.cpp).
BOX1 = (16, 24, 936, 232)
BOX2 = (16, 296, 936, 240)
BOX3 = (280, 264, 296, 24)
ENCRYPT = (592, 264, 176, 24)
DECRYPT = (776, 264, 176, 24)
CLEAR1 = (88, 0, 72, 24)
CLIENT_SIZE = (968, 566)
CARET_WIDTH = 2

# Wanted figures, in seconds, per kind of step.
TARGETS = {"big": 1.0, "key": 0.05, "move": 0.1}

# (name, kind) in the order the round trip runs them.
STEPS = [
    ("paste1", "big"),
    ("key3", "key"),
    ("encrypt", "big"),
    ("ctrl_end2", "move"),
    ("ctrl_home2", "move"),
    ("page_down2", "move"),
    ("type_end2", "key"),
    ("backspace_end2", "key"),
    ("type_start2", "key"),
    ("backspace_start2", "key"),
    ("ctrl_end1", "move"),
    ("ctrl_home1", "move"),
    ("page_down1", "move"),
    ("type_end1", "key"),
    ("backspace_end1", "key"),
    ("type_start1", "key"),
    ("backspace_start1", "key"),
    ("decrypt", "big"),
    ("ctrl_end1_after_decrypt", "move"),
]


def plaintext(mib, one_line):
    """The text as bench/ui_window_bench.cpp makes it, with LF line breaks."""
    size = mib << 20
    line = LINE.encode("gb18030")
    data = (line * (size // len(line) + 1))[:size]
    while data and data[-1] >= 0x80:
        data = data[:-1]
    if one_line:
        data = data.replace(b"\r", b"").replace(b"\n", b"").replace(b" ", b"")
    return data.decode("gb18030").replace("\r\n", "\n")


def centre(rect):
    x, y, w, h = rect
    return x + w // 2, y + h // 2


def intersects(a, b):
    return a[0] < b[0] + b[2] and b[0] < a[0] + a[2] and a[1] < b[1] + b[3] and b[1] < a[1] + a[3]


class Session:
    """Xvfb and openbox on a display of our own, and the processes started on it."""

    def __init__(self, name):
        self.name = name
        self.env = dict(os.environ, DISPLAY=name)
        self.env.pop("WAYLAND_DISPLAY", None)
        self.processes = []

    def start(self):
        number = self.name.lstrip(":")
        if os.path.exists(f"/tmp/.X11-unix/X{number}"):
            sys.exit(f"display {self.name} is in use; pick another with --display")
        self.xvfb = self.spawn(["Xvfb", self.name, "-screen", "0", "1280x1024x24", "-nolisten", "tcp"])
        deadline = time.monotonic() + 10
        while not os.path.exists(f"/tmp/.X11-unix/X{number}"):
            if time.monotonic() > deadline or self.xvfb.poll() is not None:
                sys.exit("Xvfb did not start")
            time.sleep(0.05)
        time.sleep(0.2)
        self.spawn(["openbox", "--sm-disable"])
        time.sleep(0.5)

    def spawn(self, argv, **kwargs):
        process = subprocess.Popen(argv, env=kwargs.pop("env", self.env), **kwargs)
        self.processes.append(process)
        return process

    def stop(self, process, timeout=5):
        if process.poll() is None:
            process.terminate()
            try:
                process.wait(timeout)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
        if process in self.processes:
            self.processes.remove(process)

    def close(self):
        for process in reversed(list(self.processes)):
            self.stop(process)


class Clipboard:
    """The CLIPBOARD, owned by one xclip process at a time."""

    def __init__(self, session, folder):
        self.session = session
        self.folder = folder
        self.owner = None

    def put(self, text):
        path = os.path.join(self.folder, "clipboard.txt")
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)
        if self.owner:
            self.session.stop(self.owner)
        self.owner = self.session.spawn(
            ["xclip", "-quiet", "-selection", "clipboard", "-t", "UTF8_STRING", "-i", path],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(0.3)  # until xclip owns the selection

    def get(self):
        if self.owner:  # the window owns it now
            self.session.stop(self.owner)
            self.owner = None
        result = subprocess.run(
            ["xclip", "-o", "-selection", "clipboard", "-t", "UTF8_STRING"],
            env=self.session.env, capture_output=True, timeout=120, check=True)
        return result.stdout.decode("utf-8")


class Window:
    """The program's top-level window, driven and watched through the X server."""

    def __init__(self, session, pid):
        self.pid = pid
        self.disp = display.Display(session.name)
        self.root = self.disp.screen().root
        self.atom = self.disp.intern_atom
        self.window = self.find(pid)
        origin = self.root.translate_coords(self.window, 0, 0)
        self.origin = (origin.x, origin.y)
        geometry = self.window.get_geometry()
        if (geometry.width, geometry.height) != CLIENT_SIZE:
            print(f"warning: client area {geometry.width} x {geometry.height}", file=sys.stderr)
        # Pongs are sent to the root window for the window manager.
        self.root.change_attributes(event_mask=X.SubstructureNotifyMask | X.StructureNotifyMask)
        if not self.disp.has_extension("DAMAGE"):
            sys.exit("the X server has no DAMAGE extension")
        self.disp.damage_query_version()
        self.damage = self.window.damage_create(damage.DamageReportRawRectangles)
        self.damage_event = self.disp.extension_event.DamageNotify
        self.next_ping = 0x70000000
        self.pongs = {}
        self.damaged = []  # (time, rectangle)
        self.disp.sync()

    def find(self, pid, timeout=20):
        client_list = self.atom("_NET_CLIENT_LIST")
        wm_pid = self.atom("_NET_WM_PID")
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            windows = self.root.get_full_property(client_list, X.AnyPropertyType)
            for wid in windows.value if windows else []:
                window = self.disp.create_resource_object("window", wid)
                prop = window.get_full_property(wm_pid, X.AnyPropertyType)
                if prop and prop.value and prop.value[0] == pid:
                    return window
            time.sleep(0.1)
        sys.exit("the program's window did not appear")

    # Events.

    def pump(self, timeout):
        """Reads what has arrived, waiting at most timeout seconds for it."""
        if not self.disp.pending_events():
            ready, _, _ = select.select([self.disp.fileno()], [], [], max(timeout, 0))
            if not ready:
                return
        while True:
            count = self.disp.pending_events()
            if not count:
                return
            for _ in range(count):
                self.handle(self.disp.next_event())

    def handle(self, e):
        now = time.monotonic()
        if e.type == self.damage_event:
            a = e.area
            self.damaged.append((now, (a.x, a.y, a.width, a.height)))
        elif e.type == X.ClientMessage and e.client_type == self.atom("WM_PROTOCOLS"):
            data = e.data[1]
            if data[0] == self.atom("_NET_WM_PING") and data[2] == self.window.id:
                self.pongs[data[1]] = now

    def ping(self):
        """Sends a ping and returns its id."""
        self.next_ping += 1
        message = xevent.ClientMessage(
            window=self.window, client_type=self.atom("WM_PROTOCOLS"),
            data=(32, [self.atom("_NET_WM_PING"), self.next_ping, self.window.id, 0, 0]))
        self.window.send_event(message, event_mask=X.NoEventMask)
        self.disp.flush()
        return self.next_ping

    def wait_pong(self, ping_id, timeout=120):
        deadline = time.monotonic() + timeout
        while ping_id not in self.pongs:
            if time.monotonic() > deadline:
                raise TimeoutError("the window did not answer its ping")
            self.pump(deadline - time.monotonic())
        return self.pongs.pop(ping_id)

    def damage_in(self, rect, since, wider_than):
        for t, area in self.damaged:
            if t >= since and area[2] > wider_than and intersects(area, rect):
                return t
        return None

    def answer(self, rect, since, wider_than=CARET_WIDTH, timeout=120):
        """The time at which the window has repainted rect after since and then answered a ping.

        The caret's blink repaints a rectangle one pixel wide, which is not a
        step's repaint: by default only wider repaints count."""
        deadline = time.monotonic() + timeout
        while True:
            sent = time.monotonic()
            answered = self.wait_pong(self.ping(), timeout)
            painted = self.damage_in(rect, since, wider_than)
            if painted is not None and painted <= sent:
                return answered
            while self.damage_in(rect, since, wider_than) is None:
                if time.monotonic() > deadline:
                    raise TimeoutError(f"no repaint inside {rect}")
                self.pump(deadline - time.monotonic())

    def settle(self, rect=None, quiet=0.05):
        """Waits until the window answers (and has repainted rect, if given), then drops old events."""
        start = time.monotonic()
        if rect:
            self.answer(rect, start, wider_than=0)
        else:
            self.wait_pong(self.ping())
        self.pump(quiet)
        self.damaged.clear()

    # Input, through XTest.

    def keycode(self, name):
        return self.disp.keysym_to_keycode(XK.string_to_keysym(name))

    def key(self, name, *modifiers):
        for m in modifiers:
            xtest.fake_input(self.disp, X.KeyPress, self.keycode(m))
        xtest.fake_input(self.disp, X.KeyPress, self.keycode(name))
        xtest.fake_input(self.disp, X.KeyRelease, self.keycode(name))
        for m in reversed(modifiers):
            xtest.fake_input(self.disp, X.KeyRelease, self.keycode(m))

    def move(self, point):
        x, y = point
        xtest.fake_input(self.disp, X.MotionNotify, x=self.origin[0] + x, y=self.origin[1] + y)

    def press(self, point):
        self.move(point)
        xtest.fake_input(self.disp, X.ButtonPress, 1)

    def release(self):
        xtest.fake_input(self.disp, X.ButtonRelease, 1)

    def click(self, point, rect=None):
        """An untimed click, waited for."""
        self.press(point)
        self.release()
        self.disp.sync()
        self.settle(rect)

    def timed(self, inject, rect):
        """Seconds from the delivery of inject's input until rect is repainted and the window answers."""
        self.pump(0)
        self.damaged.clear()
        inject()
        self.disp.sync()  # the server has taken the input and queued it for the window
        start = time.monotonic()
        end = self.answer(rect, start)
        if VERBOSE:
            print("    damage:", [(round((t - start) * 1000, 1), a) for t, a in self.damaged if t >= start])
        self.pump(0.02)
        self.damaged.clear()
        return end - start

    def timed_click(self, point, rect):
        """A click timed from its release: a button acts on release."""
        self.press(point)
        self.disp.sync()
        self.settle()
        return self.timed(self.release, rect)


def proc_field(pid, name):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith(name + ":"):
                return int(line.split()[1])
    raise KeyError(name)


def proc_stat(pid):
    with open(f"/proc/{pid}/stat") as f:
        return f.read().rsplit(")", 1)[1].split()


def cpu_seconds(pid):
    fields = proc_stat(pid)
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def minor_faults(pid):
    return int(proc_stat(pid)[7])


def idle_percent(pid, seconds):
    before = cpu_seconds(pid)
    time.sleep(seconds)
    return 100 * (cpu_seconds(pid) - before) / seconds


def without_whitespace(text):
    return "".join(text.split())


class Run:
    def __init__(self, args, session, clipboard, text_name, text, expected_cipher, run_index):
        self.args = args
        self.session = session
        self.clipboard = clipboard
        self.text_name = text_name
        self.text = text
        self.expected_cipher = expected_cipher
        self.run_index = run_index
        self.figures = {}
        self.cpu = {}
        self.faults = {}
        self.checks = {}

    def step(self, name, action):
        perf = None
        if name in (self.args.perf_step or "").split(","):
            path = os.path.join(self.args.out, f"perf-{name}-{self.text_name}.data")
            perf = subprocess.Popen(["perf", "record", "--call-graph", self.args.perf_call_graph,
                                     "-o", path, "-p", str(self.pid)],
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            time.sleep(1.0)
        cpu, faults = cpu_seconds(self.pid), minor_faults(self.pid)
        self.figures[name] = action()
        # The processor time the program took, beside the time waited: on a
        # busy machine the two part.
        self.cpu[name] = cpu_seconds(self.pid) - cpu
        self.faults[name] = minor_faults(self.pid) - faults
        if perf:
            perf.send_signal(signal.SIGINT)
            perf.wait()
        print(f"  {name:26s} {self.figures[name] * 1000:9.1f} ms   processor {self.cpu[name] * 1000:6.0f} ms,"
              f" {self.faults[name]:6d} page faults", flush=True)

    def run(self):
        app = self.session.spawn([self.args.binary], env=dict(self.session.env, QT_QPA_PLATFORM="xcb"))
        self.pid = app.pid
        try:
            w = Window(self.session, app.pid)
            time.sleep(0.5)
            w.settle()
            self.round_trip(w)
        finally:
            self.session.stop(app)

    def round_trip(self, w):
        self.load = os.getloadavg()[0]
        print(f"{self.text_name}, run {self.run_index + 1} (load average {self.load:.2f})", flush=True)
        self.clipboard.put(self.text)
        w.click(centre(BOX1), BOX1)
        self.step("paste1", lambda: w.timed(lambda: w.key("v", "Control_L"), BOX1))
        self.clipboard.put(KEY)
        w.click(centre(BOX3), BOX3)
        self.step("key3", lambda: w.timed(lambda: w.key("v", "Control_L"), BOX3))
        self.step("encrypt", lambda: w.timed_click(centre(ENCRYPT), BOX2))
        if self.text_name == "prose" and self.run_index == 0:
            shot = os.path.join(self.args.out, "after-encrypt-prose.png")
            subprocess.run(["import", "-window", "root", shot], env=self.session.env, check=False)
            print(f"  screenshot: {shot}")

        inside2 = (BOX2[0] + 8, BOX2[1] + 8)
        for box, rect, inside in (("2", BOX2, inside2), ("1", BOX1, (BOX1[0] + 8, BOX1[1] + 8))):
            w.click(inside, rect)
            for name, keys in (("ctrl_end", ("End", "Control_L")), ("ctrl_home", ("Home", "Control_L")),
                               ("page_down", ("Next",))):
                self.step(name + box, lambda keys=keys: w.timed(lambda: w.key(*keys), rect))
            for where, keys in (("end", ("End", "Control_L")), ("start", ("Home", "Control_L"))):
                w.key(*keys)
                w.disp.sync()
                w.settle(rect)
                self.step(f"type_{where}{box}", lambda: w.timed(lambda: w.key("a"), rect))
                self.step(f"backspace_{where}{box}", lambda: w.timed(lambda: w.key("BackSpace"), rect))

        time.sleep(2)  # past the wrapping ahead that follows a change
        self.figures["idle1_percent"] = idle_percent(self.pid, self.args.idle_seconds)
        print(f"  idle, focus in 编辑框1       {self.figures['idle1_percent']:9.2f} % of a core")

        w.click(CLEAR_CENTRE, BOX1)
        self.step("decrypt", lambda: w.timed_click(centre(DECRYPT), BOX1))
        # Straight after: the click that gives 编辑框1 the focus, then Ctrl+End.
        w.click((BOX1[0] + 8, BOX1[1] + 8), BOX1)
        self.step("ctrl_end1_after_decrypt",
                  lambda: w.timed(lambda: w.key("End", "Control_L"), BOX1))
        self.figures["peak_MB"] = proc_field(self.pid, "VmHWM") * 1024 / 1e6
        print(f"  peak (VmHWM)               {self.figures['peak_MB']:9.1f} MB")

        w.click(inside2, BOX2)
        time.sleep(2)
        self.figures["idle2_percent"] = idle_percent(self.pid, self.args.idle_seconds)
        print(f"  idle, focus in 编辑框2       {self.figures['idle2_percent']:9.2f} % of a core")

        # The checks, after the figures: copying adds to the memory.
        w.key("a", "Control_L")
        w.key("c", "Control_L")
        w.disp.sync()
        w.settle()
        cipher = without_whitespace(self.clipboard.get())
        self.checks["ciphertext_matches_cli"] = cipher == self.expected_cipher
        w.click((BOX1[0] + 8, BOX1[1] + 8), BOX1)
        w.key("a", "Control_L")
        w.key("c", "Control_L")
        w.disp.sync()
        w.settle()
        back = self.clipboard.get().replace("\r\n", "\n")
        self.checks["decrypt_gives_text_back"] = back == self.text
        for name, ok in self.checks.items():
            print(f"  {name}: {'yes' if ok else 'NO'}")


CLEAR_CENTRE = centre(CLEAR1)


def cli_ciphertext(cli, text, folder):
    path = os.path.join(folder, "plaintext.txt")
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write(text)
    result = subprocess.run([cli, "encrypt", "--key", KEY, path], capture_output=True, check=True,
                            env=dict(os.environ, LC_ALL="C.UTF-8"))
    return without_whitespace(result.stdout.decode("ascii"))


def table(results, texts):
    """Medians, every run in brackets; for each step also the processor time the program took."""
    rows = ["| step | " + " | ".join(f"{t} | {t}, processor" for t in texts) + " | wanted |",
            "|---|" + "---|---|" * len(texts) + "---|"]

    def cell(values, scale, unit, digits):
        runs = ", ".join(f"{v * scale:.{digits}f}" for v in values)
        return f"{statistics.median(values) * scale:.{digits}f} {unit} ({runs})"

    for name, kind in STEPS:
        cells = []
        for t in texts:
            cells.append(cell([r["figures"][name] for r in results[t]], 1000, "ms", 0))
            cells.append(cell([r["cpu"][name] for r in results[t]], 1000, "ms", 0))
        rows.append(f"| {name} | " + " | ".join(cells) + f" | <= {TARGETS[kind] * 1000:.0f} ms |")
    for name, unit, wanted in (("idle1_percent", "%", "<= 1 %"), ("idle2_percent", "%", "<= 1 %"),
                               ("peak_MB", "MB", "<= 300 MB")):
        cells = []
        for t in texts:
            cells += [cell([r["figures"][name] for r in results[t]], 1, unit, 1), ""]
        rows.append(f"| {name} | " + " | ".join(cells) + f" | {wanted} |")
    loads = {t: ", ".join(f"{r['load']:.1f}" for r in results[t]) for t in texts}
    rows.append("| load average at the start | " + " | ".join(f"{loads[t]} | " for t in texts) + " |")
    return "\n".join(rows)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--display", default=":93")
    parser.add_argument("--mib", type=int, default=16)
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--texts", default="prose,one_line")
    parser.add_argument("--binary", default=os.path.join(REPO, "build/default/ui/textcrypt"))
    parser.add_argument("--cli", default=os.path.join(REPO, "build/default/cli/textcrypt-cli"))
    parser.add_argument("--out", default=os.path.join(REPO, "build/real_window"))
    parser.add_argument("--idle-seconds", type=float, default=10)
    parser.add_argument("--perf-step", help="record these steps (NAME,NAME) with perf")
    parser.add_argument("--perf-call-graph", default="dwarf",
                        help="perf's --call-graph: dwarf (default) or fp")
    parser.add_argument("--json", help="write every figure to this file")
    parser.add_argument("--verbose", action="store_true", help="print the repaints of each step")
    args = parser.parse_args()
    global VERBOSE
    VERBOSE = args.verbose
    for tool in ("Xvfb", "openbox", "xclip", "import"):
        if not shutil.which(tool):
            sys.exit(f"{tool} is missing: apt-get install xvfb openbox xclip imagemagick")
    os.makedirs(args.out, exist_ok=True)
    texts = args.texts.split(",")

    session = Session(args.display)
    results = {}
    checks = {}
    with tempfile.TemporaryDirectory() as folder:
        session.start()
        clipboard = Clipboard(session, folder)
        try:
            for text_name in texts:
                text = plaintext(args.mib, text_name == "one_line")
                expected = cli_ciphertext(args.cli, text, folder)
                results[text_name] = []
                for i in range(args.runs):
                    run = Run(args, session, clipboard, text_name, text, expected, i)
                    run.run()
                    results[text_name].append({"figures": run.figures, "cpu": run.cpu,
                                               "faults": run.faults, "load": run.load})
                    checks.setdefault(text_name, []).append(run.checks)
        finally:
            session.close()

    print()
    print(f"{args.mib} MiB, medians of {args.runs} (every run in brackets):")
    print(table(results, texts))
    ok = all(all(c.values()) for runs in checks.values() for c in runs)
    print("checks:", "all passed" if ok else json.dumps(checks))
    if args.json:
        with open(args.json, "w") as f:
            json.dump({"mib": args.mib, "results": results, "checks": checks}, f, indent=1)
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
