"""Brand autodetection and the interface language against the prefix's real
region and language settings, through brand_config_probe.exe (which carries
the brand packages ua_uk, ua_ru, tb, int and int_fixed besides a partner and
the default package, and settles the configuration as the installer does).

Measured under Wine 8: the user's language follows LC_ALL of the process (LANG
alone is ignored when the host lacks that locale), and the region follows the
value "Nation" of HKCU\\Control Panel\\International\\Geo; Wine rewrites that
value whenever a process starts under another locale than the previous one,
so the region is set under the same LC_ALL as the run. "Nation" -1 gives no
region at all (GetUserGeoID returns GEOID_NOT_AVAILABLE)."""
import os

from support import checks, winelib
from support.brand_wine import AUTODETECT, log_entries, texts
from support.checks import check

GEO_KEY = r"HKCU\Control Panel\International\Geo"
PROBE = os.path.join(winelib.BIN, "brand_config_probe.exe")
NATIONS = {"RU": "203", "UA": "241", "TR": "235", "DE": "94", None: "-1"}


def query_nation(extra_env=None):
    p = winelib.wine(["reg", "query", GEO_KEY, "/v", "Nation"], extra_env=extra_env)
    for line in p.stdout.splitlines():
        parts = line.split()
        if len(parts) == 3 and parts[0] == "Nation":
            return parts[2]
    return None


def set_nation(value, extra_env=None):
    winelib.wine(["reg", "add", GEO_KEY, "/v", "Nation", "/t", "REG_SZ", "/d", value, "/f"],
                 extra_env=extra_env, check=True)


def probe(region, locale, *switches):
    """Runs the probe with the user's region and language set; returns its
    printed values and the log."""
    env = {"LC_ALL": locale}
    set_nation(NATIONS[region], env)
    winelib.clear_log()
    p = winelib.wine([PROBE] + list(switches), extra_env=env, check=True)
    values = dict(line.split("=", 1) for line in p.stdout.splitlines() if "=" in line)
    return values, log_entries()


def check_region_and_language_pick_the_brand():
    cases = [
        # region, locale, detected brand, its brand id, interface language
        ("RU", "uk_UA.UTF-8", "ua_uk", "ua", "uk"),
        ("UA", "ru_RU.UTF-8", "ua_ru", "ua", "ru"),
        ("TR", "de_DE.UTF-8", "tb", "tb", "de"),
        ("RU", "en_US.UTF-8", "tavrix", "tavrix", "ru"),
    ]
    for region, locale, brand, brand_id, language in cases:
        values, log = probe(region, locale, "--brand-name=auto")
        check(values["region"] == region, (region, values))
        check(texts(log, AUTODETECT)[0] == "User region: " + region, texts(log, AUTODETECT))
        check(texts(log, AUTODETECT)[2] == "Detected brand-name: " + brand,
               (region, locale, texts(log, AUTODETECT)))
        check("Fetching autodetected %s package" % brand.upper()
               in texts(log, "BrandPackageInfo::GetInfoFromResources"), log)
        check(values["brand_id"] == brand_id and values["language"] == language,
               (region, locale, values))


def check_no_region_falls_to_the_language_rows():
    values, log = probe(None, "ru_RU.UTF-8", "--brand-name=auto")
    check(values["region"] == "", values)
    check(texts(log, AUTODETECT) == ["User region: ", "User locale: ru",
                                      "Detected brand-name: tavrix"], texts(log, AUTODETECT))
    # There is no BRAND_TAVRIX package: the default one is used.
    lines = texts(log, "BrandPackageInfo::GetInfoFromResources")
    check(lines[1:3] == ["Fetching autodetected TAVRIX package", "Fetching default package"],
           lines)
    check(values["brand_id"] == "tavrix" and values["language_id"] == "1049", values)


def check_unmatched_region_and_language_use_the_default():
    _, log = probe("DE", "de_DE.UTF-8", "--brand-name=auto")
    check(texts(log, AUTODETECT) == ["User region: DE", "User locale: de",
                                      "Didn't found brand-name. Use default: tavrix"],
           texts(log, AUTODETECT))


def check_int_brand_speaks_the_users_language():
    values, _ = probe("DE", "fr_FR.UTF-8", "--brand-name=int")
    check(values["brand_id"] == "int" and values["language"] == "fr"
           and values["language_id"] == "1036", values)
    # Autodetection switched off in the package keeps its language.
    values, _ = probe("DE", "fr_FR.UTF-8", "--brand-name=int_fixed")
    check(values["brand_id"] == "int" and values["language"] == "ru", values)
    # A distribution language wins over both.
    values, _ = probe("DE", "fr_FR.UTF-8", "--brand-name=int", "--distr-info-params=lang=de")
    check(values["language"] == "de" and values["language_id"] == "1031", values)


def check_language_outside_the_table_takes_the_brands():
    values, _ = probe("DE", "pl_PL.UTF-8", "--brand-name=tb")
    check(values["user_language_id"] == "1045", values)
    check(values["language"] == "tr" and values["language_id"] == "1055", values)


def main():
    original = query_nation()
    try:
        return checks.run([check_region_and_language_pick_the_brand,
                           check_no_region_falls_to_the_language_rows,
                           check_unmatched_region_and_language_use_the_default,
                           check_int_brand_speaks_the_users_language,
                           check_language_outside_the_table_takes_the_brands])
    finally:
        # Under the run's own locale again, so that Wine keeps the value.
        winelib.wine(["cmd", "/c", "exit"])
        if original is not None:
            set_nation(original)
        winelib.reg_delete_key()
        for name in ("distrib_info", "BrandFile", "PartnerFile"):
            path = os.path.join(winelib.temp_dir(), name)
            if os.path.exists(path):
                os.remove(path)


if __name__ == "__main__":
    raise SystemExit(main())
