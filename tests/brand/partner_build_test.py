"""A second Windows build of the installer with the deployment settings
LI_PARTNER_CONFIG and LI_BRAND_CONFIGS (only the lite_installer target, in
the host build folder), run under Wine: the partner package (BIN 320) is
extracted first and wins, named brand packages are found by their upper-case
resource names, and the partner package's path reaches the registry."""
import os
import re
import subprocess

from support import checks, winelib
from support.brand_wine import last_record, run, run_folder, texts
from support.checks import check

BUILD = os.path.join(winelib.HOST_BUILD, "partner_build")
DATA = os.path.join(winelib.SOURCE, "tests", "brand", "data")
PACKAGES = os.path.join(BUILD, "generated", "packages")
RESOURCES = "BrandPackageInfo::GetInfoFromResources"
DEFAULTS = "BrandPackageInfo::SetDefaults"


def cache_value(name):
    with open(os.path.join(winelib.WIN_BUILD, "CMakeCache.txt")) as f:
        for line in f:
            m = re.match(r"%s:\w+=(.*)$" % name, line.strip())
            if m:
                return m.group(1)
    return ""


def build():
    configure = [
        "cmake", "-S", winelib.SOURCE, "-B", BUILD,
        "-DCMAKE_TOOLCHAIN_FILE=" + os.path.join(winelib.SOURCE, "cmake", "mingw-i686.cmake"),
        "-DCMAKE_BUILD_TYPE=Release",
        "-DLI_PARTNER_CONFIG=" + os.path.join(DATA, "partner_config.json"),
        # A name in mixed case and a path relative to the source tree.
        "-DLI_BRAND_CONFIGS=ua_uk=%s;Tb=tests/brand/data/brand_tb.json"
        % os.path.join(DATA, "brand_ua_uk.json"),
    ]
    # The Windows build's trust keys: the fake setup signed for it must verify.
    keys = cache_value("LI_TRUST_KEYS_FILE") or os.path.join(winelib.WIN_BUILD, "dev_keys",
                                                             "public_keys.pem")
    configure.append("-DLI_TRUST_KEYS_FILE=" + keys)
    jansson = cache_value("JANSSON_ROOT")
    if jansson:
        configure.append("-DJANSSON_ROOT=" + jansson)
    subprocess.run(configure, check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", BUILD, "--target", "lite_installer", "-j%d" % os.cpu_count()],
                   check=True, stdout=subprocess.DEVNULL)
    return os.path.join(BUILD, "bin", "lite_installer.exe")


def check_partner_package_comes_first_and_wins(installer):
    winelib.reg_delete_key()
    _, log = run(program=installer, setup=True)
    temp = run_folder(log)
    partner_size = os.path.getsize(os.path.join(PACKAGES, "partner.cab"))
    lines = texts(log, RESOURCES)
    check(lines[0] == "Extract Partner package: %sPartnerFile [%dB]" % (temp, partner_size), lines)
    check(lines[1] == "Fetching default package", lines)
    defaults = texts(log, DEFAULTS)
    check(defaults[1] == "Brand id: tavrix", defaults)
    check(defaults[4:6] == ["Send browser's statistics: 0",
                             "Make browser default after import: 0"], defaults)
    record = last_record()
    with open(os.path.join(PACKAGES, "partner.cab"), "rb") as g:
        check(bytes.fromhex(record["files"]["partner-package"]["hex"]) == g.read(),
               "PartnerFile differs from the partner package")
    stored = record["registry"].get("PartnerFile")
    check(stored == temp + "PartnerFile", stored)


def check_named_brand_packages(installer):
    _, log = run("--brand-name=ua_uk", program=installer)
    check(texts(log, RESOURCES)[1:3] == [
        "Fetching definedua_uk package",
        "Extract Brand package: %sBrandFile [%dB]" % (
            run_folder(log), os.path.getsize(os.path.join(PACKAGES, "brand_UA_UK.cab")))],
        texts(log, RESOURCES))
    defaults = texts(log, DEFAULTS)
    check(defaults[:2] == ["Default language: uk", "Brand id: ua"], defaults)
    _, log = run("--brand-name=tb", program=installer)
    check(texts(log, DEFAULTS)[1] == "Brand id: tb", texts(log, DEFAULTS))


def main():
    installer = build()
    try:
        return checks.run([check_partner_package_comes_first_and_wins, check_named_brand_packages],
                          installer)
    finally:
        winelib.reg_delete_key()
        for name in ("BrandFile", "PartnerFile"):
            path = os.path.join(winelib.temp_dir(), name)
            if os.path.exists(path):
                os.remove(path)


if __name__ == "__main__":
    raise SystemExit(main())
