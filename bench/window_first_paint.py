#!/usr/bin/env python3
"""Starts graphical browsers on one small local page under a private Xvfb and reports, for each,
the median time from start to the first frame that shows the page's text, and the median peak
resident memory once it shows, with the part of it that is the program's own (not shared library
pages). The page's text must be pure red, which no toolbar draws, so a frame
shows the text when red pixels appear in a capture of the screen. Programs run in rounds, each
once per round, so passing load falls on all alike.

usage: window_first_paint.py ROUNDS PAGE NAME=COMMAND...   (COMMAND split on blanks, no shell;
"{page}" in it stands for PAGE)
"""
import os
import signal
import statistics
import struct
import subprocess
import sys
import tempfile
import time

RED_PIXELS_NEEDED = 200
GIVE_UP_SECONDS = 30


def red_pixels(display):
    """Counts pure red pixels in a capture of the root window (XWD, 24 or 32 bits per pixel)."""
    data = subprocess.run(["xwd", "-root", "-silent", "-display", display],
                          stdout=subprocess.PIPE, check=True).stdout
    header_size = struct.unpack(">I", data[0:4])[0]
    bits_per_pixel = struct.unpack(">I", data[44:48])[0]
    colormap_entries = struct.unpack(">I", data[76:80])[0]
    if bits_per_pixel not in (24, 32):
        sys.exit(f"window_first_paint.py: a capture of {bits_per_pixel} bits per pixel")
    # Xvfb's pixels are little-endian BGR or BGRX: pure red is 00 00 FF.
    return data[header_size + 12 * colormap_entries:].count(b"\x00\x00\xff")


def memory_kib(pid):
    """The peak resident memory, and the part of the resident memory no other process shares."""
    peak = private = 0
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmHWM:"):
                peak = int(line.split()[1])
    with open(f"/proc/{pid}/smaps_rollup") as rollup:
        for line in rollup:
            if line.startswith(("Private_Clean:", "Private_Dirty:")):
                private += int(line.split()[1])
    return peak, private


def run_once(command, display, env):
    start = time.perf_counter()
    process = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, start_new_session=True)
    try:
        while time.perf_counter() - start < GIVE_UP_SECONDS:
            if process.poll() is not None:
                sys.exit(f"window_first_paint.py: {command[0]} exited early")
            if red_pixels(display) >= RED_PIXELS_NEEDED:
                return time.perf_counter() - start, memory_kib(process.pid)
        sys.exit(f"window_first_paint.py: {command[0]} showed no text in {GIVE_UP_SECONDS} s")
    finally:
        os.killpg(process.pid, signal.SIGTERM)
        process.wait()


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__.strip().splitlines()[-2])
    rounds, page = int(sys.argv[1]), sys.argv[2]
    commands = [arg.split("=", 1) for arg in sys.argv[3:]]
    # Xvfb picks a free display itself and writes its number to the pipe when it is ready.
    read_end, write_end = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24",
                               "-nolisten", "tcp"], pass_fds=[write_end], stderr=subprocess.DEVNULL)
    os.close(write_end)
    try:
        with os.fdopen(read_end) as ready:
            display = ":" + ready.readline().strip()
        with tempfile.TemporaryDirectory() as home:
            env = dict(os.environ, DISPLAY=display, HOME=home, CORVANE_HOME=home)
            env.pop("QT_QPA_PLATFORM", None)
            times = {name: [] for name, _ in commands}
            peaks = {name: [] for name, _ in commands}
            privates = {name: [] for name, _ in commands}
            for _ in range(rounds + 1):  # the first round warms the file cache
                for name, command in commands:
                    seconds, (peak, private) = run_once(command.replace("{page}", page).split(),
                                                        display, env)
                    times[name].append(seconds)
                    peaks[name].append(peak)
                    privates[name].append(private)
            for name, _ in commands:
                print(name, statistics.median(times[name][1:]), statistics.median(peaks[name][1:]),
                      statistics.median(privates[name][1:]))
    finally:
        server.terminate()
        server.wait()


if __name__ == "__main__":
    main()
