"""Two voq-make serve instances behind Debian's nginx, run from a config made
from the shipped one (its own prefix, pid and logs in a temporary folder):
both APIs answer through it, and both instances take requests."""
import os
import pwd
import re
import signal
import socket
import subprocess
import tempfile
import time
import unittest

from maker_service import Service, multipart, picture

SHIPPED = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "serve", "nginx",
                       "quillovarnenthodex.conf")


def free_port():
    with socket.socket() as sock:
        sock.bind(("127.0.0.1", 0))
        return sock.getsockname()[1]


def config(prefix, port, makers):
    with open(SHIPPED) as f:
        site = f.read()
    site = site.replace("127.0.0.1:8081", f"127.0.0.1:{makers[0]}").replace("127.0.0.1:8082", f"127.0.0.1:{makers[1]}")
    site, listens = re.subn(r"listen 80;", f"listen 127.0.0.1:{port};", site)
    assert listens == 1 and all(str(m) in site for m in makers), site
    user = pwd.getpwuid(os.geteuid()).pw_name
    return f"""
user {user};
worker_processes 1;
pid {prefix}/nginx.pid;
error_log {prefix}/error.log;
events {{ worker_connections 64; }}
http {{
    log_format upstreams '$request_uri $status $upstream_addr';
    access_log {prefix}/access.log upstreams;
    client_body_temp_path {prefix}/body;
    proxy_temp_path {prefix}/proxy;
    fastcgi_temp_path {prefix}/fastcgi;
    uwsgi_temp_path {prefix}/uwsgi;
    scgi_temp_path {prefix}/scgi;
{site}
}}
"""


class NginxPair(unittest.TestCase):
    def test_both_apis_through_nginx_on_both_instances(self):
        makers = [Service(), Service()]
        prefix = tempfile.mkdtemp(prefix="voq-nginx-")
        port = free_port()
        with open(os.path.join(prefix, "nginx.conf"), "w") as f:
            f.write(config(prefix, port, [m.port for m in makers]))
        nginx = subprocess.Popen(["nginx", "-p", prefix, "-c", os.path.join(prefix, "nginx.conf"), "-e",
                                  os.path.join(prefix, "error.log"), "-g", "daemon off;"],
                                 stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        try:
            front = Service.__new__(Service)
            front.port = port
            deadline = time.monotonic() + 20
            while True:
                try:
                    if front.request("GET", "/healthz", timeout=2)[0] == 200:
                        break
                except OSError:
                    pass
                self.assertIsNone(nginx.poll(), "nginx ended: " + nginx.stderr.read().decode())
                self.assertLess(time.monotonic(), deadline, "nginx did not answer")
                time.sleep(0.1)

            jpeg = picture(os.path.join(prefix, "photo.jpg"), "gradient:yellow-navy", "100x80")
            for _ in range(2):
                status, headers, body = front.post("/api/saver", {"target": "linux"}, {"picture": ("photo.jpg", jpeg)})
                self.assertEqual((status, headers["Content-Type"]), (200, "application/octet-stream"))
                self.assertEqual(headers["Content-Disposition"], 'attachment; filename="photo-linux.scr"')
                status, headers, body = front.post("/api/preview", {"seconds": 1}, {"picture": ("photo.jpg", jpeg)})
                self.assertEqual((status, headers["Content-Type"]), (200, "image/gif"))
                self.assertEqual(body[:6], b"GIF89a")
            status, _, body = front.post("/api/saver", {"objects": 99}, {"picture": ("photo.jpg", jpeg)})
            self.assertEqual(status, 400)
            self.assertIn(b"--objects 99", body)
            self.assertEqual(front.request("GET", "/link")[1].get("Location"), "/")
        finally:
            nginx.send_signal(signal.SIGQUIT)
            try:
                nginx.wait(timeout=20)
            except subprocess.TimeoutExpired:
                nginx.kill()
                nginx.wait()
            nginx.stderr.close()
            for maker in makers:
                self.assertEqual(maker.stop(), 0)
        with open(os.path.join(prefix, "access.log")) as f:
            served = f.read()
        for maker in makers:
            self.assertIn(f"127.0.0.1:{maker.port}", served, "one instance took no request")
        for maker in makers:
            self.assertEqual(maker.leftovers(), [])


if __name__ == "__main__":
    unittest.main(verbosity=2)
