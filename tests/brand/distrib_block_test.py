"""Distribution parameters embedded the way the download service does it:
a copy of lite_installer.exe is signed with a throwaway certificate made now
(osslsigncode, openssl; nothing is kept), stamped with tools' distrib_stamp,
and run silently under Wine. A stamped installer yields "distrib_info", the
registry value and its language; an unsigned one, a signed one without a
block and one whose block claims more bytes than the file holds yield none;
the switch "distr-info-params" wins over the block only when not empty."""
import json
import os
import struct
import subprocess

from support import checks, winelib
from support.brand_wine import last_record, run, scratch, texts
from support.checks import check

STAMP = os.path.join(winelib.HOST_BUILD, "tools", "distrib_stamp")
PARAMS = "banerid=77&download_date=2026%2D12%2D09&lang=tr"


def make_signed_copy():
    key, cert = scratch("test.key"), scratch("test.pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key,
                    "-out", cert, "-subj", "/CN=Distribution block test", "-days", "1"],
                   check=True, capture_output=True)
    signed = scratch("signed.exe")
    subprocess.run(["osslsigncode", "sign", "-certs", cert, "-key", key, "-h", "sha256",
                    "-n", "Tavrix.Browser", "-in", winelib.INSTALLER, "-out", signed],
                   check=True, capture_output=True)
    os.remove(key)
    return signed, cert


def stamp(signed, cert, params, name):
    out = scratch(name)
    subprocess.run([STAMP, "stamp", signed, out, params], check=True)
    read = subprocess.run([STAMP, "read", out], check=True, capture_output=True, text=True)
    check(read.stdout == params + "\n", read.stdout)
    # The block lies outside what the signature covers.
    verify = subprocess.run(["osslsigncode", "verify", "-CAfile", cert, "-in", out],
                            capture_output=True, text=True)
    check(verify.returncode == 0, verify.stdout + verify.stderr)
    return out


def run_copy(program, *switches):
    """The language, the "distrib_info" the setup was handed (None without
    one) and the stored parameters as the setup found them (REG_SZ, text)."""
    winelib.reg_delete_key()
    code, log = run(*switches, program=program, setup=True)
    check(code == 0, "exit code %d" % code)
    language = texts(log, "BrandPackageInfo::SetDefaults")[0]
    record = last_record()
    info = record["files"].get("distr-info-file")
    info = json.loads(info["content"]) if info else None
    stored = record["registry"].get("DistribInfoParams")
    return language, info, ("REG_SZ", stored) if stored is not None else None


def check_stamped_installer_yields_its_parameters(signed, stamped):
    language, info, stored = run_copy(stamped)
    check(language == "Default language: tr", language)
    check(info == {"banerid": "77", "download_date": "2026%2D12%2D09", "lang": "tr"}, info)
    check(stored == ("REG_SZ", PARAMS), stored)


def check_installers_without_a_block_yield_nothing(signed, stamped):
    for program in (winelib.INSTALLER, signed):
        language, info, stored = run_copy(program)
        check(language == "Default language: ru" and info is None and stored is None,
               (program, language, info, stored))


def check_block_longer_than_the_file_yields_nothing(signed, stamped):
    with open(stamped, "rb") as f:
        image = bytearray(f.read())
    marker = image.rfind(b"Txct")
    (length,) = struct.unpack_from(">H", image, marker + 4)
    struct.pack_into(">H", image, marker + 4, len(image) - (marker + 6) + 1)
    damaged = scratch("damaged.exe")
    with open(damaged, "wb") as f:
        f.write(image)
    language, info, stored = run_copy(damaged)
    check(language == "Default language: ru" and info is None and stored is None,
           (language, info, stored))


def check_switch_wins_only_when_not_empty(signed, stamped):
    language, info, stored = run_copy(stamped, '--distr-info-params="lang=uk&s=1"')
    check(language == "Default language: uk" and info == {"lang": "uk", "s": "1"}, (language, info))
    check(stored == ("REG_SZ", "lang=uk&s=1"), stored)
    language, info, _ = run_copy(stamped, "--distr-info-params=")
    check(language == "Default language: tr" and info["banerid"] == "77", (language, info))


def main():
    signed, cert = make_signed_copy()
    stamped = stamp(signed, cert, PARAMS, "stamped.exe")
    try:
        return checks.run([check_stamped_installer_yields_its_parameters,
                           check_installers_without_a_block_yield_nothing,
                           check_block_longer_than_the_file_yields_nothing,
                           check_switch_wins_only_when_not_empty], signed, stamped)
    finally:
        winelib.reg_delete_key()


if __name__ == "__main__":
    raise SystemExit(main())
