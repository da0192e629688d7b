#!/usr/bin/python3
# What Orca itself says while a pass runs, from its debug log: run under
# dbus-run-session on the test display with the desktop settings in memory, it
# starts Orca with its home in a temporary folder, starts VELMORA with slot 1
# naming a missing program and AutoClose ticked, presses Space on the focused
# START, parks the focus on a tick box and waits for what Orca speaks.
# Usage: orca_test.py VELMORA
import os, pty, re, subprocess, sys, tempfile, threading, time
import pyatspi
from gi.repository import Atspi, GLib

# Orca runs once per user: one already running is the user's own, left alone.
def running_orca(pid):
    try: return os.stat(f"/proc/{pid}").st_uid == os.getuid() and open(f"/proc/{pid}/comm").read() == "orca\n"
    except OSError: return False
if any(running_orca(pid) for pid in os.listdir("/proc") if pid.isdigit()):
    print("SKIPPED: an Orca of this user is running; this test starts its own only where none is")
    sys.exit(77)
home = tempfile.TemporaryDirectory(ignore_cleanup_errors=True)
# Its own runtime folder too, so Orca starts a speech server of its own, which finds no sound server.
env = dict(os.environ, HOME=home.name, XDG_RUNTIME_DIR=f"{home.name}/runtime",
           **{f"XDG_{d}_HOME": f"{home.name}/{d.lower()}" for d in ("CONFIG", "DATA", "CACHE")})
os.makedirs(f"{home.name}/runtime", mode=0o700)
os.makedirs(f"{home.name}/config/VELMORA")
with open(f"{home.name}/config/VELMORA/velmora.conf", "w") as conf:
    conf.write("[General]\nTASK_1_ENABLE_TICKBOX=1\nTASK_1_CMD=/nonexistent/velmora-missing\nAUTOCLOSE_TICKBOX=1\n")
subprocess.run(["dbus-send", "--session", "--print-reply=literal", "--dest=org.a11y.Bus", "/org/a11y/bus", "org.freedesktop.DBus.Properties.Set",
                "string:org.a11y.Status", "string:ScreenReaderEnabled", "variant:boolean:true"], check=True, stdout=subprocess.DEVNULL)

# Orca writes its log a line at a time to a terminal only.
said, reader, writer = [], *pty.openpty()
def collect():
    with open(reader, errors="replace") as log:
        for line in iter(log.readline, ""):
            if "SPEECH OUTPUT:" in line: said.append(re.sub(r" ?\{.*\}$", "", line.split("SPEECH OUTPUT: ", 1)[1].strip()))
threading.Thread(target=collect, daemon=True).start()
orca = subprocess.Popen(["orca", "--debug-file", os.ttyname(writer)], env=env,
                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
program = None

def hears(words, timeout=40):
    end = time.time() + timeout
    while time.time() < end:
        GLib.MainContext.default().iteration(False)
        if (found := next((s for s in said if words in s), None)): return found
        time.sleep(0.05)
    sys.exit(f"FAILED: Orca never said {words!r}; it said:\n  " + "\n  ".join(said))

try:
    hears("Screen reader on")
    program = subprocess.Popen([sys.argv[1]], env=env)
    hears("Start autostart countdown push button")  # the window opens with START focused
    Atspi.generate_keyboard_event(0x20, None, Atspi.KeySynthType.SYM)  # Space
    print("Space on START:", hears("Stop autostart countdown"))
    app = next(a for a in pyatspi.Registry.getDesktop(0) if a and a.name == "velmora")
    main = next(w for w in app if w.name == "VELMORA - velmora")
    next(c for c in main if c.name == "Always On Top").queryComponent().grabFocus()
    hears("Always On Top check box")
    print("Failed slot:", hears("Task 1 could not start: program not found: /nonexistent/velmora-missing"))
    print("End of pass:", hears("Pass finished with errors: task 1 could not start; 0 started, 19 skipped. "
                                "The window closes in 11 seconds."))
    print("[  PASSED  ] 1")
finally:
    for p in (program, orca):
        if p:
            p.terminate()
            try: p.wait(10)
            except subprocess.TimeoutExpired: p.kill(); p.wait()
    home.cleanup()
