#!/usr/bin/env python3
"""Nothing is lost on a full disk or with a damaged job, through the real programs.

A small file system (a tmpfs where this machine allows mounting, else a file-size limit on the
converting process) stands for a full disk. Checked:
  - a job whose pages do not all reach the disk is kept as NAME.spl.failed, names the pages that failed
    with the system's reason, and exits 1;
  - a failed write leaves an existing file of the name as it was, and no partial or temporary file;
  - a damaged spool file fails in every format, naming the damaged page, in velto-convert and job mode;
  - messages name the file and the reason: full disk, read-only folder, missing folder, a folder in
    place of the file;
  - several programs writing the same names at once leave only whole files, each from one job.

Usage: tests/robustness/nothing_lost.py <build directory>      (exit status 0 when every check held)
"""
import os
import re
import resource
import shutil
import signal
import subprocess
import sys
import tempfile

FORMATS = ["bmp", "jpg", "png", "gif", "emf", "tif", "pdf", "txt"]
failures = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what)
    if not condition:
        failures.append(what)
    return condition


class SmallDisk:
    """A folder with little room: a tmpfs of `kib` KiB, or a file-size limit of as much where mounting
    is not allowed. `reason` is what the system says when it is full."""

    def __init__(self, root, kib):
        self.path = os.path.join(root, "small")
        os.makedirs(self.path)
        self.kib = kib
        self.mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=%dk" % kib, "tmpfs", self.path],
                                      capture_output=True).returncode == 0
        self.reason = "No space left on device" if self.mounted else "File too large"

    def limit(self, kib=None):
        """preexec_fn for a converting process: nothing on a tmpfs, else a limit of `kib` KiB (default:
        the disk's size) on every file it writes."""
        if self.mounted:
            return None
        size = (kib or self.kib) * 1024

        def apply():
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
            resource.setrlimit(resource.RLIMIT_FSIZE, (size, size))
        return apply

    def fill(self):
        """Takes every free byte (a tmpfs only)."""
        if not self.mounted:
            return
        fd = os.open(os.path.join(self.path, "filler"), os.O_WRONLY | os.O_CREAT, 0o600)
        try:
            while os.write(fd, b"\0" * 4096) > 0:
                pass
        except OSError:
            pass
        finally:
            os.close(fd)

    def empty(self):
        for name in os.listdir(self.path):
            full = os.path.join(self.path, name)
            shutil.rmtree(full) if os.path.isdir(full) else os.unlink(full)

    def read_only(self, on):
        if self.mounted:
            subprocess.run(["mount", "-o", "remount," + ("ro" if on else "rw"), self.path], check=True)

    def close(self):
        if self.mounted:
            subprocess.run(["umount", self.path])


def without_date(content):
    """A PDF's bytes without its creation date, which differs from one run to the next."""
    return re.sub(rb"/CreationDate \(D:[0-9Z+\-']*\)", b"", content)


def leftovers(folder):
    """Temporary or partial files that a write left behind."""
    return [n for n in os.listdir(folder) if n.endswith("~") or n.startswith(".velto")]


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    build = os.path.abspath(sys.argv[1])
    convert = os.path.join(build, "velto-convert")
    fax_tool = os.path.join(build, "VeltoFaxTool")
    make_job = os.path.join(build, "tools", "velto-make-sample-job")
    root = tempfile.mkdtemp(prefix="velto-robust-")
    env = dict(os.environ, VELTO_WINDIR=os.path.join(root, "windows"), TMPDIR=os.path.join(root, "tmp"),
               HOME=root, LC_ALL="C")
    os.makedirs(env["VELTO_WINDIR"])
    os.makedirs(env["TMPDIR"])
    disk = SmallDisk(root, 100)
    print("small file system: " + ("tmpfs of 100 KiB" if disk.mounted else "file-size limit of 100 KiB (no mounting here)"))

    def run(args, limited=False, kib=None):
        return subprocess.run(args, env=env, capture_output=True, text=True, timeout=300,
                              preexec_fn=disk.limit(kib) if limited else None)

    try:
        three = os.path.join(root, "three.spl")
        subprocess.run([make_job, "--pages", "3", three], check=True, capture_output=True)

        # 1. A job of three PNG pages onto a disk with room for little more than its first page.
        settings = ("[save]\nsavemode=1\nautosaveformat=5\nchech1=0\nautosavedir=%s/\n" % disk.path)
        with open(os.path.join(env["VELTO_WINDIR"], "VeltoFaxPrint.ini"), "w") as f:
            f.write(settings)
        spool = os.path.join(env["VELTO_WINDIR"], "00012.spl")
        shutil.copy(three, spool)
        job = run([fax_tool, "VELTO PRINT*Report"], limited=True)
        check(job.returncode == 1, "job mode exits 1 when pages are lost to a full disk")
        check(os.path.exists(spool + ".failed") and not os.path.exists(spool),
              "the spool file is kept as NAME.spl.failed")
        # A file-size limit stops each file of over 100 KiB (page 2), a full tmpfs every page after the first.
        lost = ["page 2", "page 3"] if disk.mounted else ["page 2"]
        check(all(p in job.stderr for p in lost) and disk.reason in job.stderr,
              "the pages that failed are named with the reason: " + job.stderr.strip().replace("\n", " | ")[:300])
        written = sorted(n for n in os.listdir(disk.path))
        kept = ["Report.png"] if disk.mounted else ["Report.png", "Report_003.png"]
        check(written == kept, "only the pages that fit are on the disk, whole: %s" % written)
        with open(os.path.join(disk.path, "Report.png"), "rb") as f:
            png = f.read()
        check(png.startswith(b"\x89PNG") and png.endswith(b"IEND\xaeB`\x82"), "page 1 is a complete PNG file")
        os.unlink(spool + ".failed")
        disk.empty()

        # 2. A failed overwrite leaves the old file as it was and nothing partial, in every format.
        for ext in FORMATS:
            old = os.path.join(disk.path, "old." + ext)
            with open(old, "wb") as f:
                f.write(b"the old file " * 100)
            disk.fill()
            result = run([convert, three, old], limited=True, kib=1)
            with open(old, "rb") as f:
                same = f.read() == b"the old file " * 100
            check(result.returncode == 1 and same and not leftovers(disk.path),
                  "%s: a failed overwrite keeps old.%s whole and leaves no partial file" % (ext, ext))
            disk.empty()

        # 3. A damaged job fails in every format and names the damaged page.
        with open(three, "rb") as f:
            data = f.read()
        cut = os.path.join(root, "cut.spl")
        with open(cut, "wb") as f:
            f.write(data[:-60])  # inside the last page's metafile
        out = os.path.join(root, "out")
        os.makedirs(out)
        for ext in FORMATS:
            result = run([convert, cut, os.path.join(out, "cut." + ext)])
            check(result.returncode == 1 and "page 3 of %s is damaged" % cut in result.stderr,
                  "%s: a page cut short is named as damaged and fails the conversion" % ext)
        shared = os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))),
                              "..", "shared", "corpus", "spl", "two-page-report.spl")
        if os.path.exists(shared):
            with open(shared, "rb") as f:
                head = f.read(57178)
            report = os.path.join(root, "report-cut.spl")
            with open(report, "wb") as f:
                f.write(head)
            for ext in FORMATS:
                result = run([convert, report, os.path.join(out, "report." + ext)])
                check(result.returncode == 1 and "page 2 of %s is damaged" % report in result.stderr,
                      "%s: the real spool file cut inside page 2 names page 2 as damaged" % ext)
        spool = os.path.join(env["VELTO_WINDIR"], "cut.spl")
        shutil.copy(cut, spool)
        with open(os.path.join(env["VELTO_WINDIR"], "VeltoFaxPrint.ini"), "w") as f:
            f.write("[save]\nsavemode=1\nautosaveformat=4\nchech1=0\nautosavedir=%s/\n" % out)
        job = run([fax_tool, "VELTO PRINT*Damaged"])
        check(job.returncode == 1 and os.path.exists(spool + ".failed") and os.path.exists(os.path.join(out, "Damaged.pdf")),
              "job mode writes a damaged job as far as it goes, keeps it and exits 1")

        # 4. Messages give the file and the system's reason.
        def said(args, reason, what, limited=False):
            result = run(args, limited)
            target = args[-1]
            check(result.returncode == 1 and target in result.stderr and reason in result.stderr,
                  "%s: %s" % (what, result.stderr.strip().split("\n")[0][:200]))
        disk.fill()
        said([convert, three, os.path.join(disk.path, "full.bmp")], disk.reason, "full disk", limited=True)
        disk.empty()
        said([convert, three, os.path.join(root, "missing", "x.pdf")], "No such file or directory", "missing folder")
        os.makedirs(os.path.join(root, "folder.png"))
        said([convert, three, os.path.join(root, "folder.png")], "Is a directory", "a folder in place of the file")
        if disk.mounted:
            disk.read_only(True)
            said([convert, three, os.path.join(disk.path, "ro.emf")], "Read-only file system", "read-only folder")
            disk.read_only(False)

        # 5. Programs writing the same names at once leave whole files, each from one job.
        single = os.path.join(root, "single")
        os.makedirs(single)
        subprocess.run([convert, three, os.path.join(single, "p.emf")], check=True, env=env)
        other = os.path.join(single, "p_002.emf")  # a one-page job of its own: the second sample page
        expected = {}
        for ext in ["png", "emf", "pdf", "txt"]:
            for name, source in (("a", three), ("b", other)):
                target = os.path.join(single, "%s.%s" % (name, ext))
                subprocess.run([convert, source, target], check=True, env=env, capture_output=True)
                with open(target, "rb") as f:
                    expected.setdefault(ext, []).append(without_date(f.read()))
        shared_out = os.path.join(root, "shared")
        os.makedirs(shared_out)
        for ext in ["png", "emf", "pdf", "txt"]:
            target = os.path.join(shared_out, "same." + ext)
            for _ in range(4):
                procs = [subprocess.Popen([convert, source, target], env=env, stdout=subprocess.DEVNULL,
                                          stderr=subprocess.DEVNULL)
                         for source in (three, other, three, other, three, other)]
                codes = [p.wait() for p in procs]
                with open(target, "rb") as f:
                    content = without_date(f.read())
                if content not in expected[ext] or any(codes) or leftovers(shared_out):
                    break
            check(content in expected[ext] and not any(codes) and not leftovers(shared_out),
                  "%s: six programs writing the same name leave one whole file from one job" % ext)
    finally:
        disk.close()
        shutil.rmtree(root, ignore_errors=True)
    print("%d checks failed" % len(failures) if failures else "all checks held")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
