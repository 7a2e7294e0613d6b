"""Shared by the silent-installation tests and the README's demo: the sample
setups (the fake browser setup, signed with a test PKI so that it passes
verification, and variants that must not run), one installer run with the
fake setup's record, the log and the registry afterwards, and the reading of
the status reports that the HTTPS endpoint received.

Needs a Wine test environment (LI_WINEPREFIX, LI_WIN_BUILD_DIR, LI_SOURCE_DIR).
"""
import collections
import glob
import json
import os
import re
import shutil
import struct
import subprocess
import tempfile
import time
import urllib.parse

from support import installer_log, pki, servers, winelib

FAKE_SETUP = os.path.join(winelib.BIN, "fake_setup.exe")
GUID_RE = re.compile(r"^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$")
IMAGE_FILE_DLL = 0x2000


def setup_url():
    """The default brand's setup URL: the download base + "tavrix/browser-setup.arc"."""
    return servers.build_config()["LI_DOWNLOAD_BASE"] + "tavrix/browser-setup.arc"


def setup_path():
    return servers.path_of(setup_url())


def generated_file(name):
    """A data file as the Windows build generated it for its resources."""
    with open(os.path.join(winelib.WIN_BUILD, "generated", name), "rb") as f:
        return f.read()


def _mark_as_dll(image, out):
    """A copy whose header says "DLL": it still verifies (the flag is set
    before signing) but CreateProcessW refuses to start it."""
    with open(image, "rb") as f:
        data = bytearray(f.read())
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    characteristics = struct.unpack_from("<H", data, pe + 4 + 18)[0]
    struct.pack_into("<H", data, pe + 4 + 18, characteristics | IMAGE_FILE_DLL)
    with open(out, "wb") as f:
        f.write(data)
    return out


SampleSetups = collections.namedtuple("SampleSetups", "signed unsigned unstartable foreign_key")

PAD_SECTION = 0x40000040  # initialised data, readable


def _align(value, alignment):
    return (value + alignment - 1) // alignment * alignment


def pad_image(image, out, payload_size):
    """A copy of image grown to about payload_size bytes by one more section
    (".pad"), the way a setup carries its payload. Aligned in the file as a
    linker aligns sections (the file alignment, not pages), so that Wine's
    loader reads such an image into memory as it does a real setup's, rather
    than mapping it. Written in pieces: a padded setup can be larger than the
    memory one would like to spend."""
    with open(image, "rb") as f:
        data = bytearray(f.read())
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    count, = struct.unpack_from("<H", data, pe + 6)
    optional_size, = struct.unpack_from("<H", data, pe + 20)
    optional = pe + 24
    section_alignment, file_alignment = struct.unpack_from("<II", data, optional + 32)
    headers_size, = struct.unpack_from("<I", data, optional + 60)
    table = optional + optional_size
    new_header = table + 40 * count
    first_raw = min(struct.unpack_from("<I", data, table + 40 * i + 20)[0] or len(data)
                    for i in range(count))
    if new_header + 40 > min(headers_size, first_raw) or any(data[new_header:new_header + 40]):
        raise RuntimeError("no room for another section header in " + image)
    sections = [struct.unpack_from("<III", data, table + 40 * i + 8) for i in range(count)]
    end_va = max(va + max(virtual_size, raw_size) for virtual_size, va, raw_size in sections)
    virtual_address = _align(end_va, section_alignment)
    raw = _align(len(data), file_alignment)
    size = _align(max(payload_size - raw, file_alignment), file_alignment)
    struct.pack_into("<8sIIIIIIHHI", data, new_header, b".pad", size, virtual_address, size, raw,
                     0, 0, 0, 0, PAD_SECTION)
    struct.pack_into("<H", data, pe + 6, count + 1)
    struct.pack_into("<I", data, optional + 56, _align(virtual_address + size, section_alignment))
    data.extend(b"\0" * (raw - len(data)))
    with open(out, "wb") as f:
        f.write(data)
        write_pattern(f, size)
    return out


def write_pattern(f, size, seed=7):
    """Writes `size` bytes of a repeating, not compressible-looking pattern
    in blocks of 1 MiB: large test files without holding them in memory."""
    block = bytes((i * 131 + seed) & 0xFF for i in range(1 << 20))
    left = size
    while left:
        piece = block[:min(left, len(block))]
        f.write(piece)
        left -= len(piece)


def make_large_setup(folder, payload_size, authority=None):
    """The fake setup with its trusted info, padded to about payload_size
    bytes, then signed: a large setup that passes verification."""
    os.makedirs(folder, exist_ok=True)
    authority = authority or pki.make_pki(os.path.join(folder, "pki"))
    document = pki.trusted_json(authority.leaf)
    with_resources = os.path.join(folder, "large_resources.exe")
    pki.add_resources(FAKE_SETUP, with_resources, document, pki.signature_dat(document, 1))
    padded = pad_image(with_resources, os.path.join(folder, "large_padded.exe"), payload_size)
    out = os.path.join(folder, "setup_large_%d.exe" % payload_size)
    pki.sign_image(padded, out, authority.leaf)
    for path in (with_resources, padded):
        os.remove(path)
    return out


def make_sample_setups(folder):
    """The fake setup signed as a publisher would sign the browser setup, the
    same program without trusted info or signature, a signed one that cannot
    be started, and a signed one whose trusted info is signed under a key
    outside the build's table."""
    os.makedirs(folder, exist_ok=True)
    authority = pki.make_pki(os.path.join(folder, "pki"))
    signed = os.path.join(folder, "setup_signed.exe")
    pki.make_trusted_module(FAKE_SETUP, signed, authority)
    unsigned = os.path.join(folder, "setup_unsigned.exe")
    shutil.copyfile(FAKE_SETUP, unsigned)
    dll_flagged = _mark_as_dll(FAKE_SETUP, os.path.join(folder, "setup_dll_flag.exe"))
    unstartable = os.path.join(folder, "setup_unstartable.exe")
    pki.make_trusted_module(dll_flagged, unstartable, authority)
    foreign_key = os.path.join(folder, "setup_foreign_key.exe")
    pki._run(["openssl", "genrsa", "-out", foreign_key + ".pem", "1024"])
    pki.make_trusted_module(FAKE_SETUP, foreign_key, authority, key=foreign_key + ".pem")
    return SampleSetups(signed, unsigned, unstartable, foreign_key)


RUN_FOLDER_RE = re.compile(r"^li-[0-9a-f]{24}$")


def run_folders():
    """The host paths of the run folders in the temporary directory."""
    temp = winelib.temp_dir()
    return sorted(os.path.join(temp, n) for n in os.listdir(temp)
                  if RUN_FOLDER_RE.match(n) and os.path.isdir(os.path.join(temp, n)))


def run_folder_of(path):
    """The run folder (Windows form, ending in a backslash) of a file the
    installer handed the setup; checks that it is one."""
    folder = path[:path.rindex("\\") + 1]
    name = folder[len(winelib.win_temp_dir()):-1]
    assert folder.startswith(winelib.win_temp_dir()) and RUN_FOLDER_RE.match(name), path
    return folder


def reset_prefix_state():
    """No registry values, log, run folders, data files or downloaded
    setups left from an earlier run."""
    winelib.reg_delete_key()
    winelib.clear_log()
    temp = winelib.temp_dir()
    for name in ("master_preferences", "clids.xml", "BrandFile", "PartnerFile", "distrib_info"):
        path = os.path.join(temp, name)
        if os.path.exists(path):
            os.remove(path)
    for path in glob.glob(os.path.join(temp, "xb*.tmp")):
        os.remove(path)
    for path in run_folders():
        shutil.rmtree(path, ignore_errors=True)


class Installation:
    """One run of `lite_installer.exe` with the fake setup's record and what
    the run left behind."""

    def __init__(self, code, record, log, registry, leftover_downloads, folders):
        self.code = code
        self.record = record            # the fake setup's JSON record, or None
        self.log = log                  # the installer log's entries
        self.registry = registry        # {name: data} under the installer's key
        self.leftover_downloads = leftover_downloads
        self.folders = folders          # run folders left in the temporary directory

    def folder(self):
        """The run folder the setup ran from (Windows form, with backslash)."""
        return run_folder_of(self.record["arguments"][0])

    def file_bytes(self, switch):
        """The bytes of the file named by `switch`, as the setup read them."""
        return bytes.fromhex(self.record["files"][switch]["hex"])

    def messages(self, function):
        return installer_log.messages(self.log, function)

    def has_line(self, level, function, message_start):
        return installer_log.has_entry(self.log, level, function, message_start)


def setup_environment(work_dir, setup_exit_code=None, extra_env=None):
    """The environment of an installer run whose fake setup writes its record
    into work_dir (an earlier record is removed)."""
    record_path = os.path.join(work_dir, "setup_record.json")
    if os.path.exists(record_path):
        os.remove(record_path)
    env = {"FAKE_SETUP_RESULT": winelib.win_path(record_path)}
    if setup_exit_code is not None:
        env["FAKE_SETUP_EXIT_CODE"] = str(setup_exit_code)
    env.update(extra_env or {})
    return env


def run_installer(work_dir, *switches, setup_exit_code=None, extra_env=None, timeout=300,
                  watch_memory=False):
    """Runs the installer with the switches; the fake setup writes its record
    into work_dir. With watch_memory the result's peak_kib is the process's
    peak resident memory (VmHWM, polled as the benchmark does)."""
    env = setup_environment(work_dir, setup_exit_code, extra_env)
    if not watch_memory:
        return installation(work_dir, winelib.run_installer(*switches, timeout=timeout,
                                                            extra_env=env))
    env["LI_RUN_COMMAND_LINE"] = " ".join(('"%s"' % winelib.win_path(winelib.INSTALLER),)
                                          + switches)
    marker = ("WINEPREFIX=%s\0" % winelib.PREFIX).encode()
    with tempfile.TemporaryFile() as out:
        runner = subprocess.Popen(["wine", os.path.join(winelib.BIN, "exit_code_runner.exe")],
                                  env=winelib.env(env), stdout=out, stderr=subprocess.DEVNULL)
        peak = 0
        while runner.poll() is None:
            for pid in filter(str.isdigit, os.listdir("/proc")):
                try:
                    if b"lite_installer.exe" in _read("/proc/%s/cmdline" % pid).lower() and \
                            marker in _read("/proc/%s/environ" % pid):
                        peak = max([peak] + [int(line.split()[1]) for line in _read(
                            "/proc/%s/status" % pid).decode().splitlines() if "VmHWM:" in line])
                except OSError:
                    pass
            time.sleep(0.01)
        out.seek(0)
        code = int(re.search(rb"exit=(-?\d+)", out.read()).group(1))
    result = installation(work_dir, code)
    result.peak_kib = peak
    return result


def _read(path):
    with open(path, "rb") as f:
        return f.read()


def installation(work_dir, code):
    """What a run that ended with `code` left behind."""
    record_path = os.path.join(work_dir, "setup_record.json")
    record = None
    if os.path.exists(record_path):
        with open(record_path, encoding="utf-8") as f:
            record = json.load(f)
    registry = {}
    for name in winelib.reg_values():
        value = winelib.reg_query(name)
        registry[name] = value[1] if value else None
    temp = winelib.temp_dir()
    leftovers = glob.glob(os.path.join(temp, "xb*.tmp")) + glob.glob(
        os.path.join(temp, "li-*", "xb*.tmp"))
    return Installation(code, record, installer_log.read(winelib.log_path()), registry, leftovers,
                        run_folders())


# --- status reports -----------------------------------------------------------

def is_attempt_report(request):
    return bool(request.params) and request.params[0][0] == "status"


def is_final_report(request):
    return bool(request.params) and request.params[0][0] == "ui"


def names(request):
    return [name for name, _ in request.params]


def values(request):
    """Parameter values, percent-decoded."""
    return {name: urllib.parse.unquote(value) for name, value in request.params}


def describe_report(request):
    return "GET %s" % request.uri
