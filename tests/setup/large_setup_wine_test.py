"""A whole silent installation of a signed setup of 300 MB under Wine: it is
downloaded, verified and run, and afterwards no copy of it is left anywhere in
the prefix (the downloaded file is deleted, WinINet keeps no cache copy, the
verification maps or copies nothing). The setup the server hands out lies
outside the prefix. Sizes, not timings, are checked.

The setup is the fake setup with its trusted info and a page-aligned padding
section, signed afterwards (install_harness.make_large_setup), so that the
whole file is covered by the signature as a real setup's payload would be.
"""
import hashlib
import os
import shutil
import sys
import tempfile

from support import checks, install_harness as h, servers, winelib

SIZE = 300 * 1000 * 1000


def digest(path):
    sha = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            sha.update(block)
    return sha.hexdigest()


def copies_in_prefix(size, sha):
    """Files of the prefix with the setup's size or its content."""
    found = []
    for root, _, names in os.walk(winelib.PREFIX):
        for name in names:
            path = os.path.join(root, name)
            if os.path.islink(path) or not os.path.isfile(path):
                continue
            length = os.path.getsize(path)
            if length == size or (length >= size // 2 and digest(path) == sha):
                found.append(os.path.relpath(path, winelib.PREFIX))
    return found


def check_large_signed_setup_installs_and_leaves_no_copy():
    work = tempfile.mkdtemp(prefix="li_large_", dir=winelib.HOST_BUILD or None)
    try:
        setup = h.make_large_setup(os.path.join(work, "setup"), SIZE)
        size, sha = os.path.getsize(setup), digest(setup)
        docroot = os.path.join(work, "docroot")
        served = docroot + h.setup_path()
        os.makedirs(os.path.dirname(served))
        os.link(setup, served)
        h.reset_prefix_state()
        with servers.FileServer(docroot, extra_hosts=()) as files:
            run = h.run_installer(work, "--silent")
            requests = files.requests()
        failures = []
        if run.code != 0:
            failures.append("exit code %d" % run.code)
        if not run.record:
            failures.append("the setup did not run")
        if [(r.status, r.bytes_sent) for r in requests] != [(200, size)]:
            failures.append("requests: %r" % (requests,))
        if run.leftover_downloads:
            failures.append("downloaded file left: %r" % run.leftover_downloads)
        copies = copies_in_prefix(size, sha)
        if copies:
            failures.append("copies of the setup in the prefix: %r" % copies)
        if failures:
            for line in run.log_lines[-30:]:
                print("   log: " + line)
        checks.check(not failures, "setup of %d bytes: %s" % (size, "; ".join(failures)))
    finally:
        h.reset_prefix_state()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(checks.run([check_large_signed_setup_installs_and_leaves_no_copy]))
