"""No library beside the installer is ever loaded. Marker DLLs (each leaves
"<its path>.ran" behind from its entry point) lie beside copies of
lite_installer.exe and library_guard_probe.exe under the names of the
libraries the installer and what it loads use, and Wine is told to prefer a
DLL beside the program (WINEDLLOVERRIDES "name=n,b"), which is what Windows
does for a library that is not a KnownDLL. The probe without the guard must
load every marker (so the test can fail); with the guard, by full system
path, in a silent installation and in an interactive start, none may run.
"""
import os
import shutil
import subprocess
import sys
import tempfile

from support import install_harness as h, servers, winelib
from support import checks
from support.checks import check

MARKER = os.path.join(winelib.BIN, "verify_marker.dll")
PROBE = os.path.join(winelib.BIN, "library_guard_probe.exe")
# What the installer imports or loads, what the dialog will, and what those
# load in turn.
PLANTED = ["wininet", "crypt32", "wintrust", "winmm", "version", "shlwapi", "cabinet",
           "gdiplus", "comctl32", "uxtheme", "riched20", "msimg32", "dwmapi", "secur32",
           "urlmon", "iertutil", "userenv", "mpr", "bcrypt", "ncrypt", "dnsapi", "iphlpapi",
           "winhttp", "rsaenh", "imagehlp", "netapi32"]
# The dialog, on the run's display, has loaded its libraries (GDI+, the
# common controls, the rich-edit library) well within this; then it is ended.
INTERACTIVE_BOUND = 15


class Folder:
    """A downloads folder with the programs and the planted markers."""

    def __init__(self):
        self.path = tempfile.mkdtemp(prefix="li_planted_", dir=winelib.HOST_BUILD or None)
        for name in PLANTED:
            shutil.copyfile(MARKER, os.path.join(self.path, name + ".dll"))
        self.installer = os.path.join(self.path, "lite_installer.exe")
        shutil.copyfile(winelib.INSTALLER, self.installer)
        self.probe = os.path.join(self.path, "library_guard_probe.exe")
        shutil.copyfile(PROBE, self.probe)

    def markers_run(self):
        found = sorted(n[:-len(".dll.ran")] for n in os.listdir(self.path) if n.endswith(".ran"))
        for n in os.listdir(self.path):
            if n.endswith(".ran"):
                os.remove(os.path.join(self.path, n))
        return found

    def remove(self):
        shutil.rmtree(self.path, ignore_errors=True)


def prefer_beside_the_program():
    return {"WINEDLLOVERRIDES": "mscoree,mshtml=;%s=n,b" % ",".join(PLANTED)}


def probe(folder, *mode, names=PLANTED):
    p = winelib.wine([folder.probe] + list(mode) + [n + ".dll" for n in names],
                     extra_env=prefer_beside_the_program(), timeout=120)
    loaded = dict(line.split("=", 1) for line in p.stdout.splitlines() if "=" in line)
    return loaded, folder.markers_run()


def from_the_folder(folder, loaded):
    beside = winelib.win_path(folder.path).lower()
    return sorted(n[:-4] for n, path in loaded.items() if path.lower().startswith(beside))


def check_without_the_guard_every_planted_dll_loads(folder):
    # The control: the test's own setup would catch a planted DLL.
    loaded, markers = probe(folder, "--no-guard")
    check(markers == sorted(PLANTED), "markers without the guard: %s" % markers)
    check(from_the_folder(folder, loaded) == sorted(PLANTED), "loaded: %s" % loaded)


def check_system_paths(loaded):
    for name, path in loaded.items():
        # A library the system lacks is simply not found (126), as it must
        # be: never taken from beside the program instead.
        check(path.lower().startswith("c:\\windows\\") or path == "failed-126",
              "%s: %s" % (name, path))


def check_guarded_bare_names_load_only_system_libraries(folder):
    loaded, markers = probe(folder)
    check(markers == [], "markers: %s" % markers)
    check(from_the_folder(folder, loaded) == [], "from the folder: %s" % loaded)
    check_system_paths(loaded)
    found = [n for n, path in loaded.items() if not path.startswith("failed-")]
    check(len(found) >= len(PLANTED) - 3, "only %s loaded" % found)


def check_full_system_paths_without_the_guard_never_load_the_planted_copy(folder):
    # A system without SetDefaultDllDirectories: the library asked for comes
    # from the system directory. (What such a system's own libraries load
    # in turn still follows the old order: comctl32 takes uxtheme, and
    # wininet netapi32, from beside the program under Wine then. Only the
    # system's update closes that; the guard does where it exists.)
    for name in PLANTED:
        loaded, markers = probe(folder, "--system-path", names=[name])
        check(name not in markers, "%s ran its planted copy" % name)
        check_system_paths(loaded)


def silent_installation(folder, installer, cwd=None):
    work = tempfile.mkdtemp(prefix="work_", dir=folder.path)
    setups = h.make_sample_setups(os.path.join(work, "setups"))
    docroot = os.path.join(work, "docroot")
    target = docroot + h.setup_path()
    os.makedirs(os.path.dirname(target))
    shutil.copyfile(setups.signed, target)
    h.reset_prefix_state()
    record = os.path.join(work, "record.json")
    env = prefer_beside_the_program()
    env["FAKE_SETUP_RESULT"] = winelib.win_path(record)
    with servers.FileServer(docroot), servers.StatusEndpoint() as status:
        code, _ = winelib.run_command_line('"%s" --silent --send-statistics'
                                           % winelib.win_path(installer), extra_env=env, cwd=cwd)
        reports = status.wait_for_requests(2)
    markers = folder.markers_run()
    check(markers == [], "markers of a silent installation: %s (exit code %d)" % (markers, code))
    check(code == 0, "exit code %d" % code)
    check(os.path.exists(record), "the setup ran")
    check(len(reports) == 2, "both reports sent: %s" % [r.uri for r in reports])


def check_silent_installation_loads_nothing_planted(folder):
    silent_installation(folder, folder.installer)


def check_planted_dlls_in_the_current_directory_are_not_loaded_either(folder):
    # The installer in a folder of its own, started from the planted one:
    # the current directory is out of every search, the built-in libraries'
    # own loads included.
    elsewhere = tempfile.mkdtemp(prefix="program_", dir=folder.path)
    installer = os.path.join(elsewhere, "lite_installer.exe")
    shutil.copyfile(winelib.INSTALLER, installer)
    silent_installation(folder, installer, cwd=folder.path)


def check_dll_left_in_the_temporary_directory_never_runs_in_the_setup(folder):
    # The setup (tests/setup/fake_setup.cc) imports version.dll, which the
    # loader looks for in the setup's own folder first: a setup run from the
    # temporary directory itself would load this copy.
    marker = os.path.join(winelib.temp_dir(), "version.dll")
    shutil.copyfile(MARKER, marker)
    try:
        silent_installation(folder, winelib.INSTALLER)
        check(not os.path.exists(marker + ".ran"), "the setup ran the temporary directory's DLL")
    finally:
        for path in (marker, marker + ".ran"):
            if os.path.exists(path):
                os.remove(path)


def check_interactive_start_loads_nothing_planted(folder):
    h.reset_prefix_state()
    line = '"%s"' % winelib.win_path(folder.installer)
    try:
        winelib.run_command_line(line, timeout=INTERACTIVE_BOUND,
                                 extra_env=prefer_beside_the_program())
    except subprocess.TimeoutExpired:
        # A dialog that waits for the user: ended here, the check still holds.
        winelib.wine(["taskkill", "/F", "/IM", "lite_installer.exe"], timeout=60)
    markers = folder.markers_run()
    check(markers == [], "markers of an interactive start: %s" % markers)


def main():
    folder = Folder()
    cases = [
        check_without_the_guard_every_planted_dll_loads,
        check_guarded_bare_names_load_only_system_libraries,
        check_full_system_paths_without_the_guard_never_load_the_planted_copy,
        check_silent_installation_loads_nothing_planted,
        check_planted_dlls_in_the_current_directory_are_not_loaded_either,
        check_dll_left_in_the_temporary_directory_never_runs_in_the_setup,
        check_interactive_start_loads_nothing_planted,
    ]
    try:
        return checks.run(cases, folder)
    finally:
        h.reset_prefix_state()
        folder.remove()


if __name__ == "__main__":
    sys.exit(main())
