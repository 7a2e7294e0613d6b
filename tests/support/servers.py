"""Loopback test servers for the download, status-report and click tests.

Every server is started and stopped by the test that uses it (context
managers), listens on loopback only, and keeps its files in its own temporary
directory. Nothing here touches the host's certificate store: the test CA is
trusted inside the test run's Wine prefix only (`trusted_ca`).

Deployment values
    build_config()        -> dict of the build's LI_DOWNLOAD_BASE,
                             LI_STATUS_ENDPOINT, LI_CLICK_BASE, LI_LEGAL_BASE
                             (read from <win build>/generated/build_config.h)
    port_of(url), host_of(url), path_of(url)
    free_port(host="127.0.0.1")
    request_bounds()      -> {"download": Bounds, "report": Bounds} of the
                             build (Bounds: connect_ms send_ms receive_ms
                             total_ms max_redirects, from setup/request_bounds.h,
                             the short ones when LI_SHORT_NETWORK_BOUNDS is 1),
                             with .short telling which, and .body: the setup's
                             BodyLimits (low_speed_window_ms low_speed_min_bytes
                             unannounced_cap)

nginx (Debian's nginx-light; one foreground process, no master, no daemon)
    FileServer(docroot, port=None, redirects=None, extra_hosts=("127.0.0.2",))
        Static files of `docroot` with Range support (206) on 127.0.0.1:port
        (default: the port of LI_DOWNLOAD_BASE) and on each extra host at the
        same port, so a redirect can name another host ("127.0.0.2",
        "localhost"). `redirects` maps an exact path to (code, target URL) or
        to a target URL (302). Attributes: port, url(path, host="127.0.0.1").
    StatusEndpoint(port=None, status=200, body="ok", trust=True, ca=None)
        HTTPS on 127.0.0.1:port (default: the port of LI_STATUS_ENDPOINT) with
        a server certificate for 127.0.0.1/localhost issued at start by a test
        CA (`TestCa`, made with openssl). Every path answers `status` with
        `body`. With trust=True the CA is added to the prefix's current-user
        Root store while the server runs and removed afterwards. Attributes:
        port, url (the build's status endpoint URL, with `port` if given), ca.
    ClickServer(port=None, status=200)
        Plain HTTP on 127.0.0.1:port (default: the port of LI_CLICK_BASE);
        every path answers `status`.
    All three: requests() -> list of Request, read from nginx's access log
    field by field; wait_for_requests(count, timeout=10) -> the list once it
    has at least `count` entries; clear_requests(); stop() (also on exit).

Request (namedtuple) fields, as nginx logged them:
    method, uri (path and query as sent, undecoded), path, query,
    params (list of (name, value) in order, undecoded), status (int),
    range (the Range header or ""), user_agent, accept, host (Host header),
    server_port (int), bytes_sent (body bytes, int), scheme.

Fault injection (Python, what nginx cannot do)
    FaultServer(routes, port=0, host="127.0.0.1")
        A threaded HTTP/1.1 server; `routes` maps a path (query ignored) to a
        Route, or to a list of Routes used one per request in turn (the last
        one repeats: [Route(status=500), Route(body=data)] fails once, then
        serves); the route under the key None serves every other path,
        else unknown paths get 404. Attributes: port, url(path),
        requests (list of FaultRequest(method, path, headers dict with
        lower-case names)), request_count(path=None).
    Route(body=b"", status=200, content_length=True, cut_at=None,
          cut="close", stall=0.0, ranges=False, location=None, headers=None,
          hang=False, delay=0.0, trickle=0.0, length=None, endless=False,
          hold=None)
        content_length=False omits the header (the body ends at the close);
        length=N announces N but sends the whole body in chunks
        (Transfer-Encoding: chunked, which WinINet reads to its end whatever
        the length said); endless=True sends bytes without a length until
        the client goes;
        cut_at=N announces the whole body but sends N bytes, then closes
        ("close") or resets ("reset") the connection, after `stall` seconds;
        ranges=True honours "Range: bytes=N-" with 206 (and "If-Range" against
        the route's ETag header, when it has one), else the Range header
        is ignored (full 200); location makes it a redirect (status 302 unless
        given); hang=True reads the request and never answers (until the
        server stops); delay waits that long before the status line; trickle
        sends the body one byte per that many seconds; hold (a
        threading.Event) is waited for before the answer, as a firewall or
        captive portal holds it.
    FaultServer(..., tls=(cert_pem, key_pem)) serves HTTPS instead.

    SilentListener(port=0, host="127.0.0.1")
        Accepts connections and never sends a byte, not even a TLS
        handshake; closes them when stopped. Attributes: port, accepted
        (count).
    CuttingProxy(upstream_port, cut_after, port=0, cuts=1)
        Relays loopback connections to upstream_port; in each of the first
        `cuts` connections the answer's body is cut after `cut_after` bytes
        (the connection is closed). Attribute: port.
    TrickleServer(port=0, size=300000, chunk=1000, interval=1.0)
        Answers 200 with Content-Length `size`, then `chunk` bytes every
        `interval` seconds. All three reset their connections when stopped,
        so the port is free again at once.

An authenticating proxy
    SquidProxy(user, password, open_ports=()): squid with Basic
        authentication; port; requests() -> ProxyRequest(method, url, user
        ("-" when none), status) from its access log.
    system_proxy(port): the prefix's user has that proxy while inside.

Certificates and trust
    TestCa(directory)     an openssl CA: .cert_pem, .cert_der, and
                          issue_server_cert(names) -> (cert_pem, key_pem)
    trusted_ca(der_path)  context manager: the CA is trusted in the prefix's
                          current-user Root store (trust_test_ca.exe) while
                          inside.
"""
import collections
import contextlib
import http.server
import os
import re
import shutil
import socket
import socketserver
import ssl
import struct
import subprocess
import tempfile
import threading
import time
import urllib.parse

from support import winelib

NGINX = shutil.which("nginx") or "/usr/sbin/nginx"

# --- deployment values ------------------------------------------------------


def build_config():
    """The deployment values the Windows build was made with."""
    header = os.path.join(winelib.WIN_BUILD, "generated", "build_config.h")
    values = {}
    with open(header, encoding="utf-8") as f:
        for line in f:
            m = re.match(r'#define (LI_\w+) "(.*)"\s*$', line)
            if m:
                values[m.group(1)] = m.group(2)
    return values


Bounds = collections.namedtuple("Bounds", "connect_ms send_ms receive_ms total_ms max_redirects")
BodyLimits = collections.namedtuple("BodyLimits",
                                    "low_speed_window_ms low_speed_min_bytes unannounced_cap")
RequestBoundsOfBuild = collections.namedtuple("RequestBoundsOfBuild", "download report short body")


def request_bounds():
    """The request bounds the Windows build was made with."""
    header = os.path.join(winelib.WIN_BUILD, "generated", "build_config.h")
    with open(header, encoding="utf-8") as f:
        short = re.search(r"#define LI_SHORT_NETWORK_BOUNDS 1\b", f.read()) is not None
    with open(os.path.join(winelib.SOURCE, "setup", "request_bounds.h"), encoding="utf-8") as f:
        source = f.read()

    def named(name, kind=Bounds):
        m = re.search(r"k%s\s*=\s*\{([\d,\s]+)\}" % name, source)
        return kind(*[int(v) for v in m.group(1).split(",")])

    prefix = "Short" if short else ""
    return RequestBoundsOfBuild(named(prefix + "SetupDownloadBounds"),
                                named(prefix + "ReportBounds"), short,
                                named(prefix + "SetupBodyLimits", BodyLimits))


def port_of(url):
    parts = urllib.parse.urlsplit(url)
    return parts.port or (443 if parts.scheme == "https" else 80)


def host_of(url):
    return urllib.parse.urlsplit(url).hostname


def path_of(url):
    return urllib.parse.urlsplit(url).path


def free_port(host="127.0.0.1"):
    with socket.socket() as s:
        s.bind((host, 0))
        return s.getsockname()[1]


def wait_until_listening(host, port, timeout=10.0):
    end = time.time() + timeout
    while time.time() < end:
        with socket.socket() as s:
            s.settimeout(0.2)
            if s.connect_ex((host, port)) == 0:
                return
        time.sleep(0.02)
    raise RuntimeError("nothing listens on %s:%d" % (host, port))


def _check_port_free(host, port):
    """Another server on the port would answer in place of ours (nginx sets
    SO_REUSEADDR, so a port in TIME_WAIT is fine)."""
    with socket.socket() as s:
        s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        try:
            s.bind((host, port))
        except OSError as e:
            raise RuntimeError("port %s:%d is taken: %s" % (host, port, e))


# --- nginx ------------------------------------------------------------------

Request = collections.namedtuple(
    "Request", "method uri path query params status range user_agent accept host "
    "server_port bytes_sent scheme")

# Tab-separated, so that no field can be confused with the next; nginx escapes
# control characters (tab included) inside values as \xHH.
_LOG_FORMAT = ("$request_method\\t$request_uri\\t$status\\t$http_range\\t$http_user_agent\\t"
               "$http_accept\\t$http_host\\t$server_port\\t$body_bytes_sent\\t$scheme")


def _parse_log_line(line):
    f = line.rstrip("\n").split("\t")
    if len(f) != 10:
        return None
    method, uri, status, rng, agent, accept, host, port, sent, scheme = f
    path, _, query = uri.partition("?")
    params = [tuple(p.split("=", 1)) if "=" in p else (p, "") for p in query.split("&") if p]
    dash = lambda v: "" if v == "-" else v
    return Request(method, uri, path, query, params, int(status), dash(rng), dash(agent),
                   dash(accept), dash(host), int(port), int(sent), scheme)


class _Nginx:
    """One nginx process with a generated configuration in a temp dir."""

    def __init__(self, server_blocks, ports):
        for host, port in ports:
            _check_port_free(host, port)
        self.dir = tempfile.mkdtemp(prefix="li_nginx_")
        self._ports = ports
        self.access_log = os.path.join(self.dir, "access.log")
        for sub in ("client_body", "proxy", "fastcgi", "uwsgi", "scgi"):
            os.makedirs(os.path.join(self.dir, "tmp", sub))
        conf = """
daemon off;
master_process off;
worker_processes 1;
pid {d}/nginx.pid;
error_log {d}/error.log warn;
events {{ worker_connections 64; }}
http {{
  log_format lite "{fmt}";
  access_log {d}/access.log lite;
  client_body_temp_path {d}/tmp/client_body;
  proxy_temp_path {d}/tmp/proxy;
  fastcgi_temp_path {d}/tmp/fastcgi;
  uwsgi_temp_path {d}/tmp/uwsgi;
  scgi_temp_path {d}/tmp/scgi;
  types {{ application/octet-stream exe bin; text/plain txt; }}
  default_type application/octet-stream;
  sendfile off;
  keepalive_timeout 5;
  server_tokens off;
{servers}
}}
""".format(d=self.dir, fmt=_LOG_FORMAT, servers="\n".join(server_blocks))
        self.conf_path = os.path.join(self.dir, "nginx.conf")
        with open(self.conf_path, "w") as f:
            f.write(conf)
        open(self.access_log, "w").close()
        self._stderr = open(os.path.join(self.dir, "stderr.log"), "wb")
        self.proc = subprocess.Popen(
            [NGINX, "-p", self.dir + "/", "-c", self.conf_path, "-e", self.dir + "/error.log"],
            stdout=subprocess.DEVNULL, stderr=self._stderr)
        try:
            for host, port in ports:
                wait_until_listening(host, port)
            # A port taken in the meantime makes nginx end at once.
            time.sleep(0.05)
            if self.proc.poll() is not None:
                raise RuntimeError("nginx ended: " + self._errors())
        except Exception:
            self.stop()
            raise

    def _errors(self):
        text = ""
        for name in ("error.log", "stderr.log"):
            p = os.path.join(self.dir, name)
            if os.path.exists(p):
                with open(p, errors="replace") as f:
                    text += f.read()
        return text

    def requests(self):
        with open(self.access_log, encoding="utf-8", errors="replace") as f:
            return [r for r in (_parse_log_line(l) for l in f) if r]

    def wait_for_requests(self, count, timeout=10.0):
        """nginx writes a line after the response is sent, so a client may
        finish a moment before its line exists."""
        end = time.time() + timeout
        while True:
            reqs = self.requests()
            if len(reqs) >= count or time.time() > end:
                return reqs
            time.sleep(0.02)

    def clear_requests(self):
        open(self.access_log, "w").close()

    def stop(self):
        if self.proc and self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        self.proc = None
        self._stderr.close()
        shutil.rmtree(self.dir, ignore_errors=True)


class _NginxServer:
    """Base of the nginx-backed servers: context manager and request log."""
    _nginx = None

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()

    def requests(self):
        return self._nginx.requests()

    def wait_for_requests(self, count, timeout=10.0):
        return self._nginx.wait_for_requests(count, timeout)

    def clear_requests(self):
        self._nginx.clear_requests()

    def stop(self):
        if self._nginx:
            self._nginx.stop()
            self._nginx = None


class FileServer(_NginxServer):
    def __init__(self, docroot, port=None, redirects=None, extra_hosts=("127.0.0.2",)):
        self.port = port or port_of(build_config()["LI_DOWNLOAD_BASE"])
        self.docroot = os.path.abspath(docroot)
        locations = []
        for path, target in sorted((redirects or {}).items()):
            code, url = target if isinstance(target, tuple) else (302, target)
            locations.append("    location = %s { return %d %s; }" % (path, code, url))
        listens = "\n".join("    listen %s:%d;" % (h, self.port)
                            for h in ("127.0.0.1",) + tuple(extra_hosts))
        block = """  server {{
{listens}
    server_name _;
    root {root};
{locations}
  }}""".format(listens=listens, root=self.docroot, locations="\n".join(locations))
        self._nginx = _Nginx([block], [(h, self.port) for h in ("127.0.0.1",) + tuple(extra_hosts)])

    def url(self, path, host="127.0.0.1"):
        return "http://%s:%d%s" % (host, self.port, path)


class ClickServer(_NginxServer):
    def __init__(self, port=None, status=200):
        self.port = port or port_of(build_config()["LI_CLICK_BASE"])
        block = """  server {
    listen 127.0.0.1:%d;
    location / { return %d "ok"; }
  }""" % (self.port, status)
        self._nginx = _Nginx([block], [("127.0.0.1", self.port)])


class StatusEndpoint(_NginxServer):
    def __init__(self, port=None, status=200, body="ok", trust=True, ca=None):
        self.url = build_config()["LI_STATUS_ENDPOINT"]
        self.port = port or port_of(self.url)
        if port_of(self.url) != self.port:
            parts = urllib.parse.urlsplit(self.url)
            self.url = parts._replace(netloc="%s:%d" % (parts.hostname, self.port)).geturl()
        self._workdir = tempfile.mkdtemp(prefix="li_status_")
        self.ca = ca or TestCa(os.path.join(self._workdir, "ca"))
        cert, key = self.ca.issue_server_cert(["127.0.0.1", "localhost"],
                                              os.path.join(self._workdir, "server"))
        block = """  server {
    listen 127.0.0.1:%d ssl;
    ssl_certificate %s;
    ssl_certificate_key %s;
    location / { return %d "%s"; }
  }""" % (self.port, cert, key, status, body)
        self._trust = None
        try:
            if trust:
                self._trust = trusted_ca(self.ca.cert_der)
                self._trust.__enter__()
            self._nginx = _Nginx([block], [("127.0.0.1", self.port)])
        except Exception:
            self.stop()
            raise

    def stop(self):
        super().stop()
        if self._trust:
            self._trust.__exit__(None, None, None)
            self._trust = None
        shutil.rmtree(self._workdir, ignore_errors=True)


# --- certificates -------------------------------------------------------------


def _openssl(*args, cwd=None):
    subprocess.run(["openssl"] + list(args), check=True, cwd=cwd, stdout=subprocess.DEVNULL,
                   stderr=subprocess.PIPE)


class TestCa:
    """A throw-away certificate authority, made with openssl at test time."""

    def __init__(self, directory, name="lite_installer test CA"):
        os.makedirs(directory, exist_ok=True)
        self.dir = directory
        self.key = os.path.join(directory, "ca.key")
        self.cert_pem = os.path.join(directory, "ca.pem")
        self.cert_der = os.path.join(directory, "ca.der")
        _openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-sha256", "-days", "3",
                 "-keyout", self.key, "-out", self.cert_pem, "-subj", "/CN=" + name,
                 "-addext", "basicConstraints=critical,CA:TRUE",
                 "-addext", "keyUsage=critical,keyCertSign,cRLSign")
        _openssl("x509", "-in", self.cert_pem, "-outform", "DER", "-out", self.cert_der)

    def issue_server_cert(self, names, directory):
        """A server certificate for the host names/addresses; (cert, key)."""
        os.makedirs(directory, exist_ok=True)
        key = os.path.join(directory, "server.key")
        csr = os.path.join(directory, "server.csr")
        cert = os.path.join(directory, "server.pem")
        ext = os.path.join(directory, "ext.cnf")
        alt = []
        for n in names:
            alt.append(("IP:" if re.match(r"^\d+\.\d+\.\d+\.\d+$", n) else "DNS:") + n)
            if alt[-1].startswith("IP:"):
                alt.append("DNS:" + n)  # some verifiers match addresses as names only
        with open(ext, "w") as f:
            f.write("basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature,"
                    "keyEncipherment\nextendedKeyUsage=serverAuth\nsubjectAltName=%s\n"
                    % ",".join(alt))
        _openssl("req", "-newkey", "rsa:2048", "-nodes", "-sha256", "-keyout", key, "-out", csr,
                 "-subj", "/CN=" + names[0])
        _openssl("x509", "-req", "-in", csr, "-CA", self.cert_pem, "-CAkey", self.key,
                 "-CAcreateserial", "-sha256", "-days", "2", "-extfile", ext, "-out", cert)
        return cert, key


@contextlib.contextmanager
def trusted_ca(der_path):
    """Trusts a CA certificate in the test prefix's current-user Root store
    while inside; the host's stores are never touched."""
    tool = os.path.join(winelib.BIN, "trust_test_ca.exe")
    p = winelib.wine([tool, "add", winelib.win_path(der_path)], timeout=60)
    if p.returncode != 0 or "added" not in p.stdout:
        raise RuntimeError("cannot trust the test CA: %r %r" % (p.stdout, p.stderr))
    try:
        yield
    finally:
        winelib.wine([tool, "remove", winelib.win_path(der_path)], timeout=60)


# --- fault-injecting server ---------------------------------------------------

FaultRequest = collections.namedtuple("FaultRequest", "method path headers")


class Route:
    def __init__(self, body=b"", status=200, content_length=True, cut_at=None, cut="close",
                 stall=0.0, ranges=False, location=None, headers=None, hang=False, delay=0.0,
                 trickle=0.0, length=None, endless=False, hold=None):
        self.body = body
        self.hold = hold
        self.status = 302 if location and status == 200 else status
        self.content_length = content_length
        self.cut_at = cut_at
        self.cut = cut
        self.stall = stall
        self.ranges = ranges
        self.location = location
        self.headers = headers or {}
        self.hang = hang
        self.delay = delay
        self.trickle = trickle
        self.length = length
        self.endless = endless


class _FaultHandler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def do_GET(self):
        server = self.server
        path = self.path.split("?", 1)[0]
        with server.lock:
            server.requests.append(FaultRequest(
                "GET", self.path, {k.lower(): v for k, v in self.headers.items()}))
        with server.lock:
            route = server.routes.get(path, server.routes.get(None))
            if isinstance(route, (list, tuple)):
                seen = server.served.get(path, 0)
                server.served[path] = seen + 1
                route = route[min(seen, len(route) - 1)]
        if route is None:
            route = Route(body=b"not found", status=404)
        if route.hang:
            server.closing.wait()
            self.close_connection = True
            return
        if route.delay and server.closing.wait(route.delay):
            self.close_connection = True
            return
        if route.hold:
            while not route.hold.wait(0.05):
                if server.closing.is_set():
                    self.close_connection = True
                    return
        body, status = route.body, route.status
        start = 0
        rng = self.headers.get("Range", "")
        m = re.match(r"bytes=(\d+)-$", rng)
        etag = route.headers.get("ETag")
        if_range = self.headers.get("If-Range")
        fresh = if_range is None or (etag is not None and if_range == etag)
        if route.ranges and m and status == 200 and fresh:
            start = int(m.group(1))
            status = 206
        self.send_response(status)
        if route.location:
            self.send_header("Location", route.location)
        for k, v in route.headers.items():
            self.send_header(k, v)
        payload = body[start:]
        if status == 206:
            self.send_header("Content-Range", "bytes %d-%d/%d" % (start, len(body) - 1, len(body)))
        if route.content_length and not route.endless:
            self.send_header("Content-Length", str(len(payload) if route.length is None
                                                   else route.length))
        if not route.content_length or route.endless or route.length is not None:
            self.send_header("Connection", "close")
            self.close_connection = True
        if route.length is not None:
            self.send_header("Transfer-Encoding", "chunked")
            self.end_headers()
            for i in range(0, len(payload), 8192):
                piece = payload[i:i + 8192]
                self.wfile.write(b"%x\r\n%s\r\n" % (len(piece), piece))
            self.wfile.write(b"0\r\n\r\n")
            return
        self.end_headers()
        if route.cut_at is not None:
            self.wfile.write(payload[:route.cut_at])
            self.wfile.flush()
            if route.stall:
                time.sleep(route.stall)
            if route.cut == "reset":
                self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER,
                                           struct.pack("ii", 1, 0))
            self.close_connection = True
            return
        if route.stall:
            time.sleep(route.stall)
        if route.endless:
            block = bytes(range(256)) * 256
            try:
                while not server.closing.is_set():
                    self.wfile.write(block)
            except OSError:
                pass
            self.close_connection = True
            return
        if route.trickle:
            try:
                for i in range(len(payload)):
                    if server.closing.wait(route.trickle):
                        break
                    self.wfile.write(payload[i:i + 1])
                    self.wfile.flush()
            except OSError:
                pass  # the client gave up
            self.close_connection = True
            return
        self.wfile.write(payload)


class _ThreadingServer(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


class _TlsThreadingServer(_ThreadingServer):
    def __init__(self, address, handler, context):
        self.context = context
        super().__init__(address, handler)

    def get_request(self):
        sock, address = self.socket.accept()
        # The handshake happens on the first read, in the handler's thread.
        return self.context.wrap_socket(sock, server_side=True,
                                        do_handshake_on_connect=False), address


class FaultServer:
    def __init__(self, routes, port=0, host="127.0.0.1", tls=None):
        if tls:
            context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
            context.load_cert_chain(*tls)
            self.server = _TlsThreadingServer((host, port), _FaultHandler, context)
        else:
            self.server = _ThreadingServer((host, port), _FaultHandler)
        self.scheme = "https" if tls else "http"
        self.server.routes = dict(routes)
        self.server.requests = []
        self.server.served = {}
        self.server.lock = threading.Lock()
        self.server.closing = threading.Event()
        self._lock, self._requests = self.server.lock, self.server.requests
        self.host = host
        self.port = self.server.server_address[1]
        self._thread = threading.Thread(target=self.server.serve_forever,
                                        kwargs={"poll_interval": 0.05}, daemon=True)
        self._thread.start()

    @property
    def requests(self):
        # Still readable after stop.
        with self._lock:
            return list(self._requests)

    def request_count(self, path=None):
        return len([r for r in self.requests if path is None or r.path.split("?")[0] == path])

    def url(self, path):
        return "%s://%s:%d%s" % (self.scheme, self.host, self.port, path)

    def stop(self):
        if self.server:
            self.server.closing.set()
            self.server.shutdown()
            self.server.server_close()
            self.server = None

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()


class _Listener:
    """A loopback listening socket whose accepted connections go to
    `_handle` on the accepting thread. stop() closes the listener and, with
    a reset, every connection still held, so that the port is free again at
    once (no TIME_WAIT)."""

    def __init__(self, port=0, host="127.0.0.1"):
        self._sock = socket.socket()
        self._sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self._sock.bind((host, port))
        self._sock.listen(16)
        self._sock.settimeout(0.1)
        self.port = self._sock.getsockname()[1]
        self.accepted = 0
        self._held = []
        self._closing = threading.Event()
        self._thread = threading.Thread(target=self._accept, daemon=True)
        self._thread.start()

    def _accept(self):
        while not self._closing.is_set():
            try:
                conn, _ = self._sock.accept()
            except socket.timeout:
                continue
            except OSError:
                return
            self.accepted += 1
            self._handle(conn)

    def _handle(self, conn):
        self._held.append(conn)

    def stop(self):
        self._closing.set()
        self._thread.join(timeout=5)
        for conn in self._held:
            try:
                conn.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
                conn.close()
            except OSError:
                pass
        self._sock.close()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()


class SilentListener(_Listener):
    """Accepts and never answers: what a black-holed server looks like once
    the connection stands."""


class TrickleServer(_Listener):
    """Answers every request with 200 and a Content-Length of `size`, then
    sends `chunk` bytes every `interval` seconds: a download far too slow to
    end during a test."""

    def __init__(self, port=0, size=300000, chunk=1000, interval=1.0):
        self._size, self._chunk, self._interval = size, chunk, interval
        _Listener.__init__(self, port)

    def _handle(self, conn):
        self._held.append(conn)
        threading.Thread(target=self._answer, args=(conn,), daemon=True).start()

    def _answer(self, conn):
        try:
            conn.recv(65536)
            conn.sendall(b"HTTP/1.1 200 OK\r\nContent-Length: %d\r\n\r\n" % self._size)
            while not self._closing.is_set():
                conn.sendall(b"x" * self._chunk)
                self._closing.wait(self._interval)
        except OSError:
            pass


class CuttingProxy(_Listener):
    """Relays to a loopback server and cuts the body of the first answers:
    a broken transfer in front of a server that honours ranges (nginx). One
    request per connection: the client's request head goes up, the answer
    comes back (cut after `cut_after` body bytes), then both close."""

    def __init__(self, upstream_port, cut_after, port=0, cuts=1):
        self._upstream, self._cut_after, self._cuts_left = upstream_port, cut_after, cuts
        _Listener.__init__(self, port)

    def _handle(self, client):
        cut = self._cuts_left > 0
        self._cuts_left -= 1
        threading.Thread(target=self._relay, args=(client, cut), daemon=True).start()

    @staticmethod
    def _read_head(sock, data=b""):
        while b"\r\n\r\n" not in data:
            more = sock.recv(65536)
            if not more:
                break
            data += more
        return data

    def _relay(self, client, cut):
        with client, socket.create_connection(("127.0.0.1", self._upstream)) as upstream:
            try:
                upstream.sendall(self._read_head(client))
                answer = self._read_head(upstream)
                # Bytes that may still go out: the head and cut_after of the body.
                room = answer.find(b"\r\n\r\n") + 4 + self._cut_after if cut else None
                while answer:
                    if room is not None:
                        answer, room = answer[:room], room - len(answer[:room])
                    client.sendall(answer)
                    if room == 0:
                        break
                    answer = upstream.recv(65536)
            except OSError:
                pass




# --- an authenticating proxy -------------------------------------------------

ProxyRequest = collections.namedtuple("ProxyRequest", "method url user status")


class SquidProxy:
    """squid asking for Basic credentials (basic_ncsa_auth, a password file
    made by openssl) on a free loopback port, with its files in a temporary
    folder; CONNECT to `open_ports` passes without them."""

    def __init__(self, user, password, open_ports=()):
        self.port = free_port()
        # squid started by root works as the user "proxy": it must read the
        # folder and write its logs.
        self.dir = tempfile.mkdtemp(prefix="li_squid_")
        os.chmod(self.dir, 0o777)
        hashed = subprocess.run(["openssl", "passwd", "-apr1", password], check=True,
                                stdout=subprocess.PIPE).stdout.decode().strip()
        with open(os.path.join(self.dir, "passwd"), "w") as f:
            f.write("%s:%s\n" % (user, hashed))
        open_acl = ("acl open_port port %s\nhttp_access allow CONNECT open_port\n"
                    % " ".join(map(str, open_ports))) if open_ports else ""
        with open(os.path.join(self.dir, "squid.conf"), "w") as f:
            f.write(_SQUID_CONF.format(port=self.port, dir=self.dir, open_acl=open_acl))
        self._process = subprocess.Popen(["squid", "-N", "-f", self.dir + "/squid.conf"],
                                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            wait_until_listening("127.0.0.1", self.port, timeout=20)
        except Exception:
            self.stop()
            raise

    def requests(self):
        """From the access log: time elapsed client result/status bytes
        method url user ..."""
        with open(os.path.join(self.dir, "access.log")) as f:
            return [ProxyRequest(x[5], x[6], x[7], int(x[3].partition("/")[2]))
                    for x in (line.split() for line in f) if len(x) > 7]

    def stop(self):
        self._process.terminate()
        self._process.wait(timeout=30)
        shutil.rmtree(self.dir, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()


_SQUID_CONF = """http_port 127.0.0.1:{port}
pid_filename {dir}/squid.pid
access_log stdio:{dir}/access.log
cache_log {dir}/cache.log
cache deny all
shutdown_lifetime 0 seconds
auth_param basic program /usr/lib/squid/basic_ncsa_auth {dir}/passwd
auth_param basic realm lite_installer test proxy
acl authed proxy_auth REQUIRED
{open_acl}http_access allow authed
http_access deny all
"""
_INTERNET_SETTINGS = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings"


@contextlib.contextmanager
def system_proxy(port):
    """The prefix's user has 127.0.0.1:port as the system proxy, set where a
    user sets it, with no ProxyOverride: Wine's WinINet then sends loopback
    requests through it too (measured: no implicit bypass of local hosts)."""
    def setting(name, kind, data):
        winelib.reg("add", _INTERNET_SETTINGS, "/v", name, "/t", kind, "/d", data, "/f")
    setting("ProxyServer", "REG_SZ", "127.0.0.1:%d" % port)
    setting("ProxyEnable", "REG_DWORD", "1")
    winelib.reg("delete", _INTERNET_SETTINGS, "/v", "ProxyOverride", "/f")
    try:
        yield
    finally:
        setting("ProxyEnable", "REG_DWORD", "0")
