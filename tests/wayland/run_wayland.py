#!/usr/bin/env python3
"""Runs the Wayland tests on a compositor and a session bus of their own:
weston with its headless backend (software rendering, no GPU) and a private
dbus-daemon on which no desktop portal or tray answers unless a test puts a
stand-in there. Nothing of the machine's own
session is used or touched; both are stopped at the end.

usage: run_wayland.py WAYLAND_TESTS [--screenshots DIR] [gtest arguments]

Exit status: the tests' own, or 77 when weston, dbus-daemon or Qt's Wayland
platform plugin is missing.
"""

import glob
import os
import shutil
import subprocess
import sys
import tempfile
import time

SOCKET = "korvane-wayland-test"


def missing():
    tools = [t for t in ("weston", "dbus-daemon") if shutil.which(t) is None]
    if not glob.glob("/usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so"):
        tools.append("qt6-wayland")
    return tools


def stop(process):
    if process.poll() is None:
        process.terminate()
        try:
            process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


def main(argv):
    if len(argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    absent = missing()
    if absent:
        print("skip: missing " + ", ".join(absent), flush=True)
        return 77
    binary, rest = argv[1], argv[2:]
    env_extra = {}
    if rest[:1] == ["--screenshots"]:
        env_extra["KORVANE_SCREENSHOTS"] = os.path.abspath(rest[1])
        rest = rest[2:] + ["--gtest_filter=*Screenshot*"]

    root = tempfile.mkdtemp(prefix="korvane-wayland-")
    runtime = os.path.join(root, "runtime")
    os.makedirs(runtime, mode=0o700)
    home = os.path.join(root, "home")
    os.makedirs(home)
    env = {k: v for k, v in os.environ.items()
           if k not in ("DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS")}
    env.update(XDG_RUNTIME_DIR=runtime, HOME=home, LANG="C.UTF-8")
    processes = []
    try:
        processes.append(subprocess.Popen(
            ["weston", "--backend=headless-backend.so", "--socket=" + SOCKET, "--idle-time=0",
             "--width=1024", "--height=768", "--no-config"],
            env=env, stdout=subprocess.DEVNULL, stderr=open(os.path.join(root, "weston.log"), "w")))
        socket = os.path.join(runtime, SOCKET)
        end = time.monotonic() + 15
        while not os.path.exists(socket):
            if time.monotonic() > end or processes[0].poll() is not None:
                print("FAIL  weston did not start", flush=True)
                return 1
            time.sleep(0.05)
        bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                               env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                               text=True)
        processes.append(bus)
        address = bus.stdout.readline().strip()
        if not address:
            print("FAIL  dbus-daemon did not start", flush=True)
            return 1
        env.update(env_extra, WAYLAND_DISPLAY=SOCKET, DBUS_SESSION_BUS_ADDRESS=address,
                   QT_QPA_PLATFORM="wayland", QT_QUICK_BACKEND="software",
                   QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu", QTWEBENGINE_DISABLE_SANDBOX="1")
        if "KORVANE_SCREENSHOTS" in env:
            return subprocess.call([binary] + rest, env=env, timeout=170)
        # The toolkit looks for a tray once per process: the tray test, whose
        # stand-in watcher must come first, runs in a process of its own.
        first = run_tests(binary, "-TrayOnWayland.*", rest, env, 120)
        second = run_tests(binary, "TrayOnWayland.*", rest, env, 60)
        return first or second
    finally:
        for p in reversed(processes):
            stop(p)
        shutil.rmtree(root, ignore_errors=True)


def run_tests(binary, pattern, rest, env, timeout):
    """Runs the tests matching `pattern`; the status of the run. A run that a
    signal ended (the web engine has once ended a start on the headless
    compositor that way, about one run in ten) is said so and run once more,
    so the log shows it and a second crash still fails."""
    status = subprocess.call([binary, "--gtest_filter=" + pattern] + rest, env=env,
                             timeout=timeout)
    if status < 0:
        print("NOTE  the run of %s ended by signal %d; running it once more" % (pattern, -status),
              flush=True)
        status = subprocess.call([binary, "--gtest_filter=" + pattern] + rest, env=env,
                                 timeout=timeout)
    if status != 0:
        print("FAIL  the run of %s ended with status %d" % (pattern, status), flush=True)
    return status


if __name__ == "__main__":
    sys.exit(main(sys.argv))
