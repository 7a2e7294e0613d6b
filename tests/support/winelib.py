"""Helpers for tests that run the Windows build under 32-bit Wine.

Everything works in the one private prefix of the test run (LI_WINEPREFIX);
the host's default prefix and certificate store are never touched.
"""
import glob
import os
import re
import subprocess
import tempfile
import time

PREFIX = os.environ.get("LI_WINEPREFIX", "")
WIN_BUILD = os.environ.get("LI_WIN_BUILD_DIR", "")
HOST_BUILD = os.environ.get("LI_HOST_BUILD_DIR", "")
SOURCE = os.environ.get("LI_SOURCE_DIR", "")
BIN = os.path.join(WIN_BUILD, "bin")
INSTALLER = os.path.join(BIN, "lite_installer.exe")
REG_KEY = r"HKCU\Software\Tavrix\TavrixBrowser"


# The run's own X display (made by prefix.py with the prefix): every Wine
# process of the tests gets it unless the test gives its own. A process that
# creates a window without any display makes the prefix's desktop fall back
# to no display at all, for every later process the persistent wineserver
# serves (measured: the dialog then fails at once on a display too).
DISPLAY_FILE = PREFIX + ".display" if PREFIX else ""


def free_display_number():
    return next(n for n in range(91, 200)
                if not os.path.exists("/tmp/.X11-unix/X%d" % n)
                and not os.path.exists("/tmp/.X%d-lock" % n))


def start_xvfb(number, width=1280, height=800, **popen_args):
    """Xvfb (-noreset, 24-bit) on display `number`, once its socket exists."""
    xvfb = subprocess.Popen(["Xvfb", ":%d" % number, "-screen", "0", "%dx%dx24" % (width, height),
                             "-nolisten", "tcp", "-noreset"], stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL, **popen_args)
    if not wait_for(lambda: os.path.exists("/tmp/.X11-unix/X%d" % number), 10):
        xvfb.kill()
        raise RuntimeError("Xvfb did not start on :%d" % number)
    return xvfb


def prefix_display():
    """(name, Xvfb pid) of the run's display, or None."""
    try:
        with open(DISPLAY_FILE) as f:
            name, pid = f.read().split()
        return name, int(pid)
    except (OSError, ValueError):
        return None


def env(extra=None):
    e = dict(os.environ)
    e.update({
        "WINEPREFIX": PREFIX,
        "WINEARCH": "win32",
        "WINEDEBUG": "-all",
        "WINEDLLOVERRIDES": "mscoree,mshtml=",
    })
    e.pop("DISPLAY", None)
    display = prefix_display()
    if display:
        e["DISPLAY"] = display[0]
    if extra:
        e.update(extra)
    return e


def win_path(path):
    """Windows form of a host path (Wine maps / to drive Z:)."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def host_path(path):
    """Host form of a C: or Z: path of the prefix."""
    if path[:2].upper() == "Z:":
        return path[2:].replace("\\", "/")
    if path[:2].upper() == "C:":
        return os.path.join(PREFIX, "drive_c", path[3:].replace("\\", "/"))
    raise ValueError(path)


def run_captured(argv, timeout=120, extra_env=None, check=False, cwd=None):
    """Runs a program of the prefix with its output in temporary files, not
    pipes: Wine's own services started by a call would otherwise hold the
    pipes open and the call would never end. `cwd` (a host folder) becomes
    the program's current directory."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        p = subprocess.run(argv, env=env(extra_env), stdout=out, stderr=err, timeout=timeout,
                           cwd=cwd)
        out.seek(0)
        err.seek(0)
        p.stdout = out.read().decode("utf-8", "replace")
        p.stderr = err.read().decode("utf-8", "replace")
    if check and p.returncode != 0:
        raise subprocess.CalledProcessError(p.returncode, argv, p.stdout, p.stderr)
    return p


def wine(args, timeout=120, extra_env=None, check=False, cwd=None):
    """Runs `wine args...`; returns CompletedProcess with text output."""
    return run_captured(["wine"] + list(args), timeout=timeout, extra_env=extra_env, check=check,
                        cwd=cwd)


def run_command_line(command_line, timeout=300, extra_env=None, cwd=None):
    """Runs a raw Windows command line through exit_code_runner.exe and returns
    (full exit code, runner process). The text reaches CreateProcessW exactly
    as given (it travels in an environment variable)."""
    runner = os.path.join(BIN, "exit_code_runner.exe")
    extra = dict(extra_env or {})
    extra["LI_RUN_COMMAND_LINE"] = command_line
    p = wine([runner], timeout=timeout, extra_env=extra, cwd=cwd)
    m = re.search(r"exit=(-?\d+)", p.stdout)
    if not m:
        raise RuntimeError("runner failed: %r %r" % (p.stdout, p.stderr))
    return int(m.group(1)), p


def run_installer(*switches, timeout=300, extra_env=None):
    """Runs lite_installer.exe with the given switch words; returns exit code."""
    line = '"%s" %s' % (win_path(INSTALLER), " ".join(switches))
    code, _ = run_command_line(line.strip(), timeout=timeout, extra_env=extra_env)
    return code


def user_dir():
    users = [d for d in glob.glob(os.path.join(PREFIX, "drive_c", "users", "*"))
             if os.path.basename(d) != "Public"]
    if not users:
        raise RuntimeError("prefix has no user folder")
    return users[0]


def temp_dir():
    return os.path.join(user_dir(), "Temp")


def win_temp_dir():
    return "C:\\users\\%s\\Temp\\" % os.path.basename(user_dir())



def log_path():
    return os.path.join(temp_dir(), "lite_installer.log")


def clear_log():
    for p in (log_path(), log_path() + ".old"):
        if os.path.exists(p):
            os.remove(p)


def reg(*args):
    return wine(["reg"] + list(args))


def reg_query(name, key=REG_KEY):
    """(type, data) of a registry value, or None."""
    p = reg("query", key, "/v", name)
    for line in p.stdout.splitlines():
        parts = line.strip().split(None, 2)
        if len(parts) >= 2 and parts[0].lower() == name.lower() and parts[1].startswith("REG_"):
            return parts[1], parts[2] if len(parts) > 2 else ""
    return None


def reg_values(key=REG_KEY):
    """Names of the values under a key."""
    p = reg("query", key)
    names = []
    for line in p.stdout.splitlines():
        parts = line.strip().split(None, 2)
        if len(parts) >= 2 and parts[1].startswith("REG_"):
            names.append(parts[0])
    return names


def reg_delete_key(key=REG_KEY):
    reg("delete", key, "/f")


def set_windows_version(version):
    """Sets the prefix's reported Windows version ("winxp", "vista", "win7",
    "win81", "win10")."""
    reg("add", r"HKCU\Software\Wine", "/v", "Version", "/t", "REG_SZ", "/d", version, "/f")


def wait_for(predicate, timeout=10.0, step=0.05):
    end = time.time() + timeout
    while time.time() < end:
        if predicate():
            return True
        time.sleep(step)
    return predicate()
