#!/usr/bin/env python3
"""The Windows programs end to end under Wine: velto-convert.exe turns the shared spool files into every
format (pages, image sizes, TIFF tags and PDF pages checked with the Linux tools), VeltoFaxTool.exe runs
a job in job mode from the Windows directory of the Wine prefix, and pages drawn by Wine's GDI are
compared with the shared references, which the same GDI drew.

Usage: tests/windows/job_flow.py <Windows build directory> [--pages N]
  WINEPREFIX: the prefix to use (a fresh one is made when it is not set); --pages: how many reference
  pages to score (default 24; 0 for all). Exit status 0 when every check held.
"""
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
SHARED = os.path.normpath(os.path.join(HERE, "..", "..", "..", "shared"))
FORMATS = ["bmp", "jpg", "png", "gif", "emf", "tif", "pdf", "txt"]
failures = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what)
    if not condition:
        failures.append(what)
    return condition


def wine_env():
    return dict(os.environ, WINEDEBUG="-all", LC_ALL="C.UTF-8")


def run_wine_tool(env, command, timeout=600):
    """Runs a command of Wine's; its output is caught in files, not pipes: the Wine server and the
    services it starts inherit them and would keep pipes open long after the command ended."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        code = subprocess.run(command, env=env, stdin=subprocess.DEVNULL, stdout=out, stderr=err,
                              timeout=timeout).returncode
        out.seek(0)
        err.seek(0)
        return subprocess.CompletedProcess(command, code, out.read(), err.read())


def windows_path(env, path):
    return run_wine_tool(env, ["winepath", "-w", path]).stdout.decode("utf-8").strip()


def unix_path(env, path):
    return run_wine_tool(env, ["winepath", "-u", path]).stdout.decode("utf-8").strip()


def wine(env, program, *args, timeout=600):
    return run_wine_tool(env, ["wine", program, *args], timeout)


def bmp_size(path):
    with open(path, "rb") as f:
        head = f.read(26)
    if len(head) < 26 or head[:2] != b"BM":
        return None
    return struct.unpack_from("<ii", head, 18)


def tool(*args):
    return subprocess.run(list(args), capture_output=True, text=True)


def convert_everything(env, build, work):
    convert = os.path.join(build, "velto-convert.exe")
    report = os.path.join(SHARED, "corpus", "spl", "two-page-report.spl")
    bw = os.path.join(SHARED, "corpus", "spl", "one-page-bw.spl")
    xps = os.path.join(SHARED, "corpus", "spl", "xps-job-not-emf.spl")
    if not os.path.exists(report):
        print("skip the shared spool files: %s is not there" % report)
        return
    out = os.path.join(work, "out")
    os.makedirs(out)
    for ext in FORMATS:
        target = os.path.join(out, "report." + ext)
        result = wine(env, convert, windows_path(env, report), windows_path(env, target))
        check(result.returncode == 0, "velto-convert.exe two-page-report.spl -> %s (exit %d %s)"
              % (ext, result.returncode, result.stderr.decode("utf-8", "replace").strip()[:200]))
    first, second = bmp_size(os.path.join(out, "report.bmp")), bmp_size(os.path.join(out, "report_002.bmp"))
    check(first is not None and first == second, "both BMP pages have the page size: %s %s" % (first, second))
    for ext in ["jpg", "png", "gif", "emf"]:
        check(os.path.exists(os.path.join(out, "report_002." + ext)), "page 2 written as report_002.%s" % ext)
    info = tool("tiffinfo", os.path.join(out, "report.tif")).stdout
    widths = re.findall(r"Image Width: (\d+) Image Length: (\d+)", info)
    check(widths == [("1728", "2200")] * 2, "fax TIFF: two pages of 1728 x 2200 (%s)" % widths)
    check("CCITT Group 3" in info, "fax TIFF: CCITT Group 3 by default")
    pages = re.search(r"Pages:\s+(\d+)", tool("pdfinfo", os.path.join(out, "report.pdf")).stdout)
    check(pages is not None and pages.group(1) == "2", "PDF: two pages")
    with open(os.path.join(out, "report.txt"), "rb") as f:
        text = f.read()
    check(text[:2] == b"\xff\xfe" and len(text) > 2, "text: UTF-16 with its byte-order mark")
    result = wine(env, convert, windows_path(env, bw), windows_path(env, os.path.join(out, "bw.tif")))
    check(result.returncode == 0, "one-page-bw.spl -> fax TIFF")
    result = wine(env, convert, windows_path(env, xps), windows_path(env, os.path.join(out, "xps.pdf")))
    check(result.returncode == 1 and not os.path.exists(os.path.join(out, "xps.pdf")),
          "the XPS job is refused with exit 1 and nothing written")


def job_mode(env, build, work):
    windir = unix_path(env, "C:\\windows")
    out = os.path.join(work, "job-out")
    os.makedirs(out)
    report = os.path.join(SHARED, "corpus", "spl", "two-page-report.spl")
    if not os.path.exists(report):
        return
    with open(os.path.join(windir, "VeltoFaxPrint.ini"), "w", encoding="utf-8") as f:
        f.write("[save]\r\nsavemode=1\r\nautosaveformat=4\r\nchech1=0\r\nautosavedir=%s\\\r\n"
                % windows_path(env, out))
    spool = os.path.join(windir, "00007.spl")
    shutil.copy(report, spool)
    # The print processor writes the command text unquoted after the program's name; given as one
    # argument with blanks, Wine would quote it, and quotes are no part of the keyword.
    result = wine(env, os.path.join(build, "VeltoFaxTool.exe"), *"VELTO PRINT 7*Quarterly Report.doc".split(" "))
    pdf = os.path.join(out, "Quarterly Report.pdf")
    check(result.returncode == 0, "job mode exits 0 (exit %d)" % result.returncode)
    check(os.path.exists(pdf), "job mode saved the job automatically as PDF")
    pages = re.search(r"Pages:\s+(\d+)", tool("pdfinfo", pdf).stdout) if os.path.exists(pdf) else None
    check(pages is not None and pages.group(1) == "2", "the PDF has the job's two pages")
    check(not os.path.exists(spool) and not [n for n in os.listdir(windir) if n.lower().endswith(".spl")],
          "the spool file is gone from the Windows directory")
    os.unlink(os.path.join(windir, "VeltoFaxPrint.ini"))


def import_font_replacements(env, work):
    """The references were drawn with the shared font replacements in Wine's registry: the same here. The
    file goes in as UTF-16, since regedit reads a REGEDIT4 file in code page 1252 and would garble the
    Chinese face names."""
    reg = os.path.join(SHARED, "tools", "wine-fonts.reg")
    if not os.path.exists(reg):
        return
    with open(reg, encoding="utf-8") as f:
        text = f.read().replace("REGEDIT4", "Windows Registry Editor Version 5.00", 1)
    converted = os.path.join(work, "wine-fonts.reg")
    with open(converted, "wb") as f:
        f.write(b"\xff\xfe" + text.replace("\n", "\r\n").encode("utf-16-le"))
    wine(env, "regedit", windows_path(env, converted))
    run_wine_tool(env, ["wineserver", "-w"])


def fidelity(env, build, work, count):
    refs = os.path.join(SHARED, "corpus", "reference", "raster")
    emfs = os.path.join(SHARED, "corpus", "emf")
    scorer = os.path.join(SHARED, "tools", "fidelity.py")
    if not os.path.isdir(refs) or not os.path.exists(scorer):
        print("skip fidelity: the shared references are not there")
        return
    probe = subprocess.run(["/usr/bin/python3", "-c", "import numpy, PIL, scipy, skimage"], capture_output=True)
    if probe.returncode != 0:
        print("skip fidelity: the scorer needs python3-numpy python3-pil python3-scipy python3-skimage")
        return
    names = sorted(n[:-4] for n in os.listdir(refs) if n.endswith(".png") and os.path.exists(os.path.join(emfs, n[:-4] + ".emf")))
    if count:
        step = max(1, len(names) // count)
        names = names[::step][:count]
    pages = os.path.join(work, "pages")
    picked = os.path.join(work, "refs")
    os.makedirs(pages)
    os.makedirs(picked)
    batch = os.path.join(work, "batch.txt")
    with open(batch, "w", encoding="utf-8") as f:
        for name in names:
            os.symlink(os.path.join(refs, name + ".png"), os.path.join(picked, name + ".png"))
            f.write('"%s" "%s"\r\n' % (windows_path(env, os.path.join(emfs, name + ".emf")),
                                      windows_path(env, os.path.join(pages, name + ".bmp"))))
    wine(env, os.path.join(build, "velto-convert.exe"), "--batch", windows_path(env, batch), timeout=1800)
    scored = subprocess.run(["/usr/bin/python3", scorer, picked, pages], capture_output=True, text=True)
    summary = [line for line in scored.stdout.splitlines() if line.startswith("pages")]
    print(summary[0] if summary else scored.stdout[-500:])
    median = re.search(r"median ([0-9.]+)", summary[0]) if summary else None
    check(median is not None and float(median.group(1)) >= 0.99,
          "pages drawn by Wine's GDI match the references: median >= 0.99 over %d pages" % len(names))


def main():
    args = sys.argv[1:]
    count = 24
    if "--pages" in args:
        i = args.index("--pages")
        count = int(args[i + 1])
        del args[i:i + 2]
    if len(args) != 1:
        print(__doc__)
        return 2
    build = os.path.abspath(args[0])
    env = wine_env()
    work = tempfile.mkdtemp(prefix="velto-wine-")
    own_prefix = "WINEPREFIX" not in os.environ
    if own_prefix:
        env["WINEPREFIX"] = os.path.join(work, "prefix")
        run_wine_tool(env, ["wineboot", "-i"])
        import_font_replacements(env, work)  # waits for the server to end: before it is kept up
        # One Wine server for the whole run: started afresh for every program, it costs seconds each time.
        # No pipes to it: the server stays up, and would hold them open for ever.
        subprocess.run(["wineserver", "-p"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        convert_everything(env, build, work)
        job_mode(env, build, work)
        fidelity(env, build, work, count)
    finally:
        if own_prefix:
            run_wine_tool(env, ["wineserver", "-k"])
        shutil.rmtree(work, ignore_errors=True)
    print("%d checks failed" % len(failures) if failures else "all checks held")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
