#!/usr/bin/python3
"""Package server for the download tests and the demo run.

A real HTTP/1.1 server on 127.0.0.1 (a free port unless --port is given). On
start it prints the port on the first line of standard output and flushes, so a
harness can read it; it runs until killed.

Generated packages. Every package URL carries its options as one path segment
of comma-separated key=value pairs, so a test composes the fault it needs:

    /start/<opts>                 redirect chain (hops=N, default 2) ending at
    /p/<opts>/<digest>/TarvoPDFEditor.exe    the package itself

The final URL's second-to-last segment is the package's MD5 digest (lower-case
hex). Any /p/<opts>/<x>/<name> URL serves the package, whatever <x> is.

Options (all optional):
  size=N        package length in bytes (default 1048576)
  seed=N        content seed (default 1); the content is a deterministic
                pseudo-random pattern of seed and offset
  id=TEXT       free text to keep test cases apart (counters, request log)
  hops=N        redirects before the package (default 2)
  digest=upper  final digest segment in upper case
  digest=none   final URL without a digest ("files" instead)
  digest=wrong  final URL carries the digest of other content
  status=N      answer every request (HEAD and GET) of the package with N
  getstatus=N   answer only GET requests of the package with N
  headstatus=N  answer only HEAD requests of the package with N
  close=N       close the connection after N body bytes of a GET response
  stall=S       pause S seconds (float) after stallat=N body bytes (default 0)
  nolength=1    no Content-Length (the body ends when the connection closes)
  length=N      state Content-Length N; the body is cut at N bytes
  headlength=N  state Content-Length N in HEAD answers only (also with nolength)
  rate=B        throttle each response to B bytes per second
  gzip=1        gzip the whole body (ranges ignored) when the request offers gzip
  norange=1     ignore Range headers (always a full 200)
  range416=1    answer every ranged request with 416
  corrupt=1     flip the first byte of a GET body (a GET fault)
  headstall=S   pause S seconds before answering a HEAD request
  faults=K      the GET faults (getstatus, close, stall) apply to the first K
                GET requests of this option set only; later GETs are clean

Control endpoints (plain text):
  /info/<opts>  "<md5> <size>" of the package
  /log/<id>     the requests whose options carry id=<id>, one per line:
                "<METHOD> <path> <range or ->"
  /hits/<id>    number of GET requests of the package with that id

Serving a local file (the demo run): with --file PATH every other path
redirects to /f/<md5 of the file>/<file name>, which serves the file with
HEAD and single ranges; except /fo/<opts>, which redirects to
/ff/<opts>/<md5>/<file name>, serving the file with the faults of <opts>
(status, getstatus, faults, close, stall, ... as above, digest=wrong, and
corrupt=1: the first byte of the body flipped, so the digest mismatches).
"""

import argparse
import gzip
import hashlib
import os
import random
import socket
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

BLOCK_LEN = 65521  # prime, so a shifted range never repeats the same bytes
CHUNK = 256 * 1024

_lock = threading.Lock()
_patterns = {}
_digests = {}
_get_counts = {}
_request_log = {}


def pattern(seed):
    """A repeated random block long enough to slice any CHUNK at any phase."""
    with _lock:
        buf = _patterns.get(seed)
        if buf is None:
            rnd = random.Random(seed)
            block = bytes(rnd.getrandbits(8) for _ in range(BLOCK_LEN))
            reps = (CHUNK + BLOCK_LEN) // BLOCK_LEN + 2
            buf = block * reps
            _patterns[seed] = buf
        return buf


def content(seed, offset, length):
    buf = pattern(seed)
    pieces = []
    while length > 0:
        n = min(CHUNK, length)
        phase = offset % BLOCK_LEN
        pieces.append(buf[phase:phase + n])
        offset += n
        length -= n
    return b"".join(pieces)


def generated_md5(seed, size):
    key = (seed, size)
    with _lock:
        if key in _digests:
            return _digests[key]
    h = hashlib.md5()
    pos = 0
    while pos < size:
        n = min(CHUNK, size - pos)
        h.update(content(seed, pos, n))
        pos += n
    digest = h.hexdigest()
    with _lock:
        _digests[key] = digest
    return digest


def parse_opts(text):
    opts = {}
    for item in text.split(","):
        if "=" in item:
            k, v = item.split("=", 1)
            opts[k] = v
    return opts


def file_md5(path):
    h = hashlib.md5()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            h.update(block)
    return h.hexdigest()


class Source:
    """Bytes of one package: generated or a local file."""

    def __init__(self, size, reader):
        self.size = size
        self.read = reader  # (offset, length) -> bytes


def parse_range(header, size):
    """(start, end) inclusive for one satisfiable range, None when absent or
    malformed (then the whole body is sent), or "unsatisfiable"."""
    if not header or not header.startswith("bytes=") or "," in header:
        return None
    range_text = header[len("bytes="):].strip()
    if "-" not in range_text:
        return None
    first, last = range_text.split("-", 1)
    try:
        if first == "":
            n = int(last)
            if n <= 0:
                return "unsatisfiable"
            return (max(0, size - n), size - 1)
        start = int(first)
        end = int(last) if last else size - 1
    except ValueError:
        return None
    if start >= size or start < 0:
        return "unsatisfiable"
    if end < start:
        return None
    return (start, min(end, size - 1))


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "TarvoPackageServer/1"
    local_file = None
    local_md5 = None

    def log_message(self, fmt, *args):  # quiet
        pass

    def do_HEAD(self):
        self.route(head=True)

    def do_GET(self):
        self.route(head=False)

    # -- plumbing --------------------------------------------------------
    def text(self, code, body, head=False, extra=None):
        data = body.encode("utf-8")
        self.send_response(code)
        self.send_header("Content-Type", "text/plain; charset=utf-8")
        self.send_header("Content-Length", str(len(data)))
        for k, v in (extra or {}).items():
            self.send_header(k, v)
        self.end_headers()
        if not head:
            self.wfile.write(data)

    def redirect(self, location, head):
        self.text(302, "moved\n", head, {"Location": location})

    def route(self, head):
        try:
            self.route_inner(head)
        except (BrokenPipeError, ConnectionResetError, ConnectionAbortedError):
            self.close_connection = True

    def route_inner(self, head):
        parts = [p for p in self.path.split("?", 1)[0].split("/")]
        # parts[0] is "" (path starts with "/")
        kind = parts[1] if len(parts) > 1 else ""
        if self.local_file is not None and kind == "fo" and len(parts) >= 3:
            # The local file behind a redirect, with the faults of <opts>.
            opts = parse_opts(parts[2])
            digest = self.local_md5
            if opts.get("digest") == "wrong":
                digest = hashlib.md5(b"other content").hexdigest()
            name = os.path.basename(self.local_file)
            return self.redirect("/ff/%s/%s/%s" % (parts[2], digest, name), head)
        if self.local_file is not None and kind == "ff" and len(parts) >= 5:
            opts = parse_opts(parts[2])
            self.note(opts, head)
            path = self.local_file

            def file_reader(offset, length):
                with open(path, "rb") as f:
                    f.seek(offset)
                    return f.read(length)

            return self.serve(Source(os.path.getsize(path), file_reader), opts, head)
        if self.local_file is not None and kind != "f":
            name = os.path.basename(self.local_file)
            return self.redirect("/f/%s/%s" % (self.local_md5, name), head)
        if kind == "f" and self.local_file is not None:
            size = os.path.getsize(self.local_file)
            path = self.local_file

            def reader(offset, length):
                with open(path, "rb") as f:
                    f.seek(offset)
                    return f.read(length)

            return self.serve(Source(size, reader), {}, head)
        if kind == "start" and len(parts) >= 3:
            opts = parse_opts(parts[2])
            hops = int(opts.get("hops", "2"))
            return self.hop(parts[2], opts, hops, head)
        if kind == "hop" and len(parts) >= 4:
            opts = parse_opts(parts[3])
            return self.hop(parts[3], opts, int(parts[2]), head)
        if kind == "p" and len(parts) >= 5:
            opts = parse_opts(parts[2])
            self.note(opts, head)
            size = int(opts.get("size", "1048576"))
            seed = int(opts.get("seed", "1"))
            return self.serve(Source(size, lambda o, n: content(seed, o, n)), opts, head)
        if kind == "info" and len(parts) >= 3:
            opts = parse_opts(parts[2])
            size = int(opts.get("size", "1048576"))
            seed = int(opts.get("seed", "1"))
            return self.text(200, "%s %d\n" % (generated_md5(seed, size), size), head)
        if kind == "log" and len(parts) >= 3:
            with _lock:
                lines = list(_request_log.get(parts[2], []))
            return self.text(200, "".join(l + "\n" for l in lines), head)
        if kind == "hits" and len(parts) >= 3:
            with _lock:
                n = _get_counts.get("id:" + parts[2], 0)
            return self.text(200, "%d\n" % n, head)
        return self.text(404, "not found\n", head)

    def hop(self, opts_text, opts, remaining, head):
        if remaining > 0:
            return self.redirect("/hop/%d/%s" % (remaining - 1, opts_text), head)
        size = int(opts.get("size", "1048576"))
        seed = int(opts.get("seed", "1"))
        mode = opts.get("digest", "")
        if mode == "none":
            segment = "files"
        elif mode == "wrong":
            segment = hashlib.md5(b"other content %d" % size).hexdigest()
        else:
            segment = generated_md5(seed, size)
            if mode == "upper":
                segment = segment.upper()
        return self.redirect("/p/%s/%s/TarvoPDFEditor.exe" % (opts_text, segment), head)

    def note(self, opts, head):
        ident = opts.get("id")
        if ident is None:
            return
        line = "%s %s %s" % ("HEAD" if head else "GET", self.path,
                             self.headers.get("Range") or "-")
        with _lock:
            _request_log.setdefault(ident, []).append(line)

    def get_fault_active(self, opts):
        """Counts this GET and says whether its faults apply."""
        key = ",".join("%s=%s" % kv for kv in sorted(opts.items()))
        with _lock:
            n = _get_counts.get(key, 0) + 1
            _get_counts[key] = n
            if "id" in opts:
                idk = "id:" + opts["id"]
                _get_counts[idk] = _get_counts.get(idk, 0) + 1
        limit = opts.get("faults")
        return limit is None or n <= int(limit)

    # -- the package -----------------------------------------------------
    def serve(self, src, opts, head):
        active = True if head else self.get_fault_active(opts)
        if head and "headstall" in opts:
            time.sleep(float(opts["headstall"]))
        if "corrupt" in opts and active and not head:
            inner = src.read

            def flipped(offset, length):
                data = inner(offset, length)
                if offset == 0 and data:
                    data = bytes([data[0] ^ 0xFF]) + data[1:]
                return data

            src = Source(src.size, flipped)
        status = opts.get("status") or (opts.get("headstatus") if head else
                                         (opts.get("getstatus") if active else None))
        if status:
            code = int(status)
            return self.text(code, "<html><body>error %d</body></html>\n" % code, head)

        size = src.size
        rng = None
        if "norange" not in opts:
            rng = parse_range(self.headers.get("Range"), size)
        if rng == "unsatisfiable" or (rng is not None and "range416" in opts):
            self.send_response(416)
            self.send_header("Content-Range", "bytes */%d" % size)
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        start, end = (0, size - 1) if rng is None else rng
        body_len = max(0, end - start + 1)

        use_gzip = ("gzip" in opts and not head and rng is None and
                    "gzip" in (self.headers.get("Accept-Encoding") or ""))
        payload = None
        if use_gzip:
            payload = gzip.compress(src.read(0, size), compresslevel=1)
            body_len = len(payload)

        declared = body_len
        if "length" in opts:
            declared = int(opts["length"])
        if head and "headlength" in opts:
            declared = int(opts["headlength"])

        self.send_response(200 if rng is None else 206)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Accept-Ranges", "bytes")
        if rng is not None:
            self.send_header("Content-Range", "bytes %d-%d/%d" % (start, end, size))
        if use_gzip:
            self.send_header("Content-Encoding", "gzip")
        if "nolength" in opts and not (head and "headlength" in opts):
            self.send_header("Connection", "close")
            self.close_connection = True
        else:
            self.send_header("Content-Length", str(declared))
        self.end_headers()
        if head:
            return

        to_send = body_len if "length" not in opts else min(body_len, declared)
        close_after = int(opts["close"]) if ("close" in opts and active) else None
        stall = float(opts["stall"]) if ("stall" in opts and active) else None
        stall_at = int(opts.get("stallat", "0"))
        rate = int(opts["rate"]) if "rate" in opts else None

        sent = 0
        began = time.monotonic()
        stalled = False
        while sent < to_send:
            n = min(CHUNK, to_send - sent)
            if rate:
                n = min(n, max(1, rate // 20))
            if close_after is not None:
                n = min(n, close_after - sent)
            if stall is not None and not stalled:
                if sent >= stall_at:
                    time.sleep(stall)
                    stalled = True
                else:
                    n = min(n, stall_at - sent)
            if n <= 0:
                break
            if payload is not None:
                chunk = payload[sent:sent + n]
            else:
                chunk = src.read(start + sent, n)
            self.wfile.write(chunk)
            sent += n
            if rate:
                ahead = sent / rate - (time.monotonic() - began)
                if ahead > 0:
                    time.sleep(ahead)
        if sent < declared or "nolength" in opts:
            self.wfile.flush()
            self.close_connection = True
            try:
                self.connection.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--port", type=int, default=0)
    ap.add_argument("--file", help="serve this file behind a digest redirect")
    args = ap.parse_args()
    if args.file:
        Handler.local_file = os.path.abspath(args.file)
        Handler.local_md5 = file_md5(Handler.local_file)
    ThreadingHTTPServer.daemon_threads = True
    ThreadingHTTPServer.allow_reuse_address = True
    server = ThreadingHTTPServer(("127.0.0.1", args.port), Handler)
    print(server.server_address[1], flush=True)
    try:
        server.serve_forever(poll_interval=0.2)
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
