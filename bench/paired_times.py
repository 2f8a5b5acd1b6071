#!/usr/bin/env python3
"""Times several commands in rounds, each round running every command once in turn, so a
load that comes and goes on a shared machine falls on all of them alike. Prints one line per
command: its name and the median of its times in seconds: wall times, or with
PAIRED_TIMES_CLOCK=cpu the command's user + system CPU time, which other work on a shared machine
disturbs far less.

usage: paired_times.py ROUNDS WARMUP NAME=COMMAND...   (COMMAND split on blanks, no shell)
"""
import os
import statistics
import subprocess
import sys
import time


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__.strip().splitlines()[-1])
    rounds, warmup = int(sys.argv[1]), int(sys.argv[2])
    commands = [arg.split("=", 1) for arg in sys.argv[3:]]
    cpu = os.environ.get("PAIRED_TIMES_CLOCK") == "cpu"
    times = {name: [] for name, _ in commands}
    for round_number in range(warmup + rounds):
        for name, command in commands:
            start = time.perf_counter()
            child = subprocess.Popen(command.split(), stdout=subprocess.DEVNULL)
            _, status, usage = os.wait4(child.pid, 0)
            child.returncode = os.waitstatus_to_exitcode(status)
            if child.returncode != 0:
                raise subprocess.CalledProcessError(child.returncode, command)
            elapsed = usage.ru_utime + usage.ru_stime if cpu else time.perf_counter() - start
            if round_number >= warmup:
                times[name].append(elapsed)
    for name, _ in commands:
        print(name, statistics.median(times[name]))


if __name__ == "__main__":
    main()
