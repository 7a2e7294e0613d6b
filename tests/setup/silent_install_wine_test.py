"""Silent installations end to end under Wine: lite_installer.exe --silent
downloads the fake browser setup (signed with a test PKI) from a loopback
download server, verifies and runs it, and reports to the HTTPS status
endpoint. Each case checks what the setup received (its record), the exit
code, the registry and files left behind, the log and the reports, field by
field.

Measured under Wine 8.0 (WinINet): a connection closed before the announced
Content-Length fails the read with 12030 (ERROR_INTERNET_CONNECTION_ABORTED),
so a cut transfer is a failed attempt; the next attempt asks for the rest of
a kept partial file with a range request, which nginx continues (206) and a
server without ranges answers with the whole file.

Faults of servers (silence, stalls, a redirect loop, a silent or slow status
endpoint) end within the build's short test bounds, so those cases take
seconds each besides the 15-second pauses between attempts: four pauses in
two cases (the server that always fails, the five faults in a row), one in
each cut case.
"""
import collections
import contextlib
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import urllib.parse

from support import checks, install_harness as h, installer_log, servers, winelib
from support.checks import check, check_equal

WINE_VERSION_KEY = r"HKCU\Software\Wine"
SETUP_PATH = h.setup_path()
SETUP_URL = h.setup_url()
STATUS_PATH = servers.path_of(servers.build_config()["LI_STATUS_ENDPOINT"])
AGENT = "Tavrix.Browser lite installer"

class Context:
    """State shared by the cases: work folder, sample setups, servers."""

    def __init__(self):
        self.work = tempfile.mkdtemp(prefix="li_silent_", dir=winelib.HOST_BUILD or None)
        self.setups = h.make_sample_setups(os.path.join(self.work, "setups"))
        with open(self.setups.signed, "rb") as f:
            self.signed_bytes = f.read()
        self.docroot = os.path.join(self.work, "docroot")
        self.status = None
        self.files = None

    def serve(self, image):
        """The file the download server hands out as the setup."""
        target = self.docroot + SETUP_PATH
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copyfile(image, target)

    def install(self, *switches, **kwargs):
        h.reset_prefix_state()
        if self.status:
            self.status.clear_requests()
        if self.files:
            self.files.clear_requests()
        return h.run_installer(self.work, *switches, **kwargs)

    def reports(self, count):
        reqs = self.status.wait_for_requests(count)
        for r in reqs:
            check_equal(r.path, STATUS_PATH, "report path")
        return ([r for r in reqs if h.is_attempt_report(r)],
                [r for r in reqs if h.is_final_report(r)])


# --- checks shared by the cases ---------------------------------------------------

def check_attempt_report(report, status, attempt, downloaded, ui, error_prefix=None,
                         redirect=None):
    expected_names = ["status", "attempt", "downloaded", "ui", "url"]
    if redirect is not None:
        expected_names.append("redirect")
    if error_prefix is not None:
        expected_names.append("error")
    check_equal(h.names(report), expected_names, "attempt report fields " + report.uri)
    v = h.values(report)
    check_equal(v["status"], status, "status")
    check_equal(v["attempt"], str(attempt), "attempt")
    if downloaded is not None:
        check_equal(v["downloaded"], str(downloaded), "downloaded")
    check_equal(v["ui"], ui, "installation id")
    check_equal(v["url"], SETUP_URL, "url (decoded)")
    raw = dict(report.params)
    check("/" not in raw["url"], "the url is escaped as one segment: " + raw["url"])
    if redirect is not None:
        check_equal(v["redirect"], redirect, "redirect host")
    if error_prefix is not None:
        check(v["error"].startswith(error_prefix), "error %r starts with %r"
              % (v["error"], error_prefix))


def check_final_report(report, result, ui, download_time, install_time, zero_time=False):
    expected = ["ui", "result", "time"]
    if download_time:
        expected.append("download_time")
    if install_time:
        expected.append("install_time")
    v = h.values(report)
    # A run shorter than a second reports 0; the field is there whenever the
    # time in microseconds is not 0, which a real run always has.
    check_equal(h.names(report), expected, "final report fields " + report.uri)
    check_equal(v["ui"], ui, "final report id")
    check_equal(v["result"], result, "result")
    check(re.match(r"^\d+$", v["time"]), "time is a number: " + v["time"])
    if zero_time:
        check_equal(v["time"], "0", "total time (only set on success)")


def installation_id(attempt_or_final):
    ui = h.values(attempt_or_final)["ui"]
    check(h.GUID_RE.match(ui), "installation id is a GUID: " + ui)
    return ui


def check_nothing_in_the_cache(image):
    """Neither the setup nor any part of it in the user's WinINet cache."""
    cache = os.path.join(winelib.user_dir(), "AppData", "Local", "Microsoft", "Windows",
                         "INetCache")
    piece = image[len(image) // 2:len(image) // 2 + 4096]
    for folder, _, names in os.walk(cache):
        for name in names:
            with open(os.path.join(folder, name), "rb") as f:
                check(piece not in f.read(), "setup bytes in the cache: " + name)


def check_cleaned_up(run):
    check_equal(sorted(run.registry), ["lang"], "registry values after success")
    check_equal(run.registry["lang"], "ru", "lang stays")
    check_equal(run.leftover_downloads, [], "downloaded setup deleted")
    # The run folder stays with what the browser reads on its first run.
    folder = winelib.host_path(run.folder())
    check_equal(run.folders, [folder.rstrip("/")], "one run folder after success")
    kept = sorted(os.listdir(folder))
    check(set(kept) <= {"master_preferences", "clids.xml", "distrib_info"}, kept)
    check(not os.path.exists(os.path.join(winelib.temp_dir(), "BrandFile")),
          "nothing in the temporary directory itself")


def check_state_kept(run):
    # The registry values stay after a failure; everything the run wrote
    # goes with its folder.
    for name in ("lang", "InstallerData", "ClidsFile", "brand", "BrandFile"):
        check(name in run.registry, "registry value %s kept after a failure: %r"
              % (name, run.registry))
    check_equal(run.folders, [], "the run folder removed after a failure")
    check_equal(run.leftover_downloads, [], "downloaded file deleted")


def exit_line(run):
    return run.messages("wWinMain")[-1]


# --- cases with the nginx download server ------------------------------------------

def silent_install_hands_everything_to_the_setup_and_cleans_up(ctx):
    ctx.serve(ctx.setups.signed)
    run = ctx.install("--silent", "--send-statistics")
    check_equal(run.code, 0, "exit code")
    check(run.record, "the setup ran")
    setup = run.record["arguments"][0]
    check(re.match(r"^C:\\users\\[^\\]+\\Temp\\li-[0-9a-f]{24}\\xb[0-9a-fA-F]+\.tmp$",
                   setup), "setup runs from a temporary file in the run folder: " + setup)
    folder = run.folder()
    expected = ('"%s" --brand-name=tavrix --brand-package="%sBrandFile" '
                '--clids-file="%sclids.xml" --installerdata="%smaster_preferences" '
                '--progress-window=0 --send-statistics --silent --verbose-logging'
                % (setup, folder, folder, folder))
    check_equal(run.record["command_line"], expected, "setup command line")

    files = run.record["files"]
    preferences = h.generated_file("master_preferences.json")
    clids = h.generated_file("clids.xml")
    check_equal(files["installerdata"]["size"], len(preferences), "master_preferences size")
    check_equal(files["clids-file"]["size"], len(clids), "clids.xml size")
    check(files["brand-package"]["size"] > 0, "brand package handed over")
    with open(winelib.host_path(folder + "master_preferences"), "rb") as f:
        check_equal(f.read(), preferences, "master_preferences bytes (kept after success)")
    with open(winelib.host_path(folder + "clids.xml"), "rb") as f:
        check_equal(f.read(), clids, "clids.xml bytes (kept after success)")
    check_equal(sorted(os.listdir(winelib.host_path(folder))), ["clids.xml", "master_preferences"],
                "what stays in the run folder")
    # The setup saw the registry values pointing into its folder.
    seen = run.record["registry"]
    check_equal((seen["BrandFile"], seen["InstallerData"], seen["ClidsFile"]),
                (folder + "BrandFile", folder + "master_preferences", folder + "clids.xml"),
                "registry values while the setup runs")
    check_cleaned_up(run)

    attempts, finals = ctx.reports(2)
    check_equal(len(attempts), 1, "attempt reports")
    check_equal(len(finals), 1, "final reports")
    ui = installation_id(attempts[0])
    check_attempt_report(attempts[0], "success", 1, len(ctx.signed_bytes), ui)
    check_final_report(finals[0], "success", ui, download_time=True, install_time=True)

    downloads = ctx.files.requests()
    check_equal([(r.method, r.path, r.status) for r in downloads],
                [("GET", SETUP_PATH, 200)], "download requests")
    check_equal(downloads[0].user_agent, AGENT, "user agent")
    check_nothing_in_the_cache(ctx.signed_bytes)

    check_equal(run.messages("Installer::InstallBrowser"),
                ["Install Browser.", "Pre-downloaded module: ", "Executable path: " + setup,
                 "Module downloaded: " + setup, "Verification successed: " + setup],
                "install flow lines")
    check_equal(run.messages("Installer::DownloadModuleTo"),
                ["Try to download module:" + setup], "download lines")
    process = run.messages("Installer::RunProcessAndWait")
    check_equal(process[0], "Run: " + expected, "run line")
    check(re.match(r"^Process created: \d+$", process[1]), process[1])
    check_equal(process[2:], ["Wait for process finish.", "Setup process exit with code: 0"],
                "process lines")
    check("Installing in silent mode." in run.messages("wWinMain"), "silent mode line")
    check_equal(exit_line(run), "Installer exit with code: 0", "exit line")


def setup_exit_code_passes_on_with_the_callers_extra_switches(ctx):
    # Windows 8.1: the make-default switch reaches the setup.
    ctx.serve(ctx.setups.signed)
    winelib.set_windows_version("win81")
    run = ctx.install("--silent", '/FOO="a b"', "-Bar", "--make-browser-default-after-import",
                      setup_exit_code=3)
    check_equal(run.code, 3, "exit code of the setup")
    args = run.record["command_line"].split(" ", 1)[1]
    folder = run.folder()
    check_equal(args, '--bar --brand-name=tavrix --brand-package="%sBrandFile" '
                '--clids-file="%sclids.xml" --foo="a b" --installerdata="%smaster_preferences" '
                '--make-browser-default-after-import --progress-window=0 --silent '
                '--verbose-logging' % (folder, folder, folder), "switches after the path")
    check_equal(run.record["switches"]["foo"], "a b", "value with a blank arrives whole")
    check_cleaned_up(run)
    attempts, finals = ctx.reports(2)
    check_final_report(finals[0], "success", installation_id(attempts[0]), True, True)
    check_equal(exit_line(run), "Installer exit with code: 3", "exit line")


def setup_exit_code_above_255_passes_on_whole(ctx):
    ctx.serve(ctx.setups.signed)
    run = ctx.install("--silent", setup_exit_code=1010)
    check_equal(run.code, 1010, "exit code (Linux alone would see 242)")
    attempts, finals = ctx.reports(2)
    check_equal(h.values(finals[0])["result"], "success", "any exit code of the setup")


def files_left_in_the_temporary_directory_are_neither_used_nor_touched(ctx):
    # Same-named files another program left there: the setup gets the
    # built-in ones from its own folder, and the others stay as they are.
    ctx.serve(ctx.setups.signed)
    h.reset_prefix_state()
    for name in ("master_preferences", "clids.xml", "BrandFile", "distrib_info"):
        with open(os.path.join(winelib.temp_dir(), name), "wb") as f:
            f.write(b"x" * 10000)
    try:
        run = h.run_installer(ctx.work, "--silent", "--distr-info-params=a=1")
    finally:
        left = {}
        for name in ("master_preferences", "clids.xml", "BrandFile", "distrib_info"):
            with open(os.path.join(winelib.temp_dir(), name), "rb") as f:
                left[name] = f.read()
        h.reset_prefix_state()
    check_equal(run.code, 0, "exit code")
    for name, data in left.items():
        check_equal(data, b"x" * 10000, name + " in the temporary directory untouched")
    check_equal(run.file_bytes("installerdata"), h.generated_file("master_preferences.json"),
                "master_preferences the setup read")
    check_equal(run.file_bytes("clids-file"), h.generated_file("clids.xml"), "clids.xml")
    check_equal(json.loads(run.file_bytes("distr-info-file")), {"a": "1"}, "distrib_info")


def two_installers_at_once_each_hand_their_setup_their_own_data(ctx):
    # The second starts while the first downloads: with shared files its
    # distribution info would reach the first setup, and the first run's
    # clean-up would delete the second one's brand package.
    ctx.serve(ctx.setups.signed)
    h.reset_prefix_state()
    runs = {}

    def install(banner, delay):
        time.sleep(delay)
        work = os.path.join(ctx.work, "run%s" % banner)
        os.makedirs(work, exist_ok=True)
        env = h.setup_environment(work)
        code = winelib.run_installer("--silent", "--distr-info-params=banerid=" + banner,
                                     extra_env=env)
        runs[banner] = h.installation(work, code)

    threads = [threading.Thread(target=install, args=(b, d)) for b, d in (("1", 0), ("2", 0.5))]
    for t in threads:
        t.start()
    for t in threads:
        t.join(300)
    package = h.generated_file(os.path.join("packages", "default_brand.cab"))
    folders = set()
    for banner, run in sorted(runs.items()):
        check_equal(run.code, 0, "exit code of run " + banner)
        check_equal(json.loads(run.record["files"]["distr-info-file"]["content"]),
                    {"banerid": banner}, "distribution info of setup " + banner)
        check_equal(run.file_bytes("brand-package"), package, "brand package of setup " + banner)
        folder = run.folder()
        check(all(f["path"].startswith(folder) for f in run.record["files"].values()),
              "every file of setup %s in its folder: %r" % (banner, run.record["files"]))
        with open(winelib.host_path(folder + "distrib_info"), "rb") as f:
            check_equal(json.loads(f.read()), {"banerid": banner}, "kept distrib_info " + banner)
        check_equal(sorted(os.listdir(winelib.host_path(folder))),
                    ["clids.xml", "distrib_info", "master_preferences"], "folder " + banner)
        folders.add(folder)
    check_equal(len(folders), 2, "two folders")
    check_equal(len(h.run_folders()), 2, "two folders left")
    ctx.reports(4)


def temporary_directory_with_cyrillic_letters_and_a_blank_holds_the_run_folder(ctx):
    # A user named in Cyrillic: the run folder, the setup's switches and the
    # registry values carry the name whole.
    ctx.serve(ctx.setups.signed)
    name = "Временная папка"
    temp = winelib.win_temp_dir() + name
    os.makedirs(winelib.host_path(temp), exist_ok=True)
    try:
        for variable in ("TEMP", "TMP"):
            winelib.reg("add", r"HKCU\Environment", "/v", variable, "/t", "REG_SZ", "/d", temp,
                        "/f")
        run = ctx.install("--silent")
    finally:
        for variable in ("TEMP", "TMP"):
            winelib.reg("add", r"HKCU\Environment", "/v", variable, "/t", "REG_SZ", "/d",
                        winelib.win_temp_dir()[:-1], "/f")
        shutil.rmtree(winelib.host_path(temp), ignore_errors=True)
    check_equal(run.code, 0, "exit code")
    setup = run.record["arguments"][0]
    check(re.match(r"^%s\\li-[0-9a-f]{24}\\xb[0-9a-fA-F]+\.tmp$" % re.escape(temp), setup), setup)
    folder = setup[:setup.rindex("\\") + 1]
    check_equal(run.record["registry"]["InstallerData"], folder + "master_preferences",
                "registry value while the setup runs")
    check_equal(run.file_bytes("clids-file"), h.generated_file("clids.xml"), "clids.xml")
    ctx.reports(2)


def hostile_language_values_reach_nothing(ctx):
    # "lang" from outside the signature: not a language tag, so ignored with
    # a warning; the brand's language stands everywhere it would have gone.
    ctx.serve(ctx.setups.signed)
    for hostile in ('x" --evil "', "../../x?y#z"):
        params = "lang=%s&banerid=5" % hostile
        run = ctx.install("--silent", '"--distr-info-params=%s"' % params.replace('"', '\\"'))
        check_equal(run.code, 0, "exit code")
        check_equal(run.record["switches"]["distr-info-params"], params, "passed on as given")
        check("evil" not in run.record["switches"], "no switch injected: %r"
              % run.record["switches"])
        check_equal(run.record["registry"]["lang"], "ru", "registry while the setup runs")
        check_equal(run.registry, {"lang": "ru"}, "registry afterwards")
        check_equal(json.loads(run.record["files"]["distr-info-file"]["content"]),
                    {"lang": hostile, "banerid": "5"}, "the setup's own copy, JSON-escaped")
        check(run.has_line("WARNING", "BrandPackageInfo::SetInterfaceLanguage",
                           "Distribution language is not a language tag, ignored: "), "warning")
        # Whole, only where the whole parameter text goes: the setup's
        # command line and the stored parameters.
        raw = [e.text for e in run.log if hostile in e.text]
        check(raw and all("DistribInfoParams = " in t or "): Run: " in t for t in raw),
              "logged only escaped elsewhere: %r" % raw)
        for report in ctx.status.wait_for_requests(2):
            check("evil" not in report.uri and "x?y" not in report.uri, report.uri)


def make_default_is_dropped_on_windows_10(ctx):
    ctx.serve(ctx.setups.signed)
    winelib.set_windows_version("win10")
    run = ctx.install("--silent", "--make-browser-default-after-import")
    check_equal(run.code, 0, "exit code")
    check("make-browser-default-after-import" not in run.record["switches"],
          "no make-default on Windows 10: " + run.record["command_line"])
    check("send-statistics" not in run.record["switches"], "no send-statistics unless given")


def distribution_parameters_reach_the_setup_as_a_file(ctx):
    ctx.serve(ctx.setups.signed)
    run = ctx.install("--silent", "--distr-info-params=lang=en&clid=77")
    check_equal(run.code, 0, "exit code")
    info = run.record["files"]["distr-info-file"]
    folder = run.folder()
    check_equal(info["path"], folder + "distrib_info", "distribution file path")
    check_equal(json.loads(info["content"]), {"lang": "en", "clid": "77"}, "its content")
    check('--distr-info-file="%sdistrib_info" --distr-info-params=lang=en&clid=77 ' % folder
          in run.record["command_line"], "both switches in name order")
    with open(winelib.host_path(folder + "distrib_info"), "rb") as f:
        check_equal(json.loads(f.read()), {"lang": "en", "clid": "77"}, "kept after success")
    # Their registry value goes with the others; "lang" (now from them) stays.
    check_equal(run.registry, {"lang": "en"}, "registry after success")


def pre_downloaded_setup_is_run_in_place_without_download(ctx):
    given = os.path.join(ctx.work, "given_setup.exe")
    shutil.copyfile(ctx.setups.signed, given)
    run = ctx.install("--silent", "--browser-setup=" + winelib.win_path(given))
    check_equal(run.code, 0, "exit code")
    check_equal(run.record["arguments"][0], winelib.win_path(given), "the given file runs")
    check(os.path.exists(given), "the given file is not deleted")
    check_equal(ctx.files.requests(), [], "nothing downloaded")
    attempts, finals = ctx.reports(1)
    check_equal(attempts, [], "no attempt report")
    check_final_report(finals[0], "success", installation_id(finals[0]), download_time=False,
                       install_time=True)
    check_equal(run.messages("Installer::DownloadModuleTo"), [], "no download lines")


def relative_pre_downloaded_setup_is_the_file_in_the_current_folder(ctx):
    # A same-named unsigned file beside the installer: the module loader and
    # CreateProcessW would look there first for a relative name.
    folder = os.path.join(ctx.work, "current")
    os.makedirs(folder, exist_ok=True)
    shutil.copyfile(ctx.setups.signed, os.path.join(folder, "li_given_setup.exe"))
    decoy = os.path.join(winelib.BIN, "li_given_setup.exe")
    shutil.copyfile(ctx.setups.unsigned, decoy)
    previous = os.getcwd()
    try:
        os.chdir(folder)
        run = ctx.install("--silent", "--browser-setup=li_given_setup.exe")
    finally:
        os.chdir(previous)
        os.remove(decoy)
    full = winelib.win_path(os.path.join(folder, "li_given_setup.exe"))
    check_equal(run.code, 0, "exit code")
    check_equal(run.record["module"], full, "the verified file is the one that ran")
    check_equal(run.record["arguments"][0], full, "the setup sees its full path")
    check(run.has_line("INFO", "Installer::InstallBrowser", "Verification successed: " + full),
          "verified by its full path")


def missing_pre_downloaded_setup_is_downloaded_and_caller_clids_file_is_used(ctx):
    ctx.serve(ctx.setups.signed)
    missing = "C:\\no\\such\\setup.exe"
    clids = "Z:\\nowhere\\my clids.xml"
    run = ctx.install("--silent", "--browser-setup=" + missing, '"--clids-file=%s"' % clids)
    check_equal(run.code, 0, "exit code")
    check(run.record["arguments"][0] != missing, "a downloaded file runs")
    check_equal(len(ctx.files.requests()), 1, "downloaded once")
    check_equal(run.record["switches"]["clids-file"], clids, "the caller's clids file")
    check_equal(run.record["files"]["clids-file"]["size"], -1, "(it does not exist)")
    check_equal(sorted(os.listdir(winelib.host_path(run.folder()))), ["master_preferences"],
                "built-in master_preferences still written, clids.xml not")
    attempts, finals = ctx.reports(2)
    check_equal(len(attempts), 1, "one attempt report")


def caller_installer_data_replaces_the_built_in_file(ctx):
    ctx.serve(ctx.setups.signed)
    data = os.path.join(ctx.work, "prefs.json")
    with open(data, "w") as f:
        f.write('{"mine": true}')
    run = ctx.install("--silent", "--InstallerData=" + winelib.win_path(data))
    check_equal(run.code, 0, "exit code")
    check_equal(run.record["switches"]["installerdata"], winelib.win_path(data), "path as given")
    check_equal(run.record["files"]["installerdata"]["size"], 14, "the caller's file")
    check_equal(sorted(os.listdir(winelib.host_path(run.folder()))), ["clids.xml"],
                "built-in master_preferences not written")


def failed_verification_never_runs_the_setup(ctx):
    ctx.serve(ctx.setups.unsigned)
    run = ctx.install("--silent")
    check_equal(run.code, 400, "exit code")
    check(run.record is None, "the setup never ran")
    check(run.has_line("ERROR", "Installer::InstallBrowser", "Module verification failed: "),
          "verification line")
    check_equal(run.messages("Installer::RunProcessAndWait"), [], "no process run")
    check_state_kept(run)
    attempts, finals = ctx.reports(2)
    ui = installation_id(attempts[0])
    check_attempt_report(attempts[0], "success", 1, os.path.getsize(ctx.setups.unsigned), ui)
    check_final_report(finals[0], "failed", ui, download_time=True, install_time=False,
                       zero_time=True)
    check_equal(exit_line(run), "Installer exit with code: 400", "exit line")
    # Trusted info signed under a key outside the table: refused the same
    # way, and the end of the process is clean every time (such a run once
    # crashed after its last log line, in a system library on another
    # thread: the exit code was then the fault's, not 400).
    ctx.serve(ctx.setups.foreign_key)
    for turn in range(4):
        run = ctx.install("--silent")
        check_equal(run.code, 400, "exit code of turn %d" % turn)
        check(run.has_line("ERROR", "Installer::InstallBrowser", "Module verification failed: "),
              "refused")
        check_equal(run.log[-1].message, "Installer exit with code: 400", "last line")
        check_equal(len(ctx.reports(2)[1]), 1, "final report sent")


def setup_still_open_for_writing_is_not_run(ctx):
    # The installer holds the verified file against writers until the setup
    # has ended, so it must refuse a file that someone still writes: what
    # runs could differ from what was verified.
    given = os.path.join(ctx.work, "busy_setup.exe")
    shutil.copyfile(ctx.setups.signed, given)
    holder = subprocess.Popen(
        ["wine", "cmd", "/c", "ping -n 6 127.0.0.1 >nul 2>>" + winelib.win_path(given)],
        env=winelib.env(), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        time.sleep(1.5)  # the redirect opens the file for appending
        run = ctx.install("--silent", "--browser-setup=" + winelib.win_path(given))
    finally:
        holder.wait(timeout=60)
    check_equal(run.code, 400, "exit code")
    check(run.record is None, "the busy file never ran")
    check(run.has_line("ERROR", "Installer::InstallBrowser",
                       "Module verification failed: " + winelib.win_path(given)),
          "refused as unverified")
    check(os.path.exists(given), "a given file is never deleted")
    # Once nobody writes it, the same file is verified and run.
    run = ctx.install("--silent", "--browser-setup=" + winelib.win_path(given))
    check_equal(run.code, 0, "exit code once the file is free")


def setup_that_cannot_be_started_gives_400(ctx):
    # Verifies (signed, trusted info) but its header says DLL: CreateProcessW
    # refuses it under Wine as on Windows.
    ctx.serve(ctx.setups.unstartable)
    run = ctx.install("--silent")
    check_equal(run.code, 400, "exit code")
    check(run.record is None, "nothing ran")
    check(run.has_line("INFO", "Installer::InstallBrowser", "Verification successed: "),
          "it was verified")
    check(run.has_line("ERROR", "Installer::RunProcessAndWait", "Create process failed."),
          "create process line")
    check_state_kept(run)
    attempts, finals = ctx.reports(2)
    check_final_report(finals[0], "failed", installation_id(finals[0]), download_time=True,
                       install_time=False, zero_time=True)


def redirect_report_names_only_the_target_host(ctx):
    ctx.files.stop()
    mirror = os.path.join(ctx.docroot, "mirror", "setup.exe")
    os.makedirs(os.path.dirname(mirror), exist_ok=True)
    shutil.copyfile(ctx.setups.signed, mirror)
    port = servers.port_of(SETUP_URL)
    target = "http://127.0.0.2:%d/mirror/setup.exe" % port
    ctx.files = servers.FileServer(ctx.docroot, redirects={SETUP_PATH: target})
    run = ctx.install("--silent")
    check_equal(run.code, 0, "exit code")
    attempts, finals = ctx.reports(2)
    check_attempt_report(attempts[0], "success", 1, len(ctx.signed_bytes),
                         installation_id(attempts[0]), redirect="127.0.0.2")
    check_equal(h.values(attempts[0])["redirect"], "127.0.0.2", "host only, no path or port")
    served = [(r.path, r.status, r.host) for r in ctx.files.requests()]
    check_equal(served, [(SETUP_PATH, 302, "127.0.0.1:%d" % port),
                         ("/mirror/setup.exe", 200, "127.0.0.2:%d" % port)], "requests")


# --- cases with the fault-injecting server --------------------------------------------

def cut_transfer_case(ctx, cut_at):
    body = bytes((i * 7 + 3) & 0xFF for i in range(1000000))
    # The first request is cut, every later one gets the whole setup.
    routes = {SETUP_PATH: [servers.Route(body=body, cut_at=cut_at),
                           servers.Route(body=ctx.signed_bytes)]}
    with servers.FaultServer(routes, port=servers.port_of(SETUP_URL)) as fault:
        run = ctx.install("--silent")
        ranges = [r.headers.get("range") for r in fault.requests]
    check_equal(run.code, 0, "exit code after the retry")
    return run, ranges


def cut_below_a_tenth_restarts_from_zero(ctx):
    run, ranges = cut_transfer_case(ctx, 99999)
    check_equal(ranges, [None, None], "too little kept to resume")
    attempts, finals = ctx.reports(3)
    ui = installation_id(attempts[0])
    check_equal(len(attempts), 2, "attempt reports")
    check_attempt_report(attempts[0], "failed", 1, 99999, ui, error_prefix="internet_read-12030")
    check_attempt_report(attempts[1], "success", 2, len(ctx.signed_bytes), ui)
    check_final_report(finals[0], "success", ui, True, True)
    check(int(h.values(finals[0])["download_time"]) >= 15, "one pause of 15 s")


def cut_at_a_tenth_is_kept_and_a_server_without_ranges_sends_it_whole(ctx):
    run, ranges = cut_transfer_case(ctx, 100000)
    # The kept 100000 bytes are offered for a resume; this server ignores the
    # range and sends the whole (other) file, which replaces them.
    check_equal(ranges, [None, "bytes=100000-"], "the rest asked for")
    check(run.has_line("WARNING", "lite_installer::Downloader::OpenDownload",
                       "Resume at byte 100000 refused (status 200)"), "refused resume line")
    attempts, finals = ctx.reports(3)
    ui = installation_id(attempts[0])
    check_equal(len(attempts), 2, "attempt reports")
    check_attempt_report(attempts[0], "failed", 1, 100000, ui, error_prefix="internet_read-12030")
    check_attempt_report(attempts[1], "success", 2, len(ctx.signed_bytes), ui)
    check_final_report(finals[0], "success", ui, True, True)


def resume_against_nginx_continues_a_cut_at_60_percent(ctx):
    # nginx behind a proxy that cuts the first answer after 60 % of its body:
    # the second attempt asks nginx for the rest, and the setup verifies (its
    # signature covers every byte, so the file is the served one).
    ctx.serve(ctx.setups.signed)
    size = len(ctx.signed_bytes)
    cut = size * 60 // 100
    with servers.FileServer(ctx.docroot, port=servers.free_port(), extra_hosts=()) as files, \
            servers.CuttingProxy(files.port, cut, port=servers.port_of(SETUP_URL)):
        run = ctx.install("--silent")
        served = [(r.status, r.range, r.bytes_sent) for r in files.wait_for_requests(2)]
    check_equal(run.code, 0, "exit code")
    check(run.record is not None, "the setup ran")
    attempts, finals = ctx.reports(3)
    ui = installation_id(attempts[0])
    # What the first attempt kept: the cut, less the chunk that the closing
    # connection broke off (Wine drops a read that the close interrupts).
    kept = int(h.values(attempts[0])["downloaded"])
    check(cut - 32768 < kept <= cut, "kept %d of the %d before the cut" % (kept, cut))
    check_attempt_report(attempts[0], "failed", 1, kept, ui, error_prefix="internet_read-")
    check_equal(served[0][:2], (200, ""), "the first request")
    check_equal(served[1], (206, "bytes=%d-" % kept, size - kept), "the rest, from nginx")
    check_attempt_report(attempts[1], "success", 2, size, ui)
    check_final_report(finals[0], "success", ui, True, True)


def each_fault_of_the_download_server_ends_within_its_bound(ctx):
    # Five attempts, four faults: a server that never answers, a redirect
    # loop, a stall in the middle of the body, silence again, then the rest
    # of the file (If-Range on the first answer's ETag).
    bounds = servers.request_bounds().download
    size = len(ctx.signed_bytes)
    tag = {"ETag": '"build-1"'}
    routes = {
        SETUP_PATH: [servers.Route(hang=True), servers.Route(location="/loop/a"),
                     servers.Route(body=ctx.signed_bytes, cut_at=size * 60 // 100, stall=60,
                                   headers=tag),
                     servers.Route(hang=True),
                     servers.Route(body=ctx.signed_bytes, ranges=True, headers=tag)],
        "/loop/a": servers.Route(location="/loop/b"),
        "/loop/b": servers.Route(location="/loop/a"),
    }
    start = time.time()
    with servers.FaultServer(routes, port=servers.port_of(SETUP_URL)) as fault:
        run = ctx.install("--silent")
        took = time.time() - start
        reqs = fault.requests
    receive = bounds.receive_ms / 1000.0
    limit = 4 * 15 + 3 * receive + 40
    check(took < limit, "the run took %.0f s, bound %.0f s" % (took, limit))
    check_equal(run.code, 0, "exit code")
    check(run.record is not None, "the setup ran")
    loops = [r for r in reqs if r.path.startswith("/loop/")]
    check_equal(len(loops), bounds.max_redirects, "redirects followed")
    setup_requests = [r for r in reqs if r.path == SETUP_PATH]
    check_equal(len(setup_requests), 5, "one request per attempt")
    kept = int(setup_requests[4].headers["range"][len("bytes="):-1])
    check_equal(kept, size * 60 // 100, "kept all that arrived before the stall")
    check_equal(setup_requests[4].headers.get("if-range"), '"build-1"', "If-Range")
    attempts, finals = ctx.reports(6)
    ui = installation_id(attempts[0])
    expected = [("failed", 0, "internet_open_url-12002", None),
                ("failed", 0, "internet_open_url-12156", "127.0.0.1"),
                ("failed", kept, "internet_read-12002", None),
                ("failed", kept, "internet_open_url-12002", None),
                ("success", size, None, None)]
    check_equal(len(attempts), 5, "attempt reports")
    for i, (status, downloaded, error, redirect) in enumerate(expected):
        check_attempt_report(attempts[i], status, i + 1, downloaded, ui, error_prefix=error,
                             redirect=redirect)
        if error:
            check_equal(h.values(attempts[i])["error"], error, "error of attempt %d" % (i + 1))
    check_final_report(finals[0], "success", ui, True, True)


def download_that_gets_nowhere_fails_five_times_and_leaves_nothing(ctx):
    # Five bodies that are not the setup: a byte every 2 s (below the receive
    # timeout), an endless one without length, one longer than announced,
    # and two drips more. Each ends its attempt; none is resumed or kept.
    limits = servers.request_bounds().body
    drip = servers.Route(body=ctx.signed_bytes, trickle=2.0)
    routes = {SETUP_PATH: [drip, servers.Route(endless=True),
                           servers.Route(body=ctx.signed_bytes, length=1000), drip, drip]}
    start = time.time()
    with servers.FaultServer(routes, port=servers.port_of(SETUP_URL)) as fault:
        run = ctx.install("--silent")
        took = time.time() - start
        ranges = [r.headers.get("range") for r in fault.requests]
    limit = 4 * 15 + 3 * (limits.low_speed_window_ms / 1000.0 + 2 * 2.0) + 30
    check(took < limit, "the run took %.0f s, bound %.0f s" % (took, limit))
    check_equal(run.code, 400, "exit code")
    check(run.record is None, "nothing ran")
    check_equal(ranges, [None] * 5, "nothing resumed")
    attempts, finals = ctx.reports(6)
    ui = installation_id(attempts[0])
    errors = ["internet_read-12002", "internet_read-223", "internet_read-12152",
              "internet_read-12002", "internet_read-12002"]
    check_equal([h.values(a)["error"] for a in attempts], errors, "attempt errors")
    for i, a in enumerate(attempts):
        check_attempt_report(a, "failed", i + 1, None, ui, error_prefix=errors[i])
    downloaded = [int(h.values(a)["downloaded"]) for a in attempts]
    cap = limits.unannounced_cap
    check(all(0 < downloaded[i] < 5 for i in (0, 3, 4)), "a few bytes dripped: %r" % downloaded)
    check(cap - 32768 < downloaded[1] <= cap and downloaded[2] <= 1000,
          "nothing past the cap or the length: %r" % downloaded)
    check_final_report(finals[0], "failed", ui, download_time=True, install_time=False,
                       zero_time=True)
    check_equal(len(run.messages("lite_installer::Downloader::ReadChunk")), 5, "one line each")
    check_state_kept(run)


FaultReport = collections.namedtuple("FaultReport", "uri params")


def fault_reports(fault):
    """The fault server's requests in the shape the report checks read."""
    out = []
    for r in fault.requests:
        query = r.path.partition("?")[2]
        params = [tuple(p.split("=", 1)) if "=" in p else (p, "") for p in query.split("&") if p]
        out.append(FaultReport(r.path, params))
    return out


def status_endpoint_fault_case(ctx, make_endpoint, **install_args):
    """A good download with the status endpoint replaced; the nginx endpoint
    comes back afterwards."""
    ctx.status.stop()
    ctx.status = None
    routes = {SETUP_PATH: servers.Route(body=ctx.signed_bytes)}
    try:
        with servers.FaultServer(routes, port=servers.port_of(SETUP_URL)), make_endpoint() as endpoint:
            start = time.time()
            run = ctx.install("--silent", **install_args)
            took = time.time() - start
    finally:
        ctx.status = servers.StatusEndpoint()
    check_equal(run.code, 0, "exit code: reports never stop an installation")
    check(run.record is not None, "the setup ran")
    check_cleaned_up(run)
    return run, endpoint, took


def silent_status_endpoint_costs_each_report_its_bound(ctx):
    # Accepts and never answers, not even the TLS handshake (Wine's receive
    # timeout does not cover it): only the whole bound of a report ends it.
    total = servers.request_bounds().report.total_ms / 1000.0
    port = servers.port_of(servers.build_config()["LI_STATUS_ENDPOINT"])
    run, endpoint, took = status_endpoint_fault_case(
        ctx, lambda: servers.SilentListener(port=port))
    check_equal(endpoint.accepted, 2, "the attempt report and the final report were tried")
    check(2 * total - 0.5 <= took < 2 * total + 25, "the run took %.1f s" % took)
    check_equal([m.split(" Last error: ")[0] for m in run.messages("Installer::ReportStatus")],
                ["Cannot report download status: internet_open_url-12002"], "attempt report line")
    check_equal([m.split(" Last error: ")[0]
                 for m in run.messages("Installer::ReportInstallationFinished")],
                ["Cannot report installation status: internet_open_url-12002"], "final line")
    # The final report still comes last, after the setup.
    lines = [e.message for e in run.log]
    setup_end = max(i for i, m in enumerate(lines) if m.startswith("Setup process exit with code"))
    final = max(i for i, m in enumerate(lines) if m.startswith("Cannot report installation status"))
    check(final > setup_end, "final report after the setup")


def tls_status_endpoint(ctx, routes):
    """A fault server on the status endpoint's port with a trusted test CA."""
    work = tempfile.mkdtemp(prefix="li_status_", dir=ctx.work)
    ca = servers.TestCa(os.path.join(work, "ca"))
    cert, key = ca.issue_server_cert(["127.0.0.1", "localhost"], os.path.join(work, "server"))
    port = servers.port_of(servers.build_config()["LI_STATUS_ENDPOINT"])

    @contextlib.contextmanager
    def endpoint():
        with servers.trusted_ca(ca.cert_der), \
                servers.FaultServer(routes, port=port, tls=(cert, key)) as fault:
            yield fault
    return endpoint


def slow_status_endpoint_drops_only_the_late_report(ctx):
    # The attempt report is answered after a long delay (the receive timeout
    # drops it); the final report is answered at once and arrives whole.
    routes = {STATUS_PATH: [servers.Route(body=b"ok", delay=30), servers.Route(body=b"ok")]}
    run, fault, took = status_endpoint_fault_case(ctx, tls_status_endpoint(ctx, routes))
    reports = fault_reports(fault)
    check_equal(len(reports), 2, "both reports sent")
    ui = installation_id(reports[0])
    check_attempt_report(reports[0], "success", 1, len(ctx.signed_bytes), ui)
    check_final_report(reports[1], "success", ui, True, True)
    check(run.has_line("ERROR", "Installer::ReportStatus",
                       "Cannot report download status: internet_open_url-12002"), "dropped")
    check(not run.messages("Installer::ReportInstallationFinished"), "the final one went through")


def https_status_endpoint_redirecting_to_http_sends_nothing_in_clear(ctx):
    plain_port = servers.free_port()
    seen = {}

    @contextlib.contextmanager
    def endpoint():
        clear = "http://127.0.0.1:%d%s" % (plain_port, STATUS_PATH)
        with servers.FaultServer({}, port=plain_port) as plain, \
                servers.StatusEndpoint(status=302, body=clear) as status:
            yield plain
            seen["https"] = [r.status for r in status.wait_for_requests(2)]

    run, plain, took = status_endpoint_fault_case(ctx, endpoint)
    check_equal(plain.requests, [], "requests on the http port")
    check_equal(seen["https"], [302, 302], "both reports asked the https endpoint only")
    for function, line in (("Installer::ReportStatus", "Cannot report download status: "),
                           ("Installer::ReportInstallationFinished",
                            "Cannot report installation status: ")):
        check_equal([m.split(" Last error: ")[0] for m in run.messages(function)],
                    [line + "internet_open_url-12040"], "refused redirect line")


def endless_status_answer_costs_no_memory(ctx):
    # The status endpoint answers 200 with a body that never ends: each
    # report ends at its bound keeping none of it, and the installation
    # succeeds with the memory of any run (about 25 MiB; a report that read
    # on took a run to 600 MiB and an abort).
    total = servers.request_bounds().report.total_ms / 1000.0
    routes = {STATUS_PATH: servers.Route(body=b"endless ", endless=True)}
    run, fault, took = status_endpoint_fault_case(ctx, tls_status_endpoint(ctx, routes),
                                                  watch_memory=True)
    check_equal(fault.request_count(STATUS_PATH), 2, "both reports sent")
    check(took < 2 * total + 25, "the run took %.1f s" % took)
    print("   peak memory %d KiB, %.1f s" % (run.peak_kib, took))
    check(0 < run.peak_kib < 48 * 1024, "peak memory %d KiB" % run.peak_kib)
    check_equal([m.split(" Last error: ")[0] for m in run.messages("Installer::ReportStatus")],
                ["Cannot report download status: internet_read-12002"], "attempt report line")
    check_equal(exit_line(run), "Installer exit with code: 0", "exit line")


def missing_content_length_downloads_to_the_end(ctx):
    routes = {SETUP_PATH: servers.Route(body=ctx.signed_bytes, content_length=False)}
    with servers.FaultServer(routes, port=servers.port_of(SETUP_URL)):
        run = ctx.install("--silent")
    check_equal(run.code, 0, "exit code")
    check_equal(run.record["exit_code"], 0, "setup ran")
    attempts, finals = ctx.reports(2)
    check_attempt_report(attempts[0], "success", 1, len(ctx.signed_bytes),
                         installation_id(attempts[0]))


def server_that_always_fails_gets_five_attempts(ctx):
    # Unknown path: 404 with the body "not found" on every attempt.
    with servers.FaultServer({}, port=servers.port_of(SETUP_URL)) as fault:
        run = ctx.install("--silent")
        count = fault.request_count(SETUP_PATH)
    check_equal(run.code, 400, "exit code")
    check_equal(count, 5, "requests")
    check(run.record is None, "nothing ran")
    attempts, finals = ctx.reports(6)
    ui = installation_id(attempts[0])
    check_equal([h.values(a)["attempt"] for a in attempts], ["1", "2", "3", "4", "5"],
                "attempt numbers")
    for a in attempts:
        check_attempt_report(a, "failed", int(h.values(a)["attempt"]), len(b"not found"), ui,
                             error_prefix="final_query_info-404-")
    check_final_report(finals[0], "failed", ui, download_time=True, install_time=False,
                       zero_time=True)
    check(int(h.values(finals[0])["download_time"]) >= 60, "four pauses of 15 s")
    check(run.has_line("ERROR", "Installer::DownloadModuleTo",
                       "Max download attempts failed (5)"), "max attempts line")
    check(run.has_line("ERROR", "Installer::InstallBrowser", "Module was not downloaded: "),
          "not downloaded line")
    check_state_kept(run)


def authenticating_proxy_refuses_every_silent_attempt(ctx):
    # A silent run never asks for the proxy's credentials; the reports'
    # CONNECT passes without them.
    ctx.serve(ctx.setups.signed)
    with servers.SquidProxy("tester", "Pr0xy-s3cret-Zq", [ctx.status.port]) as proxy, \
            servers.system_proxy(proxy.port):
        start = time.time()
        run = ctx.install("--silent")
        took = time.time() - start
        asked = [(r.status, r.user) for r in proxy.requests() if r.url == SETUP_URL]
    check_equal((run.code, run.record, asked), (400, None, [(407, "-")] * 5), "refused run")
    check(took < 4 * 15 + 30 and not ctx.files.requests(), "bounded, all through the proxy")
    check(run.has_line("WARNING", "lite_installer::Downloader::OpenDownload",
                       "The proxy asks for credentials: " + SETUP_URL), "the log says why")
    attempts, finals = ctx.reports(6)
    for number, a in enumerate(attempts, 1):
        check_attempt_report(a, "failed", number, None, installation_id(attempts[0]),
                             error_prefix="final_query_info-407-")


def unreachable_status_endpoint_changes_only_the_log(ctx):
    if ctx.status:
        ctx.status.stop()
    ctx.status = None
    ctx.serve(ctx.setups.signed)
    if not ctx.files:
        ctx.files = servers.FileServer(ctx.docroot)
    run = ctx.install("--silent")
    check_equal(run.code, 0, "exit code")
    check(run.record is not None, "the setup ran")
    check_cleaned_up(run)
    check(run.has_line("ERROR", "Installer::ReportStatus", "Cannot report download status: "),
          "attempt report failure line")
    check(run.has_line("ERROR", "Installer::ReportInstallationFinished",
                       "Cannot report installation status: "), "final report failure line")


def main():
    original_version = winelib.reg_query("Version", key=WINE_VERSION_KEY)
    ctx = Context()
    ctx.status = servers.StatusEndpoint()
    ctx.files = servers.FileServer(ctx.docroot)
    nginx_cases = [
        silent_install_hands_everything_to_the_setup_and_cleans_up,
        setup_exit_code_passes_on_with_the_callers_extra_switches,
        setup_exit_code_above_255_passes_on_whole,
        files_left_in_the_temporary_directory_are_neither_used_nor_touched,
        make_default_is_dropped_on_windows_10,
        two_installers_at_once_each_hand_their_setup_their_own_data,
        temporary_directory_with_cyrillic_letters_and_a_blank_holds_the_run_folder,
        hostile_language_values_reach_nothing,
        distribution_parameters_reach_the_setup_as_a_file,
        pre_downloaded_setup_is_run_in_place_without_download,
        relative_pre_downloaded_setup_is_the_file_in_the_current_folder,
        missing_pre_downloaded_setup_is_downloaded_and_caller_clids_file_is_used,
        caller_installer_data_replaces_the_built_in_file,
        failed_verification_never_runs_the_setup,
        setup_still_open_for_writing_is_not_run,
        setup_that_cannot_be_started_gives_400,
        redirect_report_names_only_the_target_host,
        authenticating_proxy_refuses_every_silent_attempt,
    ]
    fault_cases = [
        missing_content_length_downloads_to_the_end,
        cut_below_a_tenth_restarts_from_zero,
        cut_at_a_tenth_is_kept_and_a_server_without_ranges_sends_it_whole,
        resume_against_nginx_continues_a_cut_at_60_percent,
        server_that_always_fails_gets_five_attempts,
        each_fault_of_the_download_server_ends_within_its_bound,
        silent_status_endpoint_costs_each_report_its_bound,
        slow_status_endpoint_drops_only_the_late_report,
        https_status_endpoint_redirecting_to_http_sends_nothing_in_clear,
        download_that_gets_nowhere_fails_five_times_and_leaves_nothing,
        endless_status_answer_costs_no_memory,
    ]

    def with_the_log_on_failure(case):
        def run(ctx):
            try:
                case(ctx)
            except Exception:
                for entry in installer_log.read(winelib.log_path(), strict=False)[-40:]:
                    print("   log: " + entry.text.rstrip("\r\n"))
                raise
        run.__name__ = case.__name__
        return run

    def restore_version():
        if original_version:
            winelib.set_windows_version(original_version[1])
        else:
            winelib.reg("delete", WINE_VERSION_KEY, "/v", "Version", "/f")

    def run(cases):
        return checks.run([with_the_log_on_failure(c) for c in cases], ctx,
                          only=sys.argv[1:], tear_down=restore_version)
    try:
        status = run(nginx_cases)
        ctx.files.stop()  # the fault server takes the download port
        ctx.files = None
        return run(fault_cases + [unreachable_status_endpoint_changes_only_the_log]) or status
    finally:
        for server in (ctx.files, ctx.status):
            if server:
                server.stop()
        h.reset_prefix_state()
        shutil.rmtree(ctx.work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
