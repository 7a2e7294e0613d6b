"""The test servers themselves, on the host without Wine: what the download
and report tests rely on (ranges, redirects, access-log fields, injected
faults, a port already taken, the test certificate chain)."""
import http.client
import os
import shutil
import socket
import subprocess
import tempfile
import unittest

from support import servers


def get(port, path, host="127.0.0.1", headers=None):
    c = http.client.HTTPConnection(host, port, timeout=10)
    c.request("GET", path, headers=headers or {})
    r = c.getresponse()
    try:
        body = r.read()
    except http.client.IncompleteRead as e:
        body = e.partial
    c.close()
    return r.status, dict((k.lower(), v) for k, v in r.getheaders()), body


class NginxServers(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dir = tempfile.mkdtemp(prefix="li_srv_")
        cls.data = os.urandom(70000)
        with open(os.path.join(cls.dir, "f.bin"), "wb") as f:
            f.write(cls.data)
        cls.port = servers.free_port()
        cls.files = servers.FileServer(cls.dir, port=cls.port, redirects={
            "/r": "http://127.0.0.2:%d/f.bin" % cls.port, "/p": (301, "http://localhost:1/x")})

    @classmethod
    def tearDownClass(cls):
        cls.files.stop()
        shutil.rmtree(cls.dir, ignore_errors=True)

    def test_range_request_gets_the_rest_of_the_file(self):
        status, headers, body = get(self.port, "/f.bin", headers={"Range": "bytes=1000-"})
        self.assertEqual((status, body), (206, self.data[1000:]))

    def test_redirects_and_the_second_host(self):
        self.assertEqual(get(self.port, "/r")[1]["location"],
                         "http://127.0.0.2:%d/f.bin" % self.port)
        self.assertEqual(get(self.port, "/p")[0], 301)
        self.assertEqual(get(self.port, "/f.bin", host="127.0.0.2")[2], self.data)

    def test_access_log_fields(self):
        self.files.clear_requests()
        get(self.port, "/f.bin?a=1&url=http%3A%2F%2Fx&e", headers={
            "User-Agent": "agent one", "Range": "bytes=5-"})
        [r] = self.files.wait_for_requests(1)
        self.assertEqual((r.method, r.path, r.status, r.range, r.user_agent, r.server_port),
                         ("GET", "/f.bin", 206, "bytes=5-", "agent one", self.port))
        self.assertEqual(r.params, [("a", "1"), ("url", "http%3A%2F%2Fx"), ("e", "")])
        self.assertEqual(r.bytes_sent, len(self.data) - 5)

    def test_taken_port_is_refused(self):
        with self.assertRaises(RuntimeError):
            servers.ClickServer(port=self.port)

    def test_click_server_logs_the_whole_uri(self):
        with servers.ClickServer(port=servers.free_port()) as click:
            uri = "/redir/dtype=stred/path=x&dialog_window=liteinstall&clicked_button=install"
            self.assertEqual(get(click.port, uri)[0], 200)
            self.assertEqual(click.wait_for_requests(1)[0].uri, uri)


class FaultRoutes(unittest.TestCase):
    def setUp(self):
        self.body = bytes(range(256)) * 100
        self.server = servers.FaultServer({
            "/cut": servers.Route(body=self.body, cut_at=1000),
            "/nolen": servers.Route(body=self.body, content_length=False),
            "/ranges": servers.Route(body=self.body, ranges=True),
            "/plain": servers.Route(body=self.body),
            "/moved": servers.Route(location="http://127.0.0.1:1/"),
            "/flaky": [servers.Route(status=500), servers.Route(body=b"ok")],
        })

    def tearDown(self):
        self.server.stop()

    def test_cut_announces_everything_and_sends_part(self):
        status, headers, body = get(self.server.port, "/cut")
        self.assertEqual((headers["content-length"], body), (str(len(self.body)), self.body[:1000]))

    def test_missing_length_ends_at_close(self):
        status, headers, body = get(self.server.port, "/nolen")
        self.assertNotIn("content-length", headers)
        self.assertEqual(body, self.body)

    def test_ranges_only_where_asked(self):
        self.assertEqual(get(self.server.port, "/ranges", headers={"Range": "bytes=10-"})[::2],
                         (206, self.body[10:]))
        self.assertEqual(get(self.server.port, "/plain", headers={"Range": "bytes=10-"})[::2],
                         (200, self.body))

    def test_route_sequence_fails_once_then_serves(self):
        self.assertEqual([get(self.server.port, "/flaky")[::2] for _ in range(3)],
                         [(500, b""), (200, b"ok"), (200, b"ok")])

    def test_unknown_path_redirect_and_counting(self):
        self.assertEqual(get(self.server.port, "/none")[0], 404)
        self.assertEqual(get(self.server.port, "/moved")[0], 302)
        self.assertEqual(self.server.request_count(), 2)
        self.assertEqual(self.server.request_count("/moved"), 1)


class Certificates(unittest.TestCase):
    def test_server_certificate_verifies_for_the_loopback_address(self):
        d = tempfile.mkdtemp(prefix="li_ca_")
        try:
            ca = servers.TestCa(os.path.join(d, "ca"))
            cert, _ = ca.issue_server_cert(["127.0.0.1", "localhost"], os.path.join(d, "s"))
            p = subprocess.run(["openssl", "verify", "-CAfile", ca.cert_pem, "-verify_ip",
                                "127.0.0.1", "-purpose", "sslserver", cert],
                               capture_output=True, text=True)
            self.assertEqual(p.returncode, 0, p.stdout + p.stderr)
            self.assertTrue(os.path.getsize(ca.cert_der) > 0)
        finally:
            shutil.rmtree(d, ignore_errors=True)


if __name__ == "__main__":
    unittest.main(verbosity=2)
