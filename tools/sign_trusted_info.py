#!/usr/bin/env python3
"""Signs a trusted-info document and writes SIGNATURE.DAT for the setup.

SIGNATURE.DAT is the key id as an unsigned 16-bit little-endian integer,
followed by the RSASSA-PKCS1-v1_5 SHA-1 signature of every byte of the
document, as the standard octet string (most significant byte first): 130
bytes for the installer's RSA-1024 keys.

Usage:
    sign_trusted_info.py --key KEY.pem --key-id N TRUSTED.JSON -o SIGNATURE.DAT

KEY.pem is the private key of row N (0 to 9) of the installer's key table;
the signature is checked against that key before the file is written.
Needs the openssl command.
"""
import argparse
import os
import struct
import subprocess
import sys
import tempfile

KEY_COUNT = 10
SIGNATURE_SIZE = 128  # RSA-1024


def openssl(args, data=None):
    p = subprocess.run(["openssl"] + args, input=data, stdout=subprocess.PIPE,
                       stderr=subprocess.PIPE)
    if p.returncode != 0:
        raise RuntimeError("openssl %s: %s" % (args[0], p.stderr.decode(errors="replace")))
    return p.stdout


def sign(document, key_path):
    """The PKCS#1 v1.5 SHA-1 signature (big-endian octet string) of document."""
    with tempfile.TemporaryDirectory() as tmp:
        doc = os.path.join(tmp, "document")
        sig = os.path.join(tmp, "signature")
        pub = os.path.join(tmp, "public.pem")
        with open(doc, "wb") as f:
            f.write(document)
        openssl(["dgst", "-sha1", "-sign", key_path, "-out", sig, doc])
        openssl(["pkey", "-in", key_path, "-pubout", "-out", pub])
        openssl(["dgst", "-sha1", "-verify", pub, "-signature", sig, doc])
        with open(sig, "rb") as f:
            return f.read()


def signature_dat(key_id, signature):
    """SIGNATURE.DAT bytes: key id (16-bit little-endian) + signature."""
    return struct.pack("<H", key_id) + signature


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("document", help="TRUSTED.JSON, signed byte for byte")
    parser.add_argument("--key", required=True, help="private key (PEM) of the key table row")
    parser.add_argument("--key-id", required=True, type=int, help="row id, 0 to 9")
    parser.add_argument("-o", "--output", required=True, help="SIGNATURE.DAT to write")
    args = parser.parse_args(argv)
    if not 0 <= args.key_id < KEY_COUNT:
        parser.error("--key-id must be 0 to %d" % (KEY_COUNT - 1))
    with open(args.document, "rb") as f:
        document = f.read()
    try:
        signature = sign(document, args.key)
    except RuntimeError as e:
        parser.error(str(e))
    if len(signature) != SIGNATURE_SIZE:
        parser.error("the key makes %d-byte signatures; the installer's keys are RSA-1024"
                     % len(signature))
    with open(args.output, "wb") as f:
        f.write(signature_dat(args.key_id, signature))
    return 0


if __name__ == "__main__":
    sys.exit(main())
