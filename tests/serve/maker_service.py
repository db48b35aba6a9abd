"""Starts `voq-make serve` on a free loopback port with a TMPDIR of its own,
and speaks HTTP to it: whole requests, and raw sockets for hostile ones."""
import http.client
import os
import select
import signal
import subprocess
import tempfile
import time
import uuid

VOQ_MAKE = os.environ["VOQ_MAKE"]
RUNTIMES = {t: os.environ.get("VOQ_RUNTIME_" + t.upper(), "") for t in ("linux", "windows32", "windows64")}


class Service:
    def __init__(self, jobs=2, extra=()):
        self.tmp = tempfile.mkdtemp(prefix="voq-serve-tmp-")
        args = [VOQ_MAKE, "serve", "--listen", "127.0.0.1:0", "--jobs", str(jobs)]
        for target, path in RUNTIMES.items():
            if path:
                args += ["--" + target, path]
        env = dict(os.environ, TMPDIR=self.tmp)
        self.process = subprocess.Popen(list(args) + list(extra), stdout=subprocess.PIPE,
                                        stderr=subprocess.PIPE, env=env, text=True)
        line = self.process.stdout.readline()
        if "serving" not in line:
            self.process.kill()
            self.process.wait()
            raise RuntimeError("voq-make serve did not start: " + line + self.process.stderr.read())
        self.port = int(line.split("127.0.0.1:")[1].split("/")[0])

    def stop(self):
        """Ends the service by its pid; returns its exit code."""
        self.process.send_signal(signal.SIGTERM)
        try:
            code = self.process.wait(timeout=20)
        except subprocess.TimeoutExpired:
            self.process.kill()
            code = self.process.wait()
        self.process.stdout.close()
        self.process.stderr.close()
        return code

    def open_sockets(self):
        folder = f"/proc/{self.process.pid}/fd"
        count = 0
        for fd in os.listdir(folder):
            try:
                count += os.readlink(os.path.join(folder, fd)).startswith("socket:")
            except FileNotFoundError:  # closed since the listing
                pass
        return count

    def leftovers(self):
        found = []
        for folder, dirs, files in os.walk(self.tmp):
            found += [os.path.join(folder, name) for name in dirs + files]
        return found

    def request(self, method, path, body=None, headers=None, timeout=60):
        connection = http.client.HTTPConnection("127.0.0.1", self.port, timeout=timeout)
        try:
            connection.request(method, path, body=body, headers=headers or {})
            response = connection.getresponse()
            return response.status, dict(response.getheaders()), response.read()
        finally:
            connection.close()

    def post(self, path, fields, files, timeout=60):
        body, content_type = multipart(fields, files)
        return self.request("POST", path, body, {"Content-Type": content_type}, timeout)

    def healthy_within(self, seconds):
        start = time.monotonic()
        status, _, _ = self.request("GET", "/healthz", timeout=seconds)
        return status == 200 and time.monotonic() - start <= seconds

    def raw(self, data, read_for=10.0):
        """Sends data on a new connection and reads until the server closes
        it or read_for seconds pass; returns the bytes and the seconds taken."""
        import socket
        start = time.monotonic()
        with socket.create_connection(("127.0.0.1", self.port), timeout=read_for) as sock:
            sock.sendall(data)
            return read_answer(sock, start, read_for)


def read_answer(sock, start, read_for):
    answer = b""
    while time.monotonic() - start < read_for:
        ready, _, _ = select.select([sock], [], [], max(0.0, read_for - (time.monotonic() - start)))
        if not ready:
            break
        try:
            chunk = sock.recv(65536)
        except ConnectionResetError:
            break
        if not chunk:
            break
        answer += chunk
    return answer, time.monotonic() - start


def multipart(fields, files):
    """fields: {name: text}; files: {name: (filename, bytes)}."""
    boundary = "voq" + uuid.uuid4().hex
    parts = []
    for name, value in fields.items():
        parts.append(f'--{boundary}\r\nContent-Disposition: form-data; name="{name}"\r\n\r\n'.encode()
                     + str(value).encode() + b"\r\n")
    for name, (filename, data) in files.items():
        parts.append(f'--{boundary}\r\nContent-Disposition: form-data; name="{name}"; filename="{filename}"\r\n'
                     f'Content-Type: application/octet-stream\r\n\r\n'.encode() + data + b"\r\n")
    parts.append(f"--{boundary}--\r\n".encode())
    return b"".join(parts), "multipart/form-data; boundary=" + boundary


def picture(path, source, size="64x48"):
    """A picture made by ImageMagick from a source such as 'gradient:red-blue'."""
    subprocess.run(["convert", "-size", size, source, path], check=True)
    with open(path, "rb") as f:
        return f.read()
