"""Benchmarks of the installer under Wine, each against a bare reference,
run in turns (A B A B ...) in one Wine prefix of their own, with medians,
ranges and ratios (absolute times drift on shared machines; ratios hold):

  download   the project's download path (download_probe.exe: DownloadUrl
             with stop event into a file sink, as the silent installer
             downloads) against bench_bare_download.exe (WinINet, 32 KB
             reads, WriteFile), whole process, files served by loopback nginx
  memory     peak memory (VmHWM) of a whole silent installation of a signed
             setup of each size, against the download path alone, and what
             the run leaves on the prefix's disk
  start      time from process start to the first request accepted on the
             download port: lite_installer.exe --silent against the bare
             program that only opens the URL
  size       lite_installer.exe by section

Usage (bench/run.sh sets the environment):
  bench.py [--quick] [--only download,memory,start,size] [--win-build DIR]
           [--bare EXE] [--turns N] [--sizes "20 MB,200 MB"] [--report FILE]
--quick: fewer turns and no 1 GB cases. --win-build: the Windows build under
test (default LI_WIN_BUILD_DIR); --bare: the baseline program, when that
build has none.
"""
import argparse
import os
import platform
import re
import socket
import statistics
import subprocess
import sys
import tempfile
import threading
import time

from support import install_harness as h, prefix, servers, winelib

MIB = 1 << 20
SIZES = {"20 MB": 20 * 1000 * 1000, "200 MB": 200 * 1000 * 1000, "1 GB": 1000 * 1000 * 1000}
WORK = os.environ.get("LI_BENCH_DIR", "")


# --- running Windows programs ------------------------------------------------------------

def wine_argv(exe, *args):
    return ["wine", exe] + list(args)


def windows_pid(host_pid, exe_name):
    """The Linux process that runs exe_name for the wine launcher host_pid:
    the launcher execs the preloader, which then shows the program's path in
    its command line (the launcher itself may already be gone)."""
    wanted = exe_name.lower()
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/cmdline" % entry, "rb") as f:
                cmdline = f.read().decode("utf-8", "replace").lower()
            with open("/proc/%s/environ" % entry, "rb") as f:
                environ = f.read()
        except OSError:
            continue
        if wanted in cmdline and ("WINEPREFIX=%s" % winelib.PREFIX).encode() in environ:
            return int(entry)
    return None


def vm_hwm_kib(pid):
    try:
        with open("/proc/%d/status" % pid) as f:
            for line in f:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return None


def run_watched(argv, exe_name=None, extra_env=None, timeout=900):
    """Runs argv to its end; returns (seconds, exit status, peak VmHWM in KiB
    of the exe_name process as last seen, polled every 10 ms, output). Without
    exe_name nothing is polled, so that timing runs pay for no watching."""
    start = time.monotonic()
    with tempfile.TemporaryFile() as out:
        p = subprocess.Popen(argv, env=winelib.env(extra_env), stdout=out, stderr=out)
        pid, peak = None, 0
        if exe_name is None:
            p.wait(timeout=timeout)
        while p.poll() is None:
            seen = vm_hwm_kib(pid) if pid is not None else None
            if seen is None:
                pid = windows_pid(p.pid, exe_name)
            peak = max(peak, seen or 0)
            if time.monotonic() - start > timeout:
                p.kill()
            time.sleep(0.01)
        seconds = time.monotonic() - start
        out.seek(0)
        output = out.read().decode("utf-8", "replace")
    return seconds, p.returncode, peak, output


# --- figures -------------------------------------------------------------------------------

def summary(values):
    return statistics.median(values), min(values), max(values)


def fmt_range(values, unit, digits=2):
    m, lo, hi = summary(values)
    f = "%%.%df" % digits
    return (f + " %s (" + f + "-" + f + ")") % (m, unit, lo, hi)


def ratio(a, b):
    """Median of the turn-by-turn ratios, with their range."""
    r = [x / y for x, y in zip(a, b)]
    m, lo, hi = summary(r)
    return "%.2fx (%.2f-%.2f)" % (m, lo, hi)


class Report:
    def __init__(self):
        self.lines = []

    def add(self, *lines):
        for line in lines:
            print(line, flush=True)
            self.lines.append(line)

    def table(self, header, rows):
        self.add("", "| " + " | ".join(header) + " |", "|" + "---|" * len(header))
        for row in rows:
            self.add("| " + " | ".join(str(c) for c in row) + " |")
        self.add("")


def machine():
    cpu = "unknown CPU"
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                cpu = line.split(":", 1)[1].strip()
                break
    wine = subprocess.run(["wine", "--version"], stdout=subprocess.PIPE,
                          universal_newlines=True).stdout.strip()
    return "%s, %d cores, %s, Linux %s" % (cpu, os.cpu_count(), wine, platform.release())


def make_file(path, size):
    if os.path.exists(path) and os.path.getsize(path) == size:
        return path
    with open(path, "wb") as f:
        h.write_pattern(f, size, seed=11)
    return path


# --- download ------------------------------------------------------------------------------

def bench_download(report, sizes, turns, probe, bare):
    docroot = os.path.join(WORK, "files")
    os.makedirs(docroot, exist_ok=True)
    out = os.path.join(WORK, "download.out")
    rows = []
    with servers.FileServer(docroot, port=servers.free_port(), extra_hosts=()) as files:
        for label in sizes:
            size = SIZES[label]
            name = "file_%d.bin" % size
            make_file(os.path.join(docroot, name), size)
            url = files.url("/" + name)
            variants = [("project", wine_argv(probe, "--sink=file",
                                              "--file=" + winelib.win_path(out), url)),
                        ("bare", wine_argv(bare, url, winelib.win_path(out)))]
            times = {"project": [], "bare": []}
            for turn in range(turns + 1):  # the first turn warms up and is not counted
                for name_, argv in variants:
                    seconds, code, _, output = run_watched(argv)
                    got = os.path.getsize(out) if os.path.exists(out) else -1
                    if code != 0 or got != size:
                        raise RuntimeError("%s download of %s failed: exit %s, %d bytes\n%s"
                                           % (name_, label, code, got, output))
                    if turn:
                        times[name_].append(seconds)
                    os.remove(out)
            rows.append([label, fmt_range(times["project"], "s"), fmt_range(times["bare"], "s"),
                         ratio(times["project"], times["bare"]),
                         "%.0f MiB/s" % (size / MIB / statistics.median(times["project"]))])
            print("  download %s done" % label, flush=True)
    report.add("## Download: whole process, project's download path vs bare WinINet loop")
    report.table(["file", "project (median, min-max)", "bare", "ratio project/bare",
                  "project rate"], rows)


# --- memory and disk -----------------------------------------------------------------------

def files_in_prefix_of_size(size, since):
    """Files of the prefix with that size written since `since` (earlier
    runs, of other builds too, may have left some)."""
    found = []
    for root, _, names in os.walk(winelib.PREFIX):
        for n in names:
            p = os.path.join(root, n)
            try:
                if (not os.path.islink(p) and os.path.getsize(p) == size and
                        os.path.getmtime(p) >= since):
                    where = os.path.relpath(p, winelib.PREFIX)
                    where = re.sub(r"^drive_c/users/[^/]+/", "drive_c/users/<user>/", where)
                    found.append((where, os.path.getsize(p)))
            except OSError:
                pass
    return found


def keys_tag():
    """Setups are signed for the key table of the build under test."""
    import hashlib
    path = os.path.join(winelib.WIN_BUILD, "dev_keys", "public_keys.pem")
    if not os.path.exists(path):
        return "keys"
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()[:12]


def bench_memory(report, sizes, turns, installer, probe):
    setups = os.path.join(WORK, "setups", keys_tag())
    docroot = os.path.join(WORK, "docroot")
    record = os.path.join(WORK, "setup_record.json")
    target = docroot + h.setup_path()
    os.makedirs(os.path.dirname(target), exist_ok=True)
    rows, disk_rows = [], []
    authority = None
    for label in sizes:
        size = SIZES[label]
        setup = os.path.join(setups, "setup_large_%d.exe" % size)
        if not os.path.exists(setup):
            if authority is None:
                authority = servers_pki(setups)
            setup = h.make_large_setup(setups, size, authority)
        if os.path.exists(target):
            os.remove(target)
        os.link(setup, target)
        whole, alone, seconds = [], [], []
        case_start = time.time() - 1
        with servers.FileServer(docroot, extra_hosts=()) as files:
            url = files.url(h.setup_path())
            for turn in range(turns):
                h.reset_prefix_state()
                if os.path.exists(record):
                    os.remove(record)
                t, code, peak, output = run_watched(
                    wine_argv(installer, "--silent"), "lite_installer.exe",
                    {"FAKE_SETUP_RESULT": winelib.win_path(record)})
                ok = code == 0 and os.path.exists(record)
                whole.append(peak / 1024.0)
                seconds.append(t)
                if not ok:
                    print("  silent run of %s: exit %s, setup ran: %s" % (label, code,
                          os.path.exists(record)), flush=True)
                out = os.path.join(WORK, "alone.out")
                _, code2, peak2, _ = run_watched(
                    wine_argv(probe, "--sink=file", "--file=" + winelib.win_path(out), url),
                    "download_probe.exe")
                alone.append(peak2 / 1024.0)
                if os.path.exists(out):
                    os.remove(out)
            leftovers = files_in_prefix_of_size(os.path.getsize(setup), case_start)
        rows.append([label, fmt_range(whole, "MiB", 0), fmt_range(alone, "MiB", 0),
                     "%.1f s" % statistics.median(seconds),
                     "yes" if ok else "no (exit %s)" % code])
        disk_rows.append([label, ", ".join("%s (%d MB)" % (p, s // 1000000) for p, s in leftovers)
                          or "nothing"])
        print("  memory %s done" % label, flush=True)
    report.add("## Peak memory (VmHWM) of a whole silent run with a signed setup")
    report.table(["setup", "whole silent run", "download path alone", "run time", "installed"],
                 rows)
    report.add("## Disk left in the prefix after the runs (files of the setup's size)")
    report.table(["setup", "left behind"], disk_rows)


def servers_pki(folder):
    from support import pki
    return pki.make_pki(os.path.join(folder, "pki"))


# --- start to first request ----------------------------------------------------------------

class AcceptClock:
    """Listens on the download port, notes when each connection is accepted,
    and answers every request with the given body."""

    def __init__(self, port, body):
        self.sock = socket.socket()
        self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.sock.bind(("127.0.0.1", port))
        self.sock.listen(16)
        self.body = body
        self.accepted = []
        self.thread = threading.Thread(target=self.serve, daemon=True)
        self.thread.start()

    def serve(self):
        while True:
            try:
                conn, _ = self.sock.accept()
            except OSError:
                return
            self.accepted.append(time.monotonic())
            threading.Thread(target=self.answer, args=(conn,), daemon=True).start()

    def answer(self, conn):
        with conn:
            data = b""
            while b"\r\n\r\n" not in data:
                chunk = conn.recv(4096)
                if not chunk:
                    return
                data += chunk
            conn.sendall(b"HTTP/1.1 200 OK\r\nContent-Length: %d\r\nConnection: close\r\n"
                         b"Content-Type: application/octet-stream\r\n\r\n" % len(self.body))
            try:
                conn.sendall(self.body)
            except OSError:
                pass

    def close(self):
        # A thread blocked in accept() keeps the port listening after a mere
        # close(); shutting the socket down wakes it first.
        try:
            self.sock.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass
        self.sock.close()
        self.thread.join(timeout=5)


def bench_start(report, turns, installer, bare):
    setups = h.make_sample_setups(os.path.join(WORK, "start_setups", keys_tag()))
    with open(setups.signed, "rb") as f:
        body = f.read()
    url = h.setup_url()
    clock = AcceptClock(servers.port_of(url), body)
    record = os.path.join(WORK, "start_record.json")
    times = {"installer": [], "bare": []}
    try:
        for turn in range(turns + 1):  # the first turn warms up and is not counted
            for name, argv, env in (
                    ("installer", wine_argv(installer, "--silent"),
                     {"FAKE_SETUP_RESULT": winelib.win_path(record)}),
                    ("bare", wine_argv(bare, "--open", url), None)):
                h.reset_prefix_state()
                before = len(clock.accepted)
                start = time.monotonic()
                subprocess.run(argv, env=winelib.env(env), stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, timeout=300)
                if len(clock.accepted) == before:
                    raise RuntimeError("%s sent no request" % name)
                if turn:
                    times[name].append(clock.accepted[before] - start)
    finally:
        clock.close()
    report.add("## Start to first request on the wire (process start to accepted connection)")
    report.table(["program", "median (min-max)"],
                 [["lite_installer.exe --silent", fmt_range([t * 1000 for t in times["installer"]],
                                                            "ms", 0)],
                  ["bare program opening the URL", fmt_range([t * 1000 for t in times["bare"]],
                                                             "ms", 0)],
                  ["ratio", ratio(times["installer"], times["bare"])]])


# --- size ----------------------------------------------------------------------------------

def bench_size(report, installer):
    p = subprocess.run(["i686-w64-mingw32-objdump", "-h", installer], stdout=subprocess.PIPE,
                       universal_newlines=True, check=True)
    rows = []
    for line in p.stdout.splitlines():
        m = re.match(r"\s*\d+\s+(\S+)\s+([0-9a-f]+)\s", line)
        if m:
            rows.append([m.group(1), "{:,}".format(int(m.group(2), 16))])
    rows.append(["file", "{:,}".format(os.path.getsize(installer))])
    report.add("## lite_installer.exe by section (bytes)")
    report.table(["section", "size"], rows)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--quick", action="store_true")
    parser.add_argument("--only", default="download,memory,start,size")
    parser.add_argument("--win-build", default=winelib.WIN_BUILD)
    parser.add_argument("--bare", default="")
    parser.add_argument("--turns", type=int, default=0, help="turns per case (default 3/5)")
    parser.add_argument("--sizes", default="", help="e.g. '20 MB,200 MB'")
    parser.add_argument("--report", default=os.path.join(WORK, "RESULTS.md"))
    args = parser.parse_args()
    binaries = os.path.join(args.win_build, "bin")
    installer = os.path.join(binaries, "lite_installer.exe")
    probe = os.path.join(binaries, "download_probe.exe")
    bare = args.bare or os.path.join(binaries, "bench_bare_download.exe")
    only = args.only.split(",")
    sizes = ["20 MB", "200 MB"] if args.quick else ["20 MB", "200 MB", "1 GB"]
    memory_sizes = ["20 MB", "200 MB"] if args.quick else ["20 MB", "200 MB", "1 GB"]
    turns = args.turns or (3 if args.quick else 5)
    if args.sizes:
        sizes = memory_sizes = args.sizes.split(",")

    report = Report()
    report.add("# Benchmark results", "",
               "Machine: " + machine(), "",
               "Mode: %s; %d turns per case, programs run in turns (A B A B) in one prefix."
               % ("quick" if args.quick else "full", turns))
    if not os.path.isdir(os.path.join(winelib.PREFIX, "drive_c")):
        prefix.setup()
    else:
        subprocess.Popen(["wineserver", "-p"], env=winelib.env(), stdout=subprocess.DEVNULL,
                         stderr=subprocess.DEVNULL)
        winelib.wine(["cmd", "/c", "exit"], timeout=120)
    try:
        if "size" in only:
            bench_size(report, installer)
        if "start" in only:
            bench_start(report, args.turns or (8 if args.quick else 20), installer, bare)
        if "download" in only:
            bench_download(report, sizes, turns, probe, bare)
        if "memory" in only:
            bench_memory(report, memory_sizes, 1 if args.quick else 3, installer, probe)
    finally:
        h.reset_prefix_state()
        prefix.stop()
    with open(args.report, "w") as f:
        f.write("\n".join(report.lines) + "\n")
    print("report written to", args.report)


if __name__ == "__main__":
    main()
