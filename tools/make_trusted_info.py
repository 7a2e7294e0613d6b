#!/usr/bin/env python3
"""Builds the trusted-info document (TRUSTED.JSON) that a browser setup carries.

The document lists the identities of the certificates that may sign the setup:

    {"trusted_info": {"certificates": [{"id": "<standard Base64>"}, ...]}}

An identity is the serial number of the issuing CA's certificate followed by
the serial number of the signing certificate, each exactly as the content
bytes of the DER INTEGER (most significant byte first, a leading 00 kept where
the encoding has one).

Usage:
    make_trusted_info.py CHAIN.pem [CHAIN.pem ...] [-o TRUSTED.JSON]

Each CHAIN.pem holds the signing certificate first and its issuing CA second
(further certificates are ignored). The output is UTF-8 JSON ending in a line
break; sign exactly these bytes with sign_trusted_info.py.
"""
import argparse
import base64
import json
import re
import sys

PEM_CERT = re.compile(rb"-----BEGIN CERTIFICATE-----(.*?)-----END CERTIFICATE-----", re.S)


def read_der_element(data, offset):
    """(tag, content start, content end) of the DER element at offset."""
    tag = data[offset]
    length = data[offset + 1]
    offset += 2
    if length & 0x80:
        count = length & 0x7F
        if count == 0 or count > 4:
            raise ValueError("unsupported DER length")
        length = int.from_bytes(data[offset:offset + count], "big")
        offset += count
    if offset + length > len(data):
        raise ValueError("truncated DER")
    return tag, offset, offset + length


def serial_number(der):
    """Content bytes of a certificate's serial number INTEGER."""
    tag, start, _ = read_der_element(der, 0)          # Certificate
    if tag != 0x30:
        raise ValueError("not a certificate")
    tag, start, _ = read_der_element(der, start)      # TBSCertificate
    if tag != 0x30:
        raise ValueError("not a certificate")
    tag, content, end = read_der_element(der, start)
    if tag == 0xA0:                                   # [0] version
        tag, content, end = read_der_element(der, end)
    if tag != 0x02:
        raise ValueError("certificate without serial number")
    return der[content:end]


def certificates_of_pem(pem_bytes):
    return [base64.b64decode(b"".join(body.split())) for body in PEM_CERT.findall(pem_bytes)]


def certificate_id(chain_pem_bytes):
    """Identity bytes of the signing certificate of a PEM chain (leaf first)."""
    certs = certificates_of_pem(chain_pem_bytes)
    if len(certs) < 2:
        raise ValueError("a chain needs the signing certificate and its issuing CA")
    return serial_number(certs[1]) + serial_number(certs[0])


def document_for_ids(ids):
    """The trusted-info document (bytes) listing the given identity bytes."""
    doc = {"trusted_info": {"certificates": [
        {"id": base64.b64encode(i).decode("ascii")} for i in ids]}}
    return (json.dumps(doc, indent=2) + "\n").encode("utf-8")


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("chains", nargs="+", help="PEM file: signing certificate, then issuing CA")
    parser.add_argument("-o", "--output", help="output file (default: standard output)")
    args = parser.parse_args(argv)
    ids = []
    for path in args.chains:
        with open(path, "rb") as f:
            try:
                identity = certificate_id(f.read())
            except ValueError as e:
                parser.error("%s: %s" % (path, e))
        if identity not in ids:
            ids.append(identity)
    data = document_for_ids(ids)
    if args.output:
        with open(args.output, "wb") as f:
            f.write(data)
    else:
        sys.stdout.buffer.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
