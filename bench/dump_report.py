"""Prints the table of a text-dump comparison written by measure_dumpers (bench/dump_programs.sh):
median time and peak resident memory of each program, both relative to links."""
import os
import re
import sys


def medians(work, file):
    with open(os.path.join(work, file)) as f:
        return {name: float(seconds) for name, seconds in (line.split() for line in f)}


def peak_kb(work, name):
    with open(os.path.join(work, name + ".time")) as f:
        return int(re.search(r"Maximum resident set size \(kbytes\): (\d+)", f.read()).group(1))


def main():
    work, page, what, names = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:]
    times = medians(work, "page.times")
    clock = "CPU" if os.environ.get("PAIRED_TIMES_CLOCK") == "cpu" else "wall"
    print("Dumping %s of %.1f MB as text (median %s time, peak RSS); ratios relative to "
          "links -dump:" % (what, os.path.getsize(page) / 1e6, clock))
    print("  %-8s %10s %8s %10s %8s" % ("program", "time", "ratio", "peak RSS", "ratio"))
    links_kb = peak_kb(work, "links")
    for name in names:
        kb = peak_kb(work, name)
        print("  %-8s %8.0fms %7.2fx %8.1fMB %7.2fx" % (
            name, times[name] * 1e3, times[name] / times["links"], kb / 1024, kb / links_kb))


if __name__ == "__main__":
    main()
