"""The downloader and the download attempt under Wine, against loopback servers:
what the install flow and the reports get back (result, error text, redirect,
content length, sink bytes), what the server received, and the log lines.

Runs download_probe.exe (one attempt per run) against nginx (files, ranges,
redirects, HTTPS) and the fault-injecting server (cut bodies, no length,
error statuses, request counts, silence, stalls, redirect loops). Measured
Wine 8 behaviour is asserted where it decides an outcome (a cut body read as
a clean end, an untrusted certificate reported as 12057, timeouts that Wine
names 12030 or 10060 recorded as 12002). The bounds come from the build
(its short test values: each case of silence takes a few seconds).
"""
import hashlib
import os
import shutil
import tempfile
import unittest

from support import installer_log, servers, winelib

PROBE = os.path.join(winelib.BIN, "download_probe.exe")
AGENT = "Tavrix.Browser lite installer"
OPEN = "lite_installer::Downloader::OpenDownload"
READ = "lite_installer::Downloader::ReadChunk"
FINALIZE = "lite_installer::Downloader::FinalizeDownload"


class Probe:
    """One run of download_probe.exe: the printed values, the observer calls
    and the log lines it wrote."""

    def __init__(self, work, *args):
        log = os.path.join(work, "probe.log")
        if os.path.exists(log):
            os.remove(log)
        p = winelib.wine([PROBE, "--log=" + winelib.win_path(log)] + list(args), timeout=60)
        if p.returncode != 0:
            raise AssertionError("probe failed %d: %s %s" % (p.returncode, p.stdout, p.stderr))
        self.values = {}
        self.observer = []
        for line in p.stdout.splitlines():
            key, _, value = line.partition("=")
            if key == "observer":
                self.observer.append(value)
            elif key == "extra_read":
                self.values.setdefault("extra_reads", []).append(int(value))
            else:
                self.values[key] = value
        self.log = installer_log.read(log)

    def __getitem__(self, key):
        return self.values[key]

    def number(self, key):
        return int(self.values[key])

    def messages(self, function):
        """Messages of one function, without the last-error text of ERROR
        lines."""
        return installer_log.messages(self.log, function)

    def error_lines(self):
        return [e for e in self.log if e.level == "ERROR"]


def sha(data):
    return hashlib.sha256(data).hexdigest()


class DownloaderTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.mkdtemp(prefix="li_dl_")
        cls.docroot = os.path.join(cls.work, "root")
        os.makedirs(cls.docroot)
        # Several chunks of 32768 bytes and a partial one.
        cls.payload = os.urandom(200000)
        with open(os.path.join(cls.docroot, "setup.exe"), "wb") as f:
            f.write(cls.payload)
        open(os.path.join(cls.docroot, "empty.bin"), "wb").close()
        port = servers.free_port()
        cls.files = servers.FileServer(cls.docroot, port=port, redirects={
            "/first": "http://127.0.0.2:%d/second" % port,
            "/second": "http://localhost:%d/setup.exe" % port,
        })

    @classmethod
    def tearDownClass(cls):
        cls.files.stop()
        shutil.rmtree(cls.work, ignore_errors=True)

    def setUp(self):
        self.files.clear_requests()

    def probe(self, *args):
        return Probe(self.work, *args)

    def path(self, name):
        return os.path.join(self.work, name)

    def read(self, name):
        with open(self.path(name), "rb") as f:
            return f.read()


class Download(DownloaderTest):
    def test_whole_file_arrives_in_memory_with_progress_from_5_to_40(self):
        p = self.probe("--observer", "--dump=" + winelib.win_path(self.path("m.bin")),
                       self.files.url("/setup.exe"))
        self.assertEqual(p["result"], "1")
        self.assertEqual(p["error"], "")
        self.assertEqual(p.number("content_length"), 200000)
        self.assertEqual(p.number("sink_total"), 200000)
        self.assertEqual(sha(self.read("m.bin")), sha(self.payload))
        self.assertEqual(p.observer[:2], ["SetProgress(5)", "SetTimeLeft(-1,0)"])
        self.assertEqual(p.observer[-2:], ["SetProgress(40)", "SetTimeLeft(240,2)"])
        percents = [int(c[12:-1]) for c in p.observer if c.startswith("SetProgress(")]
        self.assertEqual(percents, sorted(percents))
        self.assertEqual(p.messages(OPEN),
                         ["Connection established: " + self.files.url("/setup.exe")])
        self.assertEqual(p.error_lines(), [])

    def test_file_sink_holds_the_exact_bytes(self):
        p = self.probe("--sink=file", "--file=" + winelib.win_path(self.path("f.bin")),
                       self.files.url("/setup.exe"))
        self.assertEqual(p["result"], "1")
        self.assertEqual(p.number("file_size"), 200000)
        self.assertEqual(sha(self.read("f.bin")), sha(self.payload))

    def test_request_is_a_plain_get_with_agent_and_accept(self):
        self.probe(self.files.url("/setup.exe"))
        [r] = self.files.wait_for_requests(1)
        self.assertEqual((r.method, r.path, r.user_agent, r.accept, r.range),
                         ("GET", "/setup.exe", AGENT, "*/*", ""))

    def test_empty_body_succeeds_on_the_status_alone(self):
        p = self.probe("--steps", self.files.url("/empty.bin"))
        self.assertEqual((p["open"], p["chunks"], p["result"], p["error"]), ("1", "0", "1", ""))
        self.assertEqual(p.number("content_length"), 0)

    def test_two_redirects_report_the_second_target(self):
        target = "http://localhost:%d/setup.exe" % self.files.port
        p = self.probe("--dump=" + winelib.win_path(self.path("r.bin")), self.files.url("/first"))
        self.assertEqual(p["result"], "1")
        self.assertEqual(p["redirect"], target)
        self.assertEqual(sha(self.read("r.bin")), sha(self.payload))
        hosts = [(r.path, r.host) for r in self.files.wait_for_requests(3)]
        port = self.files.port
        self.assertEqual(hosts, [("/first", "127.0.0.1:%d" % port),
                                 ("/second", "127.0.0.2:%d" % port),
                                 ("/setup.exe", "localhost:%d" % port)])

    def test_no_redirect_leaves_the_redirect_empty(self):
        p = self.probe(self.files.url("/setup.exe"))
        self.assertEqual(p["redirect"], "")

    def test_not_found_reads_the_body_then_fails_with_the_status(self):
        p = self.probe("--steps", self.files.url("/missing.exe"))
        self.assertEqual(p["open"], "1")
        self.assertRegex(p["error"], r"^final_query_info-404-\d+$")
        self.assertEqual(p.number("sink_total"), p.number("content_length"))
        self.assertGreater(p.number("sink_total"), 0)
        self.assertEqual(p.messages(FINALIZE),
                         ["Unsuccessful download: " + self.files.url("/missing.exe")])

    def test_refused_connection_fails_at_open(self):
        url = "http://127.0.0.1:%d/setup.exe" % servers.free_port()
        p = self.probe("--observer", url)
        self.assertEqual(p["result"], "0")
        self.assertEqual(p["error"], "internet_open_url-12029")  # ERROR_INTERNET_CANNOT_CONNECT
        self.assertEqual(p.observer, [])
        self.assertEqual(p.messages(OPEN), [])


class Resume(DownloaderTest):
    """A sink holding the first 120000 bytes of the served file: whatever the
    server answers to the range request, the finished file is the served one."""

    OFFSET = 120000

    def resume(self, url, origin=None):
        args = ["--sink=file", "--file=" + winelib.win_path(self.path("resume.bin")),
                "--initial=%d" % self.OFFSET,
                "--initial-from=" + winelib.win_path(os.path.join(self.docroot, "setup.exe")),
                "--observer"]
        if origin is not None:
            args.append("--origin=%s,%d" % origin)
        p = self.probe(*(args + [url]))
        self.assertEqual((p["result"], p["error"]), ("1", ""))
        self.assertEqual(sha(self.read("resume.bin")), sha(self.payload))
        self.assertEqual(p.number("sink_total"), len(self.payload))
        self.assertEqual(p.number("content_length"), len(self.payload))
        return p

    def etag(self):
        self.probe(self.files.url("/setup.exe"))
        p = self.probe(self.files.url("/setup.exe"))
        return p["origin"].rsplit(",", 1)[0]

    def test_nginx_sends_the_rest_of_the_same_file(self):
        etag = self.etag()
        self.assertRegex(etag, r'^"[0-9a-f]+-[0-9a-f]+"$')
        for origin in ((etag, len(self.payload)), ("", 0)):
            with self.subTest(origin=origin):
                self.files.clear_requests()
                p = self.resume(self.files.url("/setup.exe"), origin)
                [r] = self.files.wait_for_requests(1)
                self.assertEqual((r.status, r.range), (206, "bytes=%d-" % self.OFFSET))
                self.assertEqual(r.bytes_sent, len(self.payload) - self.OFFSET)
                # A resumed attempt keeps the progress shown so far.
                self.assertNotIn("SetProgress(5)", p.observer)
                self.assertEqual(p.observer[-2:], ["SetProgress(40)", "SetTimeLeft(240,2)"])
                self.assertEqual(p.error_lines(), [])

    def test_another_version_of_the_file_is_fetched_whole(self):
        # If-Range with a validator nginx does not have: the whole file (200).
        p = self.resume(self.files.url("/setup.exe"), ('"an-older-build"', len(self.payload)))
        [r] = self.files.wait_for_requests(1)
        self.assertEqual((r.status, r.bytes_sent), (200, len(self.payload)))
        self.assertEqual(p["origin"], "%s,%d" % (self.etag(), len(self.payload)))
        self.assertIn("Resume at byte %d refused (status 200); the download starts again from "
                      "byte 0." % self.OFFSET, p.messages(OPEN))

    def test_servers_that_do_not_continue_the_file_get_a_clean_restart(self):
        body = self.payload
        wrong = "bytes 0-%d/%d" % (len(body) - 1, len(body))
        cases = {
            # (routes, requests made, what each asked for)
            "ignores ranges": ([servers.Route(body=body)], 1),
            "not satisfiable": ([servers.Route(status=416, body=b"no"), servers.Route(body=body)], 2),
            "wrong range": ([servers.Route(status=206, body=body, headers={"Content-Range": wrong}),
                             servers.Route(body=body)], 2),
            "no range": ([servers.Route(status=206, body=body[self.OFFSET:]),
                          servers.Route(body=body)], 2),
            "another size": ([servers.Route(status=206, body=body[self.OFFSET:], headers={
                "Content-Range": "bytes %d-%d/%d" % (self.OFFSET, len(body) - 1, len(body))}),
                servers.Route(body=body)], 2),
        }
        for name, (routes, count) in cases.items():
            with self.subTest(name):
                with servers.FaultServer({"/f": routes}) as fault:
                    origin = ("", len(body) + 1) if name == "another size" else None
                    self.resume(fault.url("/f"), origin)
                    ranges = [r.headers.get("range") for r in fault.requests]
                self.assertEqual(ranges, ["bytes=%d-" % self.OFFSET] + [None] * (count - 1))


class Bounds(DownloaderTest):
    """Silence ends within the build's bounds, with the error text of the
    step that waited (stalls mid-body and redirect loops: the five faults of
    silent_install_wine_test.py)."""

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.bounds = servers.request_bounds()
        if not cls.bounds.short:
            raise unittest.SkipTest("the build has the real bounds: these cases would take minutes")

    def timed(self, *args):
        p = self.probe(*args)
        return p, p.number("elapsed_ms") / 1000.0

    def test_server_that_never_answers_ends_the_attempt_at_the_receive_timeout(self):
        receive = self.bounds.download.receive_ms / 1000.0
        with servers.FaultServer({"/f": servers.Route(hang=True)}) as fault:
            p, took = self.timed("--observer", fault.url("/f"))
        self.assertEqual((p["result"], p["error"]), ("0", "internet_open_url-12002"))
        self.assertGreaterEqual(took, receive - 0.1)
        self.assertLess(took, receive + 3)
        self.assertEqual(p.observer, [])

    def test_silent_tls_handshake_ends_at_the_opening_bound(self):
        # Wine ignores the receive timeout during a TLS handshake: only the
        # helper thread's deadline ends this one.
        d = self.bounds.download
        idle = (d.connect_ms + d.send_ms + d.receive_ms) / 1000.0
        with servers.SilentListener() as silent:
            p, took = self.timed("https://127.0.0.1:%d/f" % silent.port)
        self.assertEqual(p["error"], "internet_open_url-12002")
        self.assertGreaterEqual(took, idle - 0.1)
        self.assertLess(took, idle + 3)

    def test_stop_ends_a_silent_opening_at_once(self):
        with servers.SilentListener() as silent:
            p, took = self.timed("--stop", "--observer", "https://127.0.0.1:%d/f" % silent.port)
        self.assertEqual(p["error"], "internet_open_url-12017")  # operation cancelled
        self.assertLess(took, 1.5)

    def test_report_is_dropped_after_its_whole_bound(self):
        total = self.bounds.report.total_ms / 1000.0
        # Silent at the TLS handshake, and an answer that comes byte by
        # byte, each byte well within the receive timeout.
        with servers.SilentListener() as silent, servers.FaultServer(
                {"/r": servers.Route(body=b"x" * 100, trickle=1.0)}) as trickle:
            for url, error in (("https://127.0.0.1:%d/r" % silent.port, "internet_open_url-12002"),
                               (trickle.url("/r"), "internet_read-12002")):
                with self.subTest(url=url):
                    p, took = self.timed("--report", url)
                    self.assertEqual((p["result"], p["error"]), ("0", error))
                    self.assertGreaterEqual(took, total - 0.1)
                    self.assertLess(took, total + 2)
                    self.assertEqual(p.number("sink_total"), 0)


class Faults(DownloaderTest):
    def setUp(self):
        super().setUp()
        self.body = os.urandom(100000)
        self.faults = servers.FaultServer({
            "/cut": servers.Route(body=self.body, cut_at=50000),
            # The reset waits until the client reads: a reset discards what
            # the client had not read yet, the answer's head too.
            "/reset": servers.Route(body=self.body, cut_at=50000, cut="reset", stall=0.3),
            "/nolength": servers.Route(body=self.body, content_length=False),
            "/big404": servers.Route(body=self.body, status=404),
            "/error": servers.Route(body=b"internal", status=500),
            "/partial": servers.Route(body=b"abc", status=206),
            "/nocontent": servers.Route(status=204),
            "/ranges": servers.Route(body=self.body, ranges=True),
        })

    def tearDown(self):
        self.faults.stop()

    def test_body_cut_short_is_a_read_error_and_keeps_what_arrived(self):
        # Wine hands a body closed before its Content-Length to the caller as
        # a clean end; the downloader must still not call it complete. A
        # reset discards what the client had not read yet (then the failed
        # read says 10054, WSAECONNRESET): what is kept is still the start of
        # the body.
        for route, errors, least in (("/cut", ["internet_read-12030"], 50000),
                                     ("/reset", ["internet_read-12030", "internet_read-10054"], 0)):
            with self.subTest(route=route):
                p = self.probe("--steps", "--sink=file",
                               "--file=" + winelib.win_path(self.path("c.bin")),
                               self.faults.url(route))
                self.assertEqual(p["result"], "0")
                self.assertIn(p["error"], errors)
                kept = p.number("sink_total")
                self.assertTrue(least <= kept <= 50000, kept)
                self.assertEqual(self.read("c.bin"), self.body[:kept])
                self.assertEqual(p.messages(READ), ["Download chunk error."])
                self.assertEqual(p.messages(FINALIZE), [])

    def test_a_file_that_cannot_fit_is_not_begun_and_the_kept_part_goes(self):
        # The sink sees the free space of its file's folder as the host does.
        p = self.probe("--sink=file", "--file=" + winelib.win_path(self.path("d.bin")),
                       self.faults.url("/nocontent"))
        host = os.statvfs(self.work)
        self.assertAlmostEqual(p.number("free_space"), host.f_bavail * host.f_frsize, delta=1 << 30)
        # 5000 bytes kept, the server continues them, 1000 bytes free.
        p = self.probe("--sink=file", "--file=" + winelib.win_path(self.path("d.bin")),
                       "--initial=5000", "--free=1000", "--observer", self.faults.url("/ranges"))
        self.assertEqual((p["result"], p["error"]), ("0", "write_file-112"))
        self.assertEqual((p.number("sink_total"), p.number("file_size")), (0, 0))
        self.assertEqual(p.messages(OPEN), ["Not enough free disk space for the download: 95000 "
                                            "bytes to come, 1000 bytes free."])
        self.assertEqual(p.observer, [])
        self.assertEqual([r.headers.get("range") for r in self.faults.requests], [None, "bytes=5000-"])

    def test_after_an_error_reads_do_not_touch_the_network(self):
        p = self.probe("--steps", "--extra-reads=3", self.faults.url("/cut"))
        self.assertEqual(p.values["extra_reads"], [0, 0, 0])
        self.assertEqual(p["error"], "internet_read-12030")
        self.assertEqual(self.faults.request_count(), 1)

    def test_missing_length_gives_no_proportional_progress(self):
        p = self.probe("--observer", "--dump=" + winelib.win_path(self.path("n.bin")),
                       self.faults.url("/nolength"))
        self.assertEqual(p["result"], "1")
        self.assertEqual(p.number("content_length"), 0)
        self.assertEqual(self.read("n.bin"), self.body)
        self.assertEqual(p.observer, ["SetProgress(5)", "SetTimeLeft(-1,0)", "SetProgress(40)",
                                      "SetTimeLeft(240,2)"])

    def test_error_status_fails_after_reading_every_chunk(self):
        p = self.probe("--steps", self.faults.url("/big404"))
        self.assertRegex(p["error"], r"^final_query_info-404-\d+$")
        self.assertEqual(p.number("sink_total"), 100000)
        self.assertGreaterEqual(int(p["chunks"]), 4)  # 32768 bytes at most per chunk

    def test_every_status_but_200_fails(self):
        for route, status in (("/error", 500), ("/partial", 206), ("/nocontent", 204)):
            with self.subTest(route=route):
                p = self.probe("--steps", self.faults.url(route))
                self.assertEqual(p["open"], "1")
                self.assertEqual(p["result"], "0")
                self.assertRegex(p["error"], r"^final_query_info-%d-\d+$" % status)

    def test_stop_before_the_first_chunk_reads_nothing(self):
        # The stop ends the opening already: nothing is shown, nothing read.
        p = self.probe("--stop", "--observer", self.faults.url("/nolength"))
        self.assertEqual(p["result"], "0")
        self.assertEqual(p["error"], "internet_open_url-12017")
        self.assertEqual(p.number("sink_total"), 0)
        self.assertEqual(p.observer, [])

    def test_write_failure_is_recorded_and_stops_the_download(self):
        p = self.probe("--steps", "--sink=readonly", "--extra-reads=1",
                       "--file=" + winelib.win_path(self.path("ro.bin")), self.faults.url("/nolength"))
        self.assertEqual(p["error"], "write_file-5")  # ERROR_ACCESS_DENIED
        self.assertEqual(p["chunks"], "0")
        self.assertEqual(p.values["extra_reads"], [0])
        self.assertEqual(p.number("sink_total"), 0)
        self.assertEqual(p.messages(READ), ["Write file error."])


class Https(DownloaderTest):
    def test_status_endpoint_answers_when_its_ca_is_trusted_in_the_prefix(self):
        with servers.StatusEndpoint(port=servers.free_port()) as status:
            url = status.url + "?status=success&downloaded=5&ui=ID"
            p = self.probe("--steps", url)
            self.assertEqual((p["result"], p["error"]), ("1", ""))
            [r] = status.wait_for_requests(1)
            self.assertEqual(r.scheme, "https")
            self.assertEqual(r.path, servers.path_of(status.url))
            self.assertEqual(r.params, [("status", "success"), ("downloaded", "5"), ("ui", "ID")])

    def test_untrusted_certificate_fails_at_open_without_a_request(self):
        with servers.StatusEndpoint(port=servers.free_port(), trust=False) as status:
            p = self.probe("--steps", status.url)
            # Wine 8 reports the unknown root as ERROR_INTERNET_SEC_CERT_REV_FAILED.
            self.assertEqual(p["error"], "internet_open_url-12057")
            self.assertEqual(p["open"], "0")
            self.assertEqual(status.requests(), [])

    def test_unreachable_endpoint_fails_at_open(self):
        p = self.probe("--steps", "https://127.0.0.1:%d/get/browser/install" % servers.free_port())
        self.assertEqual(p["error"], "internet_open_url-12029")


class Helpers(DownloaderTest):
    def test_temp_file_name_creates_an_empty_xb_file(self):
        p = self.probe("--temp-name=" + winelib.win_path(self.work))
        name = p["temp_name"]
        self.assertRegex(name, r"\\xb[0-9A-Fa-f]+\.tmp$")
        host = winelib.host_path(name)
        self.assertTrue(os.path.isfile(host))
        self.assertEqual(os.path.getsize(host), 0)

    def test_temp_file_name_is_empty_without_a_usable_directory(self):
        self.assertEqual(self.probe("--temp-name=")["temp_name"], "")
        missing = winelib.win_path(os.path.join(self.work, "missing"))
        self.assertEqual(self.probe("--temp-name=" + missing)["temp_name"], "")

    def test_escaping_as_the_reports_send_it(self):
        # Wine's UrlEscapeW with URL_ESCAPE_SEGMENT_ONLY: "/", "?", "#", "&" and
        # blanks are escaped; ":", "=", "%" and "+" are kept.
        cases = {
            "http://127.0.0.1:18080/browser/setup.exe":
                "http:%2F%2F127.0.0.1:18080%2Fbrowser%2Fsetup.exe",
            "internet_read-12002": "internet_read-12002",
            "a b&c=d?e#f/g%h+i": "a%20b%26c=d%3Fe%23f%2Fg%h+i",
        }
        for text, expected in cases.items():
            with self.subTest(text=text):
                self.assertEqual(self.probe("--escape=" + text)["escaped"], expected)

    def test_host_of_a_url_is_the_decoded_host_only(self):
        cases = {
            "HTTP://User:pw@Mirror.Test:8080/a/../b?c=1#d": "Mirror.Test",
            "http://%6Di.test/": "mi.test",
            "http://127.0.0.2:18080/setup.exe": "127.0.0.2",
            "not a url": "",
        }
        for url, host in cases.items():
            with self.subTest(url=url):
                self.assertEqual(self.probe("--host=" + url)["host"], host)


if __name__ == "__main__":
    unittest.main(verbosity=2)
