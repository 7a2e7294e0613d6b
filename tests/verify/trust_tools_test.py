"""Host tests of the publisher tools (make_trusted_info.py, sign_trusted_info.py),
the test PKI helpers they share, the key table generator and the release
guard against development keys.

    trust_tools_test.py <source dir> <cmake>
"""
import base64
import json
import os
import subprocess
import sys
import tempfile
import unittest

from support import pki

SOURCE = os.path.abspath(sys.argv[1]) if len(sys.argv) > 1 else os.getcwd()
CMAKE = sys.argv[2] if len(sys.argv) > 2 else "cmake"

TOOLS = os.path.join(SOURCE, "tools")
GENERATOR = os.path.join(SOURCE, "verify", "generate_key_table.cmake")


def run(argv, **kw):
    return subprocess.run(argv, stdout=subprocess.PIPE, stderr=subprocess.PIPE, **kw)


def rsa_key(folder, name, bits=1024, exponent=65537):
    path = os.path.join(folder, name)
    p = run(["openssl", "genpkey", "-algorithm", "RSA", "-pkeyopt", "rsa_keygen_bits:%d" % bits,
             "-pkeyopt", "rsa_keygen_pubexp:%d" % exponent, "-out", path])
    assert p.returncode == 0, p.stderr
    return path


def public_pem(key):
    return run(["openssl", "pkey", "-in", key, "-pubout"]).stdout.decode()


class TrustedInfoTool(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        cls.pki = pki.make_pki(cls.tmp.name)
        cls.other = pki.make_leaf(cls.pki, "Other_Signer", 0x123457)

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def test_identity_is_issuer_serial_then_leaf_serial_with_der_sign_byte(self):
        # 0x8C3E5F01 has its high bit set: DER holds 00 8C 3E 5F 01.
        self.assertEqual(bytes.fromhex("0a0b" "008c3e5f01"), pki.certificate_id(self.pki.leaf))
        self.assertEqual(bytes.fromhex("0a0b" "123457"), pki.certificate_id(self.other))

    def test_document_lists_each_chain_once_in_standard_base64(self):
        document = pki.trusted_json(self.pki.leaf, self.other, self.pki.leaf)
        parsed = json.loads(document)
        ids = [c["id"] for c in parsed["trusted_info"]["certificates"]]
        self.assertEqual([base64.b64encode(pki.certificate_id(self.pki.leaf)).decode(),
                          base64.b64encode(pki.certificate_id(self.other)).decode()], ids)
        self.assertEqual(["trusted_info"], list(parsed))

    def test_chain_without_issuer_is_refused(self):
        p = run([sys.executable, os.path.join(TOOLS, "make_trusted_info.py"),
                 self.pki.leaf.cert_pem])
        self.assertNotEqual(0, p.returncode)
        self.assertIn(b"issuing CA", p.stderr)


class SignatureTool(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.document = b'{"trusted_info": {"certificates": []}}\n'

    def tearDown(self):
        self.tmp.cleanup()

    def test_signature_dat_is_little_endian_id_and_openssl_verifiable_signature(self):
        key = rsa_key(self.tmp.name, "k.pem")
        dat = pki.signature_dat(self.document, key_id=3, key=key)
        self.assertEqual(130, len(dat))
        self.assertEqual(b"\x03\x00", dat[:2])
        paths = {n: os.path.join(self.tmp.name, n) for n in ("doc", "sig", "pub.pem")}
        for name, data in (("doc", self.document), ("sig", dat[2:]),
                           ("pub.pem", public_pem(key).encode())):
            with open(paths[name], "wb") as f:
                f.write(data)
        p = run(["openssl", "dgst", "-sha1", "-verify", paths["pub.pem"], "-signature",
                 paths["sig"], paths["doc"]])
        self.assertEqual(0, p.returncode, p.stdout + p.stderr)

    def test_key_ids_outside_the_table_and_other_key_sizes_are_refused(self):
        key = rsa_key(self.tmp.name, "k.pem")
        with self.assertRaises(RuntimeError):
            pki.signature_dat(self.document, key_id=10, key=key)
        big = rsa_key(self.tmp.name, "big.pem", bits=2048)
        with self.assertRaises(RuntimeError):
            pki.signature_dat(self.document, key_id=0, key=big)


class KeyTableGenerator(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.keys = [public_pem(rsa_key(self.tmp.name, "k%d.pem" % i)) for i in range(10)]

    def tearDown(self):
        self.tmp.cleanup()

    def generate(self, pems):
        keys = os.path.join(self.tmp.name, "keys.pem")
        out = os.path.join(self.tmp.name, "table.cc")
        with open(keys, "w") as f:
            f.write("".join(pems))
        p = run([CMAKE, "-DKEYS_FILE=" + keys, "-DOUTPUT=" + out, "-P", GENERATOR])
        text = open(out).read() if p.returncode == 0 else ""
        return p, text

    def test_ten_keys_become_rows_0_to_9_in_file_order(self):
        p, text = self.generate(self.keys)
        self.assertEqual(0, p.returncode, p.stderr)
        for i, pem in enumerate(self.keys):
            body = "".join(pem.splitlines()[1:-1])
            self.assertEqual(216, len(body))
            self.assertIn('{%d, "%s"},' % (i, body), text)

    def test_wrong_count_size_or_exponent_stops_the_build(self):
        self.assertNotEqual(0, self.generate(self.keys[:9])[0].returncode)
        self.assertNotEqual(0, self.generate(self.keys + self.keys[:1])[0].returncode)
        big = public_pem(rsa_key(self.tmp.name, "big.pem", bits=2048))
        self.assertNotEqual(0, self.generate(self.keys[:9] + [big])[0].returncode)
        e3 = public_pem(rsa_key(self.tmp.name, "e3.pem", exponent=3))
        p, _ = self.generate([e3] + self.keys[1:])
        self.assertNotEqual(0, p.returncode)
        self.assertIn(b"key 0 is not an RSA-1024", p.stderr)


class ReleaseGuard(unittest.TestCase):
    def configure(self, *options):
        with tempfile.TemporaryDirectory() as build:
            return run([CMAKE, "-S", SOURCE, "-B", build, "-DLI_RELEASE=ON"] + list(options))

    def test_release_build_refuses_development_keys(self):
        p = self.configure("-DLI_SANITIZE=OFF")
        self.assertNotEqual(0, p.returncode)
        self.assertIn(b"LI_TRUST_KEYS_FILE is empty", p.stderr)

    def test_release_windows_build_refuses_development_keys(self):
        # The build that embeds the key table: it must stop before it makes any.
        p = self.configure("-DCMAKE_TOOLCHAIN_FILE=" + os.path.join(SOURCE, "cmake",
                                                                    "mingw-i686.cmake"))
        self.assertNotEqual(0, p.returncode)
        self.assertIn(b"LI_TRUST_KEYS_FILE is empty", p.stderr)
        self.assertNotIn(b"DEVELOPMENT TRUST KEYS", p.stderr)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
