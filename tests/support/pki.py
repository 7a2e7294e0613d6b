"""Test PKI and signing helpers for modules that the installer must verify.

Everything is made at test time in a folder the caller gives (nothing is
committed): a root CA, an issuing CA and code-signing leaves (openssl), the
trusted-info document and its SIGNATURE.DAT (tools/make_trusted_info.py and
tools/sign_trusted_info.py with the Windows build's development keys), the two
resources put into an existing Windows image (pki_resource_writer.exe under
Wine, BeginUpdateResourceW), and the Authenticode signature (osslsigncode).
Functions that run Windows programs need the environment of a Wine test
(LI_WINEPREFIX, LI_WIN_BUILD_DIR).

API
  make_pki(folder, ca_serial=0x0A0B, leaf_serial=0x8C3E5F01) -> Pki
      Root "Tavrix Test Root", issuing CA and one leaf ("Tavrix Test Signer"),
      RSA-2048, SHA-256. The default leaf serial has its high bit set, so its
      DER content carries a leading 00 (the identity must keep it).
  make_leaf(pki, name, serial) -> Signer
      Another code-signing leaf under the same issuing CA.
  Pki fields: folder, root_pem, root_der, root_key, ca_pem, ca_key, leaf (Signer).
  Signer fields: cert_pem, key, chain_pem (leaf + issuing CA, the file that
      osslsigncode -certs and make_trusted_info.py take), serial.
  certificate_id(signer) -> bytes       issuer serial + leaf serial (DER content)
  trusted_json(*signers) -> bytes       the document listing them (the tool's output)
  trusted_json_for_ids(ids) -> bytes    the document listing raw identity bytes
  dev_key(key_id) -> path               private half of row key_id of the build's table
  signature_dat(document, key_id=0, key=None) -> bytes
      SIGNATURE.DAT by the tool: key id little-endian + RSA-SHA1 signature.
  raw_signature_dat(key_id_bytes, signature) -> bytes   any bytes, for broken cases
  add_resources(image, out, trusted_json=None, signature_dat=None) -> out
      Copies image to out and puts in "TRUSTED_JSON"/"TRUSTED.JSON" and
      "SIGNATURE_DAT"/"SIGNATURE.DAT" (each only when given).
  sign_image(image, out, signer) -> out
      osslsigncode sign -certs chain -key leaf.key -h sha256 -n "Tavrix.Browser".
  trust_root(pki) / untrust_root(pki)
      Adds the test root to (removes it from) the current user's "Root" store
      of the test prefix; call untrust_root at the end to leave the prefix as
      it was.
  make_trusted_module(image, out, pki, signer=None, key_id=1, document=None, key=None)
      -> document
      The whole publisher chain: document listing the signer (default
      pki.leaf), its SIGNATURE.DAT under dev key key_id, both resources, and
      the Authenticode signature. Returns the document bytes.
"""
import collections
import os
import shutil
import subprocess
import sys
import tempfile

from support import SOURCE, source_module

TOOLS = os.path.join(SOURCE, "tools")
make_trusted_info = source_module("tools/make_trusted_info.py")

Signer = collections.namedtuple("Signer", "cert_pem key chain_pem serial")
Pki = collections.namedtuple("Pki", "folder root_pem root_der root_key ca_pem ca_key leaf")

ROOT_SERIAL = 0x01
PROGRAM_NAME = "Tavrix.Browser"


def _run(argv, cwd=None):
    p = subprocess.run(argv, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    if p.returncode != 0:
        raise RuntimeError("%s failed: %s" % (" ".join(argv), p.stderr.decode(errors="replace")))
    return p.stdout


def _write(path, text):
    with open(path, "w") as f:
        f.write(text)
    return path


def _read(path):
    with open(path, "rb") as f:
        return f.read()


def _issue(folder, name, subject, serial, issuer_pem, issuer_key, extensions):
    key = os.path.join(folder, name + ".key")
    csr = os.path.join(folder, name + ".csr")
    pem = os.path.join(folder, name + ".pem")
    ext = _write(os.path.join(folder, name + ".ext"), "[v3]\n" + extensions)
    _run(["openssl", "req", "-new", "-newkey", "rsa:2048", "-nodes", "-keyout", key,
          "-out", csr, "-subj", subject])
    _run(["openssl", "x509", "-req", "-in", csr, "-CA", issuer_pem, "-CAkey", issuer_key,
          "-set_serial", hex(serial), "-days", "3650", "-sha256", "-extfile", ext,
          "-extensions", "v3", "-out", pem])
    return pem, key


def make_leaf(pki, name, serial):
    """A code-signing certificate under the issuing CA of pki."""
    pem, key = _issue(pki.folder, name, "/CN=%s" % name.replace("_", " "), serial,
                      pki.ca_pem, pki.ca_key,
                      "basicConstraints=critical,CA:FALSE\n"
                      "keyUsage=critical,digitalSignature\n"
                      "extendedKeyUsage=codeSigning\n")
    chain = os.path.join(pki.folder, name + "_chain.pem")
    with open(chain, "wb") as f:
        f.write(_read(pem) + _read(pki.ca_pem))
    return Signer(pem, key, chain, serial)


def make_pki(folder, ca_serial=0x0A0B, leaf_serial=0x8C3E5F01):
    """Root, issuing CA and one code-signing leaf in folder."""
    os.makedirs(folder, exist_ok=True)
    root_key = os.path.join(folder, "root.key")
    root_pem = os.path.join(folder, "root.pem")
    root_der = os.path.join(folder, "root.der")
    _run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", root_key,
          "-out", root_pem, "-days", "3650", "-sha256", "-subj", "/CN=Tavrix Test Root",
          "-set_serial", hex(ROOT_SERIAL),
          "-addext", "basicConstraints=critical,CA:TRUE",
          "-addext", "keyUsage=critical,keyCertSign,cRLSign"])
    _run(["openssl", "x509", "-in", root_pem, "-outform", "DER", "-out", root_der])
    ca_pem, ca_key = _issue(folder, "ca", "/CN=Tavrix Test Issuing CA", ca_serial, root_pem,
                            root_key,
                            "basicConstraints=critical,CA:TRUE,pathlen:0\n"
                            "keyUsage=critical,keyCertSign,cRLSign\n")
    partial = Pki(folder, root_pem, root_der, root_key, ca_pem, ca_key, None)
    leaf = make_leaf(partial, "Tavrix_Test_Signer", leaf_serial)
    return partial._replace(leaf=leaf)


def certificate_id(signer):
    """The identity the installer builds for this signer."""
    return make_trusted_info.certificate_id(_read(signer.chain_pem))


def trusted_json(*signers):
    """TRUSTED.JSON listing the signers, made by tools/make_trusted_info.py."""
    with tempfile.TemporaryDirectory() as tmp:
        out = os.path.join(tmp, "TRUSTED.JSON")
        _run([sys.executable, os.path.join(TOOLS, "make_trusted_info.py")]
             + [s.chain_pem for s in signers] + ["-o", out])
        return _read(out)


def trusted_json_for_ids(ids):
    return make_trusted_info.document_for_ids(list(ids))


def dev_key(key_id):
    """Private half of row key_id of the Windows build's development key table."""
    path = os.path.join(os.environ.get("LI_WIN_BUILD_DIR", ""), "dev_keys", "key%d.pem" % key_id)
    if not os.path.exists(path):
        raise RuntimeError("no development key %s: the Windows build embeds LI_TRUST_KEYS_FILE, "
                           "whose private keys the tests do not have" % path)
    return path


def signature_dat(document, key_id=0, key=None):
    """SIGNATURE.DAT for document, made by tools/sign_trusted_info.py."""
    with tempfile.TemporaryDirectory() as tmp:
        doc = os.path.join(tmp, "TRUSTED.JSON")
        out = os.path.join(tmp, "SIGNATURE.DAT")
        with open(doc, "wb") as f:
            f.write(document)
        _run([sys.executable, os.path.join(TOOLS, "sign_trusted_info.py"), doc,
              "--key", key or dev_key(key_id), "--key-id", str(key_id), "-o", out])
        return _read(out)


def raw_signature_dat(key_id_bytes, signature=b""):
    return bytes(key_id_bytes) + bytes(signature)


def add_resources(image, out, trusted_json=None, signature_dat=None):
    """Copy of image with the trusted-info resources that are given."""
    from support import winelib
    if os.path.abspath(image) != os.path.abspath(out):
        shutil.copyfile(image, out)
    args = []
    with tempfile.TemporaryDirectory(dir=os.path.dirname(os.path.abspath(out))) as tmp:
        for rtype, name, data in (("TRUSTED_JSON", "TRUSTED.JSON", trusted_json),
                                  ("SIGNATURE_DAT", "SIGNATURE.DAT", signature_dat)):
            if data is None:
                continue
            path = os.path.join(tmp, name)
            with open(path, "wb") as f:
                f.write(data)
            args += [rtype, name, winelib.win_path(path)]
        if args:
            tool = os.path.join(winelib.BIN, "pki_resource_writer.exe")
            p = winelib.wine([tool, winelib.win_path(out)] + args)
            if p.returncode != 0 or "ok" not in p.stdout:
                raise RuntimeError("pki_resource_writer: %r %r" % (p.stdout, p.stderr))
    return out


def sign_image(image, out, signer):
    """Authenticode signature by signer (SHA-256, chain leaf + issuing CA)."""
    if os.path.exists(out):
        os.remove(out)
    _run(["osslsigncode", "sign", "-certs", signer.chain_pem, "-key", signer.key,
          "-h", "sha256", "-n", PROGRAM_NAME, "-in", image, "-out", out])
    return out


def _root_trust(pki, *options):
    from support import winelib
    tool = os.path.join(winelib.BIN, "pki_root_trust.exe")
    p = winelib.wine([tool] + list(options) + [winelib.win_path(pki.root_der)])
    if p.returncode != 0 or "ok" not in p.stdout:
        raise RuntimeError("pki_root_trust: %r %r" % (p.stdout, p.stderr))


def trust_root(pki):
    """Trusts the test root in the current user's Root store of the test prefix."""
    _root_trust(pki)


def untrust_root(pki):
    """Takes the test root out of the test prefix's Root store again."""
    _root_trust(pki, "--remove")


def make_trusted_module(image, out, pki, signer=None, key_id=1, document=None, key=None):
    """A module that passes verification: resources, then Authenticode. With
    `key` (a private key file) the trusted info is signed with it instead of
    the build's key key_id."""
    signer = signer or pki.leaf
    if document is None:
        document = trusted_json(signer)
    unsigned = out + ".unsigned"
    add_resources(image, unsigned, document, signature_dat(document, key_id, key))
    sign_image(unsigned, out, signer)
    os.remove(unsigned)
    return document
