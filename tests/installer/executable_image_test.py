"""The shape of lite_installer.exe as users download it: a 32-bit PE image
for the GUI subsystem that exports GetHandleVerifier, imports only DLLs of the
system (the mingw runtime is linked in, never a DLL beside the program) and
carries the application manifest. Reads the file with objdump; no Wine.

When it starts, the program imports only kernel32 and msvcrt, two KnownDLLs
that no folder can override: every other library is delay-loaded from the
system directory (platform/library_guard.h), so a DLL left beside the
program in a downloads folder is never loaded before wWinMain can prevent it.
"""
import os
import re
import subprocess
import sys

from support import checks

# DLLs that every supported Windows (XP to 10) has in its system folder.
SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "ole32.dll",
    "oleaut32.dll", "comctl32.dll", "comdlg32.dll", "shlwapi.dll", "wininet.dll",
    "crypt32.dll", "wintrust.dll", "winmm.dll", "version.dll", "msimg32.dll", "uxtheme.dll",
    "gdiplus.dll", "urlmon.dll", "msvcrt.dll", "rpcrt4.dll", "cabinet.dll", "imagehlp.dll",
    "secur32.dll", "ws2_32.dll", "psapi.dll", "userenv.dll", "riched20.dll",
}
# KnownDLLs on every supported Windows: always from the system directory.
STARTUP_DLLS = {"kernel32.dll", "msvcrt.dll"}
# Runtime DLLs of the toolchain that a user's machine does not have.
RUNTIME_DLL = re.compile(r"^(libgcc|libstdc\+\+|libwinpthread|libssp|libjansson|mingwm)", re.I)


def check_executable_image():
    exe = sys.argv[1]
    objdump = os.environ.get("LI_OBJDUMP", "i686-w64-mingw32-objdump")
    p = subprocess.run([objdump, "-p", exe], capture_output=True, text=True, check=True)
    head = subprocess.run([objdump, "-f", exe], capture_output=True, text=True, check=True)
    failures = []

    def expect(condition, what):
        if not condition:
            failures.append(what)

    expect("file format pei-i386" in head.stdout, "PE32 image for i386")
    expect(re.search(r"^Magic\s+010b\s+\(PE32\)", p.stdout, re.M) is not None, "optional header PE32")
    expect(re.search(r"^Subsystem\s+00000002\s+\(Windows GUI\)", p.stdout, re.M) is not None,
           "GUI subsystem")
    names = p.stdout.split("[Ordinal/Name Pointer] Table", 1)
    exports = re.findall(r"^\s*\[\s*\d+\]\s+(\S+)\s*$", names[1].split("\n\n")[0], re.M) \
        if len(names) == 2 else []
    expect(exports == ["GetHandleVerifier"], "exports GetHandleVerifier and nothing else (%s)" % exports)
    dlls = [d.lower() for d in re.findall(r"^\s*DLL Name:\s*(\S+)", p.stdout, re.M)]
    expect(bool(dlls), "has an import table")
    expect(not [d for d in dlls if RUNTIME_DLL.match(d)], "no runtime DLL imported (%s)" % dlls)
    expect(set(dlls) <= SYSTEM_DLLS, "only system DLLs imported (%s)" % sorted(set(dlls) - SYSTEM_DLLS))
    expect(set(dlls) == STARTUP_DLLS,
           "imports at start-up only %s (%s): add a new library to LI_DELAY_LOADED_LIBRARIES"
           % (sorted(STARTUP_DLLS), sorted(dlls)))

    data = open(exe, "rb").read()
    # The manifest is kept as UTF-8 text in the resources.
    expect(b'<requestedExecutionLevel level="asInvoker"' in data, "manifest: asInvoker")
    expect(b'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' in data,
           "manifest: common controls 6.0")
    for name, guid in [("Vista", b"e2011457-1546-43c5-a5fe-008deee3d3f0"),
                       ("7", b"35138b9a-5d96-4fbd-8e2d-a2440225f93a"),
                       ("8", b"4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38"),
                       ("8.1", b"1f676c76-80e1-4239-95bb-83d0f6d0da78"),
                       ("10", b"8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a")]:
        expect(guid in data, "manifest: supported OS Windows " + name)
    rsrc = subprocess.run([objdump, "-h", exe], capture_output=True, text=True, check=True)
    expect(".rsrc" in rsrc.stdout, "has a resource section")
    checks.check(not failures, "\n".join(failures))


if __name__ == "__main__":
    sys.exit(checks.run([check_executable_image]))
