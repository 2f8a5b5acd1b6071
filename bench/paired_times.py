#!/usr/bin/env python3
"""Times several commands in rounds, each round running every command once in turn, so a
load that comes and goes on a shared machine falls on all of them alike. Prints one line per
command: its name and the median of its wall times in seconds.

usage: paired_times.py ROUNDS WARMUP NAME=COMMAND...   (COMMAND split on blanks, no shell)
"""
import statistics
import subprocess
import sys
import time


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__.strip().splitlines()[-1])
    rounds, warmup = int(sys.argv[1]), int(sys.argv[2])
    commands = [arg.split("=", 1) for arg in sys.argv[3:]]
    times = {name: [] for name, _ in commands}
    for round_number in range(warmup + rounds):
        for name, command in commands:
            start = time.perf_counter()
            subprocess.run(command.split(), stdout=subprocess.DEVNULL, check=True)
            if round_number >= warmup:
                times[name].append(time.perf_counter() - start)
    for name, _ in commands:
        print(name, statistics.median(times[name]))


if __name__ == "__main__":
    main()
