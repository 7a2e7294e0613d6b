"""The brand configuration of real installer runs under Wine: the default
package built into lite_installer.exe, extracted by the system's cabinet
library, with every log line of the choice of packages, the merged values and
the defaults; named, autodetected and capitalised brand names; the language
of distribution parameters given on the command line."""
import json
import os

from support import checks, winelib
from support.brand_wine import (AUTODETECT, default_config, default_package_size, last_record,
                        run, run_folder, texts)
from support.checks import check

GET_INFO = "BrandPackageInfo::GetInfo"
RESOURCES = "BrandPackageInfo::GetInfoFromResources"
BRAND_INFO = "BrandPackageInfo::GetBrandInfo"
DEFAULTS = "BrandPackageInfo::SetDefaults"


def check_default_run():
    code, log = run(setup=True)
    check(code == 0, "exit code %d" % code)
    temp = run_folder(log)
    setup_url = default_config()["setup_url"]
    check(texts(log, GET_INFO) == ["Brand package path: %sBrandFile" % temp,
                                    "Partner package path: %sPartnerFile" % temp],
           texts(log, GET_INFO))
    resources = [(e[0], e[2]) for e in log if e[1] == RESOURCES]
    check(resources == [
        ("WARNING", "Partner package is empty."),
        ("INFO", "Fetching default package"),
        ("INFO", "Extract Brand package: %sBrandFile [%dB]" % (temp, default_package_size())),
    ], resources)
    check(texts(log, BRAND_INFO) == [
        "Brand id: tavrix", "Brand name: ", "Setup url: " + setup_url, "Default language: ru",
        "Show international title: 0", "Send browser's statistics: 1",
        "Make browser default after import: 1", "Autodetect language: 1"], texts(log, BRAND_INFO))
    check(texts(log, DEFAULTS) == [
        "Default language: ru", "Brand id: tavrix", "Setup url: " + setup_url,
        "Show international title: 0", "Send browser's statistics: 1",
        "Make browser default after import: 1", "Autodetect language: 1"], texts(log, DEFAULTS))
    # The configuration is settled before the installation starts.
    functions = [e[1] for e in log]
    main = [e[2] for e in log if e[1] == "wWinMain"]
    check(functions.index(GET_INFO) > functions.index("wWinMain")
           and main.index("Installing in silent mode.") > 2, main)
    last_brand_line = max(i for i, f in enumerate(functions) if f == DEFAULTS)
    silent_line = next(i for i, e in enumerate(log) if e[2] == "Installing in silent mode.")
    check(last_brand_line < silent_line, "defaults logged after the installation started")
    # The package copy for the setup is the resource itself.
    files = last_record()["files"]
    copy = bytes.fromhex(files["brand-package"]["hex"])
    check(files["brand-package"]["path"] == temp + "BrandFile", files)
    with open(os.path.join(winelib.WIN_BUILD, "generated", "packages", "default_brand.cab"),
              "rb") as f:
        check(copy == f.read(), "BrandFile differs from the built-in package")
    check("partner-package" not in files, "a partner package was handed over")


def check_default_package_matches_the_deployment():
    config = default_config()
    check(config["brand_id"] == "tavrix" and config["languages"] == {"interface": "ru"}, config)
    check("brand_name" not in config and "install" not in config, config)
    check(config["setup_url"].endswith("/browser/tavrix/browser-setup.arc"), config)
    check(config["license_url"].endswith("/browser_agreement/"), config)
    check(config["conf_policy_url"].endswith("/confidential/"), config)


def check_autodetected_brand_name():
    # The prefix's default region and language (US, English) match no row.
    _, log = run("--brand-name=auto")
    detection = texts(log, AUTODETECT)
    check(len(detection) == 3 and detection[0].startswith("User region: ")
           and detection[1].startswith("User locale: "), detection)
    lines = texts(log, RESOURCES)
    if detection[2].startswith("Detected brand-name: "):
        name = detection[2][len("Detected brand-name: "):]
    else:
        check(detection[2] == "Didn't found brand-name. Use default: tavrix", detection)
        name = "tavrix"
    check(lines[1:3] == ["Fetching autodetected %s package" % name.upper(),
                          "Fetching default package"], lines)


def check_capitalised_auto_is_a_brand_name():
    _, log = run("--brand-name=Auto")
    check(texts(log, AUTODETECT) == [], texts(log, AUTODETECT))
    check(texts(log, RESOURCES)[1:3] == ["Fetching definedAuto package",
                                          "Fetching default package"], texts(log, RESOURCES))


def check_defined_brand_name_without_its_package():
    _, log = run("--brand-name=ua_ru")
    check(texts(log, RESOURCES)[1:3] == ["Fetching definedua_ru package",
                                          "Fetching default package"], texts(log, RESOURCES))
    check(texts(log, DEFAULTS)[1] == "Brand id: tavrix", texts(log, DEFAULTS))


def check_distribution_language_from_the_switch():
    _, log = run("--distr-info-params=lang=de&x=1", setup=True)
    check(texts(log, DEFAULTS)[0] == "Default language: de", texts(log, DEFAULTS))
    record = last_record()
    info = record["files"]["distr-info-file"]
    check(info["path"] == run_folder(log) + "distrib_info", info)
    check(json.loads(info["content"]) == {"lang": "de", "x": "1"}, "distrib_info")
    stored = record["registry"].get("DistribInfoParams")
    check(stored == "lang=de&x=1", stored)


def main():
    winelib.reg_delete_key()
    status = checks.run([check_default_package_matches_the_deployment, check_default_run,
                         check_autodetected_brand_name, check_capitalised_auto_is_a_brand_name,
                         check_defined_brand_name_without_its_package,
                         check_distribution_language_from_the_switch])
    winelib.reg_delete_key()
    return status


if __name__ == "__main__":
    raise SystemExit(main())
