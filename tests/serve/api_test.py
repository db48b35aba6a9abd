"""voq-make serve over real sockets on 127.0.0.1: the API's answers, and
hostile or heavy requests, each followed by /healthz answering within 1 s."""
import json
import os
import select
import socket
import struct
import subprocess
import tempfile
import time
import unittest
import zlib

from maker_service import Service, VOQ_MAKE, multipart, picture, read_answer


def png(width, height, rows=None):
    """An RGB PNG of width x height: black, or rows as given (compressed)."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    if rows is None:
        row = b"\0" * (1 + 3 * width)
        packer = zlib.compressobj(9)
        data = b"".join(packer.compress(row) for _ in range(height)) + packer.flush()
    else:
        data = zlib.compress(rows)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", data) + chunk(b"IEND", b"")


def inspect(path):
    run = subprocess.run([VOQ_MAKE, "inspect", "--json", path], capture_output=True, text=True)
    return run.returncode, json.loads(run.stdout)


class MakerApi(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.service = Service(jobs=2)
        cls.folder = tempfile.mkdtemp(prefix="voq-serve-test-")
        cls.jpeg = picture(os.path.join(cls.folder, "photo.jpg"), "gradient:red-blue", "120x90")

    @classmethod
    def tearDownClass(cls):
        code = cls.service.stop()
        assert code == 0, f"voq-make serve exited with {code}"
        assert cls.service.leftovers() == [], cls.service.leftovers()

    def tearDown(self):
        self.assertTrue(self.service.healthy_within(1.0), "/healthz did not answer within 1 s")

    def expect_error(self, answer, status, words):
        got, headers, body = answer
        self.assertEqual(got, status, body)
        self.assertEqual(headers.get("Content-Type"), "application/json")
        self.assertIn(words, json.loads(body)["error"])
        return headers

    def test_pages_and_link(self):
        status, headers, body = self.service.request("GET", "/")
        self.assertEqual((status, headers["Content-Type"]), (200, "text/html; charset=utf-8"))
        self.assertIn(b"app.js", body)
        status, headers, _ = self.service.request("GET", "/link")
        self.assertEqual((status, headers.get("Location")), (302, "/"))
        self.expect_error(self.service.request("GET", "/nothing"), 404, "the maker is at /")

    def test_savers_for_each_target(self):
        for target, kind, name in [("windows32", "PE", "photo.scr"), ("windows64", "PE", "photo-win64.scr"),
                                   ("linux", "ELF", "photo-linux.scr")]:
            with self.subTest(target=target):
                status, headers, body = self.service.post(
                    "/api/saver", {"target": target, "objects": 12, "key": "none", "background": "#0000ff"},
                    {"picture": ("photo.jpg", self.jpeg)})
                self.assertEqual(status, 200, body)
                self.assertEqual(headers["Content-Type"], "application/octet-stream")
                self.assertEqual(headers["Content-Disposition"], f'attachment; filename="{name}"')
                path = os.path.join(self.folder, name)
                with open(path, "wb") as f:
                    f.write(body)
                code, report = inspect(path)
                self.assertEqual(code, 0, report)
                self.assertTrue(report["accepted"])
                self.assertTrue(report["runtime"].startswith(kind), report["runtime"])
                self.assertEqual(report["object_count"], 12)

    def test_picked_key_colour_is_the_nearest_entry(self):
        # Left half pure green, right half red: the key picked near green is green's entry.
        rows = b"".join(b"\0" + (b"\0\xff\0" * 8 + b"\xff\0\0" * 8) for _ in range(8))
        status, _, body = self.service.post("/api/saver", {"target": "linux", "key": "#10f010"},
                                            {"picture": ("halves.png", png(16, 8, rows))})
        self.assertEqual(status, 200, body)
        path = os.path.join(self.folder, "halves.scr")
        with open(path, "wb") as f:
            f.write(body)
        code, report = inspect(path)
        self.assertEqual(code, 0, report)
        self.assertTrue(report["picture"]["key"].endswith(" #00ff00"), report["picture"]["key"])
        self.assertEqual(report["picture"]["key_pixels"], 64)

    def test_preview_is_an_animation(self):
        status, headers, body = self.service.post("/api/preview", {"seconds": 1, "objects": 5},
                                                  {"picture": ("photo.jpg", self.jpeg)})
        self.assertEqual((status, headers["Content-Type"]), (200, "image/gif"), body[:200])
        self.assertEqual(body[:6], b"GIF89a")
        self.assertGreater(body.count(b"\x21\xf9\x04"), 20)  # a frame's control block each

    def test_refusals_carry_the_tools_messages(self):
        photo = {"picture": ("photo.jpg", self.jpeg)}
        cases = [
            ({"objects": 0}, photo, 400, "--objects 0: give a whole number from 1 to 50"),
            ({"key": "#zz0000"}, photo, 400, "--key #zz0000: give a colour as #RRGGBB"),
            ({"background": "300"}, photo, 400, "--background 300: give a whole number from 0 to 255"),
            ({"target": "mac"}, photo, 400, "--target mac: choose linux, windows32 or windows64"),
            ({"colour": "red"}, photo, 400, "unknown field colour"),
            ({}, {}, 400, "no picture"),
            ({}, {"picture": ("photo.jpg", b"this is text, not a photo\n")}, 422, "cannot read picture photo.jpg"),
            ({"key": "3"}, photo, 422, "picture photo.jpg:"),
        ]
        for fields, files, status, words in cases:
            with self.subTest(fields=fields, words=words):
                self.expect_error(self.service.post("/api/saver", fields, files), status, words)
                self.assertTrue(self.service.healthy_within(1.0))

    def test_upload_over_the_limit_is_refused_before_it_is_sent(self):
        body, content_type = multipart({}, {"picture": ("big.jpg", b"")})
        head = (f"POST /api/saver HTTP/1.1\r\nHost: x\r\nContent-Type: {content_type}\r\n"
                f"Content-Length: {30 << 20}\r\n\r\n").encode()
        answer, seconds = self.service.raw(head, read_for=5)
        self.assertTrue(answer.startswith(b"HTTP/1.1 413"), answer[:100])
        self.assertIn(b"larger than the 25 MB", answer)
        self.assertLess(seconds, 5)

    def test_unbounded_bodies_are_refused(self):
        for path, extra, status in [
                ("/api/preview", "Transfer-Encoding: chunked\r\n", b"411"),
                ("/api/saver", "Content-Encoding: gzip\r\nContent-Length: 10\r\n", b"415"),
                ("/", f"Content-Length: {30 << 20}\r\n", b"405"),
                ("/nothing", "Transfer-Encoding: chunked\r\n", b"405")]:
            with self.subTest(path=path, header=extra):
                head = (f"POST {path} HTTP/1.1\r\nHost: x\r\nContent-Type: multipart/form-data; boundary=b\r\n"
                        + extra + "\r\n").encode()
                answer, seconds = self.service.raw(head, read_for=5)
                self.assertTrue(answer.startswith(b"HTTP/1.1 " + status), answer[:100])
                self.assertLess(seconds, 4, "the answer waited for a body")
                self.assertTrue(self.service.healthy_within(1.0))

    def test_pictures_over_50_megapixels_are_refused_by_their_header(self):
        header_only = png(10000, 6000, rows=b"")  # 60 million pixels, nothing to decode
        self.expect_error(self.service.post("/api/saver", {}, {"picture": ("huge.png", header_only)}), 422,
                          "picture huge.png is 10000 x 6000, more than the 50 million pixels read")

    def test_a_picture_just_under_the_pixel_limit_is_made(self):
        # 49 million pixels: the child's memory limit leaves room for them.
        status, headers, body = self.service.post("/api/saver", {"target": "linux"},
                                                  {"picture": ("big.png", png(7000, 7000))})
        self.assertEqual(status, 200, body[:200])
        self.assertEqual(headers["Content-Type"], "application/octet-stream")

    def test_a_stalled_upload_is_cut_off(self):
        body, content_type = multipart({}, {"picture": ("photo.jpg", self.jpeg)})
        head = (f"POST /api/saver HTTP/1.1\r\nHost: x\r\nContent-Type: {content_type}\r\n"
                f"Content-Length: {len(body)}\r\n\r\n").encode()
        answer, seconds = self.service.raw(head + body[:len(body) // 2], read_for=15)
        self.assertLess(seconds, 15, "the server kept a stalled upload open")
        self.assertFalse(answer.startswith(b"HTTP/1.1 200"))

    def test_a_client_file_name_is_never_a_path(self):
        status, headers, _ = self.service.post("/api/saver", {"target": "linux"},
                                               {"picture": ("../../etc/evil name.jpg", self.jpeg)})
        self.assertEqual(status, 200)
        self.assertEqual(headers["Content-Disposition"], 'attachment; filename="evilname-linux.scr"')
        self.assertEqual(self.service.leftovers(), [])


class BusyMaker(unittest.TestCase):
    def test_beyond_its_jobs_it_answers_503_at_once(self):
        service = Service(jobs=1)
        try:
            jpeg = picture(os.path.join(tempfile.mkdtemp(prefix="voq-serve-test-"), "busy.jpg"),
                           "gradient:white-black")
            body, content_type = multipart({}, {"picture": ("photo.jpg", jpeg)})
            head = (f"POST /api/saver HTTP/1.1\r\nHost: x\r\nContent-Type: {content_type}\r\n"
                    f"Content-Length: {len(body)}\r\n\r\n").encode()
            # One upload holds the only job while it arrives. Whole uploads
            # follow until one of them, or the held one if a whole one got
            # the job first, is refused.
            holder = socket.create_connection(("127.0.0.1", service.port), timeout=10)
            holder.sendall(head + body[:100])
            answers = []
            for _ in range(20):
                status, headers, reply = service.post("/api/saver", {}, {"picture": ("photo.jpg", jpeg)})
                answers.append(status)
                if status == 503 or select.select([holder], [], [], 0)[0]:
                    break
            if answers[-1] != 503:
                answer, _ = read_answer(holder, time.monotonic(), 5)
                head_text, _, reply = answer.partition(b"\r\n\r\n")
                lines = head_text.decode().split("\r\n")
                status = int(lines[0].split()[1])
                headers = dict(line.split(": ", 1) for line in lines[1:])
                holder.close()
                holder = None
            self.assertEqual(status, 503, answers)
            self.assertEqual(headers.get("Retry-After"), "2")
            self.assertIn("busy", json.loads(reply)["error"])
            self.assertTrue(service.healthy_within(1.0))
            if holder is not None:
                holder.sendall(body[100:])
                answer, _ = read_answer(holder, time.monotonic(), 30)
                holder.close()
                self.assertTrue(answer.startswith(b"HTTP/1.1 200"), answer[:100])
        finally:
            self.assertEqual(service.stop(), 0)
        self.assertEqual(service.leftovers(), [])

    def test_beyond_its_connections_it_answers_503_at_once(self):
        service = Service(jobs=1)  # 12 connection threads, 12 waiting
        idle = []
        try:
            # Each holds a thread (or a place in the queue) with a request begun.
            for _ in range(24):
                idle.append(socket.create_connection(("127.0.0.1", service.port), timeout=5))
                idle[-1].sendall(b"GET /healthz HTTP/1.1\r\n")
            deadline = time.monotonic() + 5
            while service.open_sockets() < 1 + 24:
                self.assertLess(time.monotonic(), deadline, "the service did not take the connections")
                time.sleep(0.01)
            answer, seconds = service.raw(b"GET /healthz HTTP/1.1\r\nHost: x\r\n\r\n", read_for=2)
            self.assertTrue(answer.startswith(b"HTTP/1.1 503"), answer[:100])
            self.assertIn(b"Retry-After: 2", answer)
            self.assertLess(seconds, 1.0, "the refused connection was kept open")
            for sock in idle:
                sock.close()
            idle = []
            # Their threads let them go well before the read timeout.
            deadline = time.monotonic() + 2
            while service.open_sockets() > 1:
                self.assertLess(time.monotonic(), deadline, "the service kept closed connections")
                time.sleep(0.01)
            self.assertTrue(service.healthy_within(1.0))
        finally:
            for sock in idle:
                sock.close()
            self.assertEqual(service.stop(), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
