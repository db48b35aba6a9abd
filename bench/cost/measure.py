"""The running cost of one case on the X server named by DISPLAY: CPU time of
the process and of the X server (XVFB_PID) over a run, read from /proc and
from the process's own resource use, and the frames it presented.

  measure.py saver LABEL SECONDS RESULTS SAVER ARGS...   runs the saver for
      SECONDS worth of frames at the display's rate (VOQ_FRAMES), reading the
      frames from its VOQ_FRAME_REPORT line
  measure.py hack LABEL SECONDS RESULTS PROGRAM ARGS...  runs an X program for
      SECONDS, then ends it
  measure.py summary RESULTS                             prints the table
"""
import json
import os
import re
import signal
import subprocess
import sys
import time

TICKS = os.sysconf("SC_CLK_TCK")
RATE = 60


def cpu_seconds(pid):
    # utime and stime are fields 14 and 15; the name in parentheses may hold spaces.
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS


def run_saver(seconds, command):
    env = dict(os.environ, VOQ_FRAMES=str(int(seconds * RATE)), VOQ_FRAME_REPORT="1")
    env.pop("VOQ_CAPTURE_DIR", None)
    xvfb = int(os.environ["XVFB_PID"])
    x_before, start = cpu_seconds(xvfb), time.monotonic()
    process = subprocess.Popen(command, env=env, stderr=subprocess.PIPE, text=True)
    _, status, usage = os.wait4(process.pid, 0)
    wall = time.monotonic() - start
    x_cpu = cpu_seconds(xvfb) - x_before
    process.returncode = os.waitstatus_to_exitcode(status)
    report = process.stderr.read()
    found = re.search(r"voq: (\d+) frames presented in (\d+) us", report)
    if process.returncode != 0:
        sys.exit(f"{command[0]} ended with {process.returncode}:\n{report}")
    if found:
        frames, micros = int(found.group(1)), int(found.group(2))
        fps = (frames - 1) * 1e6 / micros if micros > 0 else 0.0
    else:
        # A runtime without the report: its frames over the whole run, start-up included.
        fps = int(env["VOQ_FRAMES"]) / wall
    return usage.ru_utime + usage.ru_stime, x_cpu, wall, fps


def run_hack(seconds, command):
    xvfb = int(os.environ["XVFB_PID"])
    x_before, start = cpu_seconds(xvfb), time.monotonic()
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(seconds)  # the measured span itself, not a wait for anything
    cpu, x_cpu, wall = cpu_seconds(process.pid), cpu_seconds(xvfb) - x_before, time.monotonic() - start
    process.send_signal(signal.SIGTERM)
    process.wait()
    return cpu, x_cpu, wall, None


def summary(path):
    with open(path) as f:
        runs = [json.loads(line) for line in f]
    # (label, bar on the total in % of one core, fewest frames a second)
    bars = {"sample /s 1920x1080": (5.0, 58), "50 keyed /s 1920x1080": (15.0, None),
            "sample /s 3840x2160": (12.0, None), "sample ws 1920x1080": (2.5, None)}
    rocks = {r["screen"]: r["total"] for r in runs if r["label"].startswith("rocks")}
    print(f"{'case':28} {'process %':>9} {'X %':>6} {'total %':>8} {'fps':>6} {'x rocks':>8}  bar")
    met = True
    for r in runs:
        fps = f"{r['fps']:.1f}" if r["fps"] is not None else "-"
        base = rocks.get(r["screen"])
        ratio = f"{r['total'] / base:.1f}" if base else "-"
        bar = bars.get(r["label"])
        verdict = ""
        if bar:
            ok = r["total"] <= bar[0] and (bar[1] is None or (r["fps"] or 0) >= bar[1])
            met &= ok
            verdict = f"<= {bar[0]}%" + (f" at >= {bar[1]} fps" if bar[1] else "") + (" met" if ok else " MISSED")
        print(f"{r['label']:28} {r['process']:9.1f} {r['x']:6.1f} {r['total']:8.1f} {fps:>6} {ratio:>8}  {verdict}")
    print("all bars met" if met else "some bars missed")
    return 0 if met else 1


def main(argv):
    if argv[1] == "summary":
        return summary(argv[2])
    kind, label, seconds, results, command = argv[1], argv[2], float(argv[3]), argv[4], argv[5:]
    cpu, x_cpu, wall, fps = (run_saver if kind == "saver" else run_hack)(seconds, command)
    screen = label.rsplit(" ", 1)[1]
    run = {"label": label, "screen": screen, "process": 100 * cpu / wall, "x": 100 * x_cpu / wall,
           "total": 100 * (cpu + x_cpu) / wall, "fps": fps}
    with open(results, "a") as f:
        f.write(json.dumps(run) + "\n")
    print(f"{label}: {run['total']:.1f}% of a core" + (f", {fps:.1f} fps" if fps else ""), flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
