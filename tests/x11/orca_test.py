#!/usr/bin/python3
# What Orca itself says, from its debug log: under dbus-run-session on the test display, Orca
# (its home in a temporary folder) and VELMORA with slot 1 naming a missing program and
# AutoClose ticked; Space on the focused START, then the focus on a tick box while the pass runs.
# Usage: orca_test.py VELMORA
import os, pty, re, subprocess, sys, tempfile, threading, time
import pyatspi
from gi.repository import Atspi, GLib

def mine(pid):  # an Orca of this user: one per user runs, and the user's own is left alone
    try: return os.stat(f"/proc/{pid}").st_uid == os.getuid() and open(f"/proc/{pid}/comm").read() == "orca\n"
    except OSError: return False
if any(mine(pid) for pid in os.listdir("/proc") if pid.isdigit()): sys.exit(print("SKIPPED: this user's Orca runs") or 77)
home = tempfile.TemporaryDirectory(ignore_cleanup_errors=True)
# A runtime folder of its own too: Orca's own speech server, which finds no sound server.
env = dict(os.environ, HOME=home.name, **{f"XDG_{d}_HOME": f"{home.name}/{d.lower()}" for d in ("CONFIG", "DATA", "CACHE")},
           XDG_RUNTIME_DIR=f"{home.name}/runtime")
os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700)
os.makedirs(f"{home.name}/config/VELMORA")
with open(f"{home.name}/config/VELMORA/velmora.conf", "w") as conf:
    conf.write("[General]\nTASK_1_ENABLE_TICKBOX=1\nTASK_1_CMD=/nonexistent/velmora-missing\nAUTOCLOSE_TICKBOX=1\n")
subprocess.run(["dbus-send", "--session", "--print-reply=literal", "--dest=org.a11y.Bus", "/org/a11y/bus", "org.freedesktop.DBus.Properties.Set",
                "string:org.a11y.Status", "string:ScreenReaderEnabled", "variant:boolean:true"], check=True, stdout=subprocess.DEVNULL)

said, reader, writer = [], *pty.openpty()  # Orca writes its log a line at a time to a terminal only
def collect():
    for line in open(reader, errors="replace"):
        if "SPEECH OUTPUT: " in line: said.append(re.sub(r" ?\{.*\}$", "", line.split("SPEECH OUTPUT: ", 1)[1].strip()))
threading.Thread(target=collect, daemon=True).start()
started = [subprocess.Popen(["orca", "--debug-file", os.ttyname(writer)], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)]

def hears(words, timeout=40):
    end = time.time() + timeout
    while time.time() < end:
        GLib.MainContext.default().iteration(False)
        if (found := next((s for s in said if words in s), None)): return found
        time.sleep(0.05)
    sys.exit(f"FAILED: Orca never said {words!r}; it said:\n  " + "\n  ".join(said))

try:
    hears("Screen reader on")
    started.append(subprocess.Popen([sys.argv[1]], env=env))
    hears("Start autostart countdown push button")  # the window opens with START focused
    Atspi.generate_keyboard_event(0x20, None, Atspi.KeySynthType.SYM)  # Space
    print("Space on START:", hears("Stop autostart countdown"))
    main = None
    for _ in range(200):  # the reader's list of programs follows the bus's events
        GLib.MainContext.default().iteration(False)
        if (main := next((w for a in pyatspi.Registry.getDesktop(0) if a and a.name == "velmora"
                          for w in a if w.name == "VELMORA - velmora"), None)): break
        time.sleep(0.05)
    if not main: sys.exit("FAILED: VELMORA's main window is not on the accessibility bus")
    next(c for c in main if c.name == "Always On Top").queryComponent().grabFocus()
    hears("Always On Top check box")
    print("Failed slot:", hears("Task 1 could not start: program not found: /nonexistent/velmora-missing"))
    print("End of pass:", hears("Pass finished with errors: task 1 could not start; 0 started, 19 skipped. "
                                "The window closes in 11 seconds."))
    print("[  PASSED  ] 1")
finally:
    for p in reversed(started):
        p.terminate()
        try: p.wait(10)
        except subprocess.TimeoutExpired: p.kill(); p.wait()
    home.cleanup()
