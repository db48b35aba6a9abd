#!/usr/bin/env python3
"""Load benchmark of voq-make serve on 127.0.0.1: 1 and 8 concurrent clients
sending a 1-megapixel JPEG, for savers and for 5-second previews. Prints
requests per second, p50 and p99 latency, processor time per request
(the service and its jobs, including the preview's runtime), the statuses seen and the peak
memory of the service with its children, each against its bar; and, as the
peer, the same work done by the voq-make commands one process each.

usage: serve_bench.py VOQ_MAKE [--linux R] [--windows32 R] [--windows64 R]"""
import http.client
import os
import signal
import statistics
import subprocess
import sys
import tempfile
import threading
import time
import uuid

MB = 1 << 20
BARS = {"saver p50 1 client": 0.150, "preview p50 1 client": 0.400, "p99 8 clients": 2.0,
        "peak memory": 300 * MB}


def multipart(fields, filename, data):
    boundary = "voq" + uuid.uuid4().hex
    body = b"".join(f'--{boundary}\r\nContent-Disposition: form-data; name="{k}"\r\n\r\n{v}\r\n'.encode()
                    for k, v in fields.items())
    body += (f'--{boundary}\r\nContent-Disposition: form-data; name="picture"; filename="{filename}"\r\n'
             f"Content-Type: image/jpeg\r\n\r\n").encode() + data + f"\r\n--{boundary}--\r\n".encode()
    return body, "multipart/form-data; boundary=" + boundary


def percentile(values, p):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(round(p / 100 * (len(ordered) - 1))))]


def cpu_seconds(pid):
    """Processor time of pid and its reaped children (the jobs)."""
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return sum(int(v) for v in fields[11:15]) / os.sysconf("SC_CLK_TCK")


def tree_rss(root):
    """Resident bytes of root and all its descendants, from /proc."""
    parents, rss = {}, {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat") as f:
                fields = f.read().rsplit(")", 1)[1].split()
            parents[int(entry)] = int(fields[1])
            rss[int(entry)] = int(fields[21]) * os.sysconf("SC_PAGE_SIZE")
        except (OSError, IndexError, ValueError):
            continue
    total = 0
    for pid in rss:
        walk = pid
        while walk > 1 and walk != root:
            walk = parents.get(walk, 0)
        if walk == root:
            total += rss[pid]
    return total


class Sampler(threading.Thread):
    def __init__(self, pid):
        super().__init__(daemon=True)
        self.pid, self.peak, self.stop = pid, 0, threading.Event()

    def run(self):
        while not self.stop.is_set():
            self.peak = max(self.peak, tree_rss(self.pid))
            self.stop.wait(0.01)


def load(port, path, fields, jpeg, clients, per_client):
    body, content_type = multipart(fields, "photo.jpg", jpeg)
    results, lock = [], threading.Lock()

    def client():
        connection = http.client.HTTPConnection("127.0.0.1", port, timeout=60)
        for _ in range(per_client):
            start = time.monotonic()
            try:
                connection.request("POST", path, body=body, headers={"Content-Type": content_type})
                response = connection.getresponse()
                response.read()
                status = response.status
                if response.getheader("Connection") == "close":
                    connection.close()
            except (OSError, http.client.HTTPException) as error:
                status = type(error).__name__
                connection.close()
            with lock:
                results.append((status, time.monotonic() - start))
        connection.close()

    start = time.monotonic()
    threads = [threading.Thread(target=client) for _ in range(clients)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    return results, time.monotonic() - start


def timed(command):
    start = time.monotonic()
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL)
    return time.monotonic() - start


def main():
    voq_make, runtimes = sys.argv[1], sys.argv[2:]
    work = tempfile.mkdtemp(prefix="voq-serve-bench-")
    photo = os.path.join(work, "photo.jpg")
    subprocess.run(["convert", "-seed", "7", "-size", "1000x1000", "plasma:fractal", "-quality", "90", photo],
                   check=True)
    with open(photo, "rb") as f:
        jpeg = f.read()
    runtime_of = dict(zip(runtimes[0::2], runtimes[1::2]))

    # The service's TMPDIR in memory, as the README advises: the preview's
    # runtime writes every frame there.
    memory = "/dev/shm" if os.path.isdir("/dev/shm") and os.access("/dev/shm", os.W_OK) else None
    service_tmp = tempfile.mkdtemp(prefix="voq-serve-bench-tmp-", dir=memory)
    service = subprocess.Popen([voq_make, "serve", "--listen", "127.0.0.1:0"] + runtimes,
                               stdout=subprocess.PIPE, text=True, env=dict(os.environ, TMPDIR=service_tmp))
    port = int(service.stdout.readline().split("127.0.0.1:")[1].split("/")[0])
    sampler = Sampler(service.pid)
    sampler.start()
    print(f"voq-make serve (2 jobs at once, TMPDIR {service_tmp}) on a 1000 x 1000 JPEG of {len(jpeg)} bytes; "
          f"{os.cpu_count()} cores, load average {os.getloadavg()[0]:.1f} at the start")
    print(f"{'case':36} {'req/s':>7} {'p50 ms':>8} {'p99 ms':>8} {'cpu ms':>7}  statuses")
    figures = {}
    cases = [("saver", "/api/saver", {"target": "windows32"}, 1, 20), ("preview", "/api/preview", {"seconds": 5}, 1, 10),
             ("saver", "/api/saver", {"target": "windows32"}, 8, 8), ("preview", "/api/preview", {"seconds": 5}, 8, 4)]
    other_errors = 0
    for name, path, fields, clients, per_client in cases:
        cpu_before = cpu_seconds(service.pid)
        results, seconds = load(port, path, fields, jpeg, clients, per_client)
        cpu = (cpu_seconds(service.pid) - cpu_before) / max(1, len(results))
        made = [t for s, t in results if s == 200]
        statuses = {}
        for status, _ in results:
            statuses[status] = statuses.get(status, 0) + 1
        other_errors += sum(n for s, n in statuses.items() if s not in (200, 503))
        label = f"{name} {clients} client{'s' if clients > 1 else ''}"
        p50, p99 = percentile(made, 50) if made else float("inf"), percentile(made, 99) if made else float("inf")
        figures[label] = (p50, p99)
        print(f"{label:36} {len(made) / seconds:7.1f} {p50 * 1000:8.0f} {p99 * 1000:8.0f} {cpu * 1000:7.0f}  "
              + ", ".join(f"{s}: {n}" for s, n in sorted(statuses.items(), key=str)))
    service_hwm = 0
    with open(f"/proc/{service.pid}/status") as f:
        for line in f:
            if line.startswith("VmHWM:"):
                service_hwm = int(line.split()[1]) * 1024
    sampler.stop.set()
    sampler.join()
    service.send_signal(signal.SIGTERM)
    service.wait(timeout=30)
    left = os.listdir(service_tmp)
    os.rmdir(service_tmp) if not left else None

    # The peer: the same work as voq-make commands, a process each.
    saver = os.path.join(work, "photo.scr")
    build = [voq_make, "build", photo, "--output", saver, "--target", "windows32"]
    if "--windows32" in runtime_of:
        build += ["--runtime", runtime_of["--windows32"]]
    linux = os.path.join(work, "linux.scr")
    build_linux = [voq_make, "build", photo, "--output", linux] + (
        ["--runtime", runtime_of["--linux"]] if "--linux" in runtime_of else [])
    preview = [voq_make, "preview", linux, os.path.join(work, "show.gif")] + (
        ["--runtime", runtime_of["--linux"]] if "--linux" in runtime_of else [])
    cli_saver = statistics.median(timed(build) for _ in range(5))
    cli_preview = statistics.median(timed(build_linux) + timed(preview) for _ in range(3))

    print()
    print(f"peer, voq-make build as a command:           p50 {cli_saver * 1000:6.0f} ms; "
          f"service / command = {figures['saver 1 client'][0] / cli_saver:.2f}")
    print(f"peer, voq-make build + preview as commands:  p50 {cli_preview * 1000:6.0f} ms; "
          f"service / commands = {figures['preview 1 client'][0] / cli_preview:.2f}")
    print(f"peak memory: service and children together {sampler.peak / MB:.0f} MB (sampled every 10 ms), "
          f"service alone VmHWM {service_hwm / MB:.0f} MB")
    print(f"files left in the service's TMPDIR: {len(left)}")
    checks = [
        ("saver p50 with 1 client", figures["saver 1 client"][0], BARS["saver p50 1 client"], "s"),
        ("preview p50 with 1 client", figures["preview 1 client"][0], BARS["preview p50 1 client"], "s"),
        ("saver p99 with 8 clients", figures["saver 8 clients"][1], BARS["p99 8 clients"], "s"),
        ("preview p99 with 8 clients", figures["preview 8 clients"][1], BARS["p99 8 clients"], "s"),
        ("peak memory", sampler.peak, BARS["peak memory"], "B"),
        ("errors other than 503", other_errors, 0, ""),
    ]
    failed = False
    for what, value, bar, unit in checks:
        ok = value <= bar
        failed |= not ok
        shown = (f"{value * 1000:.0f} ms <= {bar * 1000:.0f} ms" if unit == "s" else
                 f"{value / MB:.0f} MB <= {bar / MB:.0f} MB" if unit == "B" else f"{value} <= {bar}")
        print(f"{'ok  ' if ok else 'OVER'} {what}: {shown}")
    return 1 if failed or left else 0


if __name__ == "__main__":
    sys.exit(main())
