#!/usr/bin/env python3
"""VeltoFaxTool INSTALL, a test page printed from the control panel, then UNINSTALL, the whole way through
this platform's spooler, registry and service layers, with stand-ins for the print processor and the driver
package. The test page's spool file is handed by the stand-in processor to the installed program copy,
whose job flow saves it as PDF.

Usage: tests/printer/end_to_end.py <build directory>      (exit status 0 when every check held)
"""
import os
import pty
import select
import shutil
import subprocess
import sys
import tempfile
import time


def read_until(fd, text, seconds=30):
    seen = b""
    until = time.time() + seconds
    while time.time() < until:
        ready, _, _ = select.select([fd], [], [], 0.1)
        if ready:
            try:
                chunk = os.read(fd, 4096)
            except OSError:
                break
            if not chunk:
                break
            seen += chunk
            if text.encode() in seen:
                return True
    return False


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what)
    return condition


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build")
    root = tempfile.mkdtemp(prefix="velto-e2e-")
    win, prog, start, out = (os.path.join(root, d) for d in ("win", "prog", "start", "out"))
    for d in (win, prog, start, out):
        os.makedirs(d)
    program = os.path.join(prog, "VeltoFaxTool")
    shutil.copy2(os.path.join(build, "VeltoFaxTool"), program)
    with open(os.path.join(prog, "VeltoPrinter.inf"), "w") as f:
        f.write('; stand-in driver package\n[Models]\n"Velto Print"=VELTO.PPD\n')
    with open(os.path.join(start, "Vtproc.dll"), "w") as f:
        f.write('; stand-in print processor\nstart="%windir%/VeltoFaxTool.exe" VELTO PRINT *%document%\n')
    with open(os.path.join(win, "VeltoFaxPrint.ini"), "w") as f:
        f.write("[save]\nsavemode=1\nautosaveformat=4\nautosavedir=%s/\nchech1=0\n" % out)
    env = dict(os.environ, VELTO_WINDIR=win)
    good = True

    subprocess.run([program, "INSTALL"], cwd=start, env=env, check=True)
    printers = open(os.path.join(win, "spooler", "printers.ini")).read()
    registry = open(os.path.join(win, "registry.ini")).read()
    good &= check("[Velto Print]" in printers and "pPortName=Velto Port" in printers, "printer added")
    good &= check("[Velto Port]" in open(os.path.join(win, "spooler", "ports.ini")).read(), "port added")
    good &= check("[Velto Processor]" in open(os.path.join(win, "spooler", "processors.ini")).read(),
                  "print processor registered")
    good &= check("[Velto Print]" in open(os.path.join(win, "spooler", "drivers.ini")).read(), "driver installed")
    good &= check("device=Velto Print," in open(os.path.join(win, "win.ini")).read(), "default printer")
    good &= check("SpoolDirectory=REG_SZ:" + win in registry, "spool directory value")
    good &= check(os.path.exists(os.path.join(win, "VeltoFaxTool.exe")), "program copied")

    pid, fd = pty.fork()
    if pid == 0:
        os.chdir(start)
        os.execve(program, [program, "SHOWDIALOG"], env)
    good &= check(read_until(fd, "测试打印机"), "control panel shown")
    os.write(fd, b"\t\t\t\r")  # Close -> install -> uninstall -> test printer
    good &= check(read_until(fd, "测试页已发送到打印机"), "test page sent")
    os.write(fd, b"\r")
    time.sleep(0.2)
    os.write(fd, b"\x1b")
    os.waitpid(pid, 0)
    good &= check(os.path.exists(os.path.join(out, "测试页.pdf")), "test page converted to PDF by the job flow")
    good &= check(not [n for n in os.listdir(win) if n.endswith(".spl")], "spool file consumed")

    subprocess.run([program, "UNINSTALL"], cwd=start, env=env, check=True)
    good &= check("[Velto Print]" not in open(os.path.join(win, "spooler", "printers.ini")).read(), "printer removed")
    good &= check("[Velto Port]" not in open(os.path.join(win, "spooler", "ports.ini")).read(), "port removed")
    good &= check("[Velto Processor]" not in open(os.path.join(win, "spooler", "processors.ini")).read(),
                  "print processor removed")
    good &= check("[Velto Print]" not in open(os.path.join(win, "spooler", "drivers.ini")).read(), "driver removed")
    good &= check("Velto Print" not in open(os.path.join(win, "registry.ini")).read(), "printer's registry key gone")
    good &= check("device=Velto Print" not in open(os.path.join(win, "win.ini")).read(), "no longer the default")
    shutil.rmtree(root)
    return 0 if good else 1


if __name__ == "__main__":
    sys.exit(main())
