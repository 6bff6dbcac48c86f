#!/usr/bin/env python3
"""Turns Google Benchmark JSON output into BENCHMARKS.md.

Usage: report.py <benchmarks.json> <BENCHMARKS.md>
"""

import datetime
import json
import os
import platform
import re
import subprocess
import sys


def cpu_model():
    try:
        with open("/proc/cpuinfo", encoding="utf-8", errors="replace") as f:
            for line in f:
                if line.lower().startswith("model name"):
                    return line.split(":", 1)[1].strip()
    except OSError:
        pass
    return platform.processor() or "unknown"


def total_memory():
    try:
        with open("/proc/meminfo", encoding="utf-8") as f:
            for line in f:
                if line.startswith("MemTotal:"):
                    kib = int(line.split()[1])
                    return f"{kib / (1024 * 1024):.1f} GiB"
    except (OSError, ValueError, IndexError):
        pass
    return "unknown"


def load_average():
    try:
        with open("/proc/loadavg", encoding="utf-8") as f:
            return " ".join(f.read().split()[:3])
    except OSError:
        return "unknown"


def processors():
    try:
        return subprocess.run(["nproc"], capture_output=True, text=True, check=True).stdout.strip()
    except (OSError, subprocess.CalledProcessError):
        return str(os.cpu_count() or "unknown")


# Targets at 100,000 books: the benchmark, the figure it applies to ("time" is the time per run in ms,
# anything else names a counter), its upper limit and how the limit reads in the table.
TARGETS = {
    "Load/100000": ("time", 600, "<= 600 ms"),
    "Save/100000": ("time", 600, "<= 600 ms"),
    "Sort/Title/100000": ("time", 250, "<= 250 ms"),
    "CountUsage/Author/100000": ("time", 50, "<= 50 ms"),
    "Filter/Author/100000": ("time", 50, "<= 50 ms"),
    "Xml/AllBooks/100000": ("time", 2500, "<= 2500 ms"),
    "Memory/Loaded/100000": ("rss_mb", 400, "resident <= 400 MB"),
    "MainWindow/Open/100000": ("time", 2000, "<= 2000 ms"),
    "MainWindow/KeepViewRefresh/100000": ("time", 300, "<= 300 ms"),
    "MainWindow/HeaderSort/100000": ("time", 300, "<= 300 ms"),
    "BM_DetailsOfOneBook": ("time", 30, "<= 30 ms"),
}

# What some of the benchmarks measure, printed under the table.
NOTES = [
    "- `MainWindow/Open`: the main window created on the collection file, shown offscreen and ready for input",
    "  (tree built, first list filled).",
    "- `MainWindow/KeepViewRefresh`: snapshot, rebuild, restore and list fill with the grouping Author and one",
    "  folder selected (counter `rows`: the rows of that folder).",
    "- `MainWindow/HeaderSort`: a header click that re-sorts every book of the collection node.",
    "- `BM_DetailsOfOneBook`: one book's collection XML, the default template and the HTML laid out in the viewer.",
    "- `Xml/AllBooks`: the collection XML of all books written as text, what the XML export writes.",
    "",
]

# Keys of a benchmark entry that are not user counters.
STANDARD_KEYS = {
    "name", "family_index", "per_family_instance_index", "run_name", "run_type", "repetitions",
    "repetition_index", "threads", "iterations", "real_time", "cpu_time", "time_unit", "error_occurred",
    "error_message", "label", "aggregate_name", "aggregate_unit",
}

TO_MS = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1000.0}

# Run settings Google Benchmark appends to the name; they say nothing about what is measured.
RUN_SETTINGS = re.compile(r"/(iterations:\d+|real_time|manual_time|min_time:[0-9.]+s?|repeats:\d+|threads:\d+)")


def short_name(name):
    return RUN_SETTINGS.sub("", name)


def format_number(value):
    if value >= 100:
        return f"{value:,.0f}"
    if value >= 10:
        return f"{value:.1f}"
    if value >= 0.1 or value == 0:
        return f"{value:.2f}"
    return f"{value:.2g}"


def format_counter(value):
    return f"{int(value):,}" if float(value).is_integer() else format_number(value)


def counters(bench):
    return {k: v for k, v in bench.items() if k not in STANDARD_KEYS and isinstance(v, (int, float))}


def verdict(name, time_ms, values):
    target = TARGETS.get(name)
    if not target:
        return "", ""
    figure, limit, text = target
    value = time_ms if figure == "time" else values.get(figure)
    if value is None:
        return text, "no figure"
    return text, "met" if value <= limit else "MISSED"


def row(bench):
    name = short_name(bench.get("name", "?"))
    if bench.get("error_occurred"):
        return [name, "error: " + bench.get("error_message", ""), "", "", "", "", ""]
    to_ms = TO_MS.get(bench.get("time_unit", "ns"), 1e-6)
    time_ms = bench.get("real_time", 0) * to_ms
    cpu_ms = bench.get("cpu_time", 0) * to_ms
    values = counters(bench)
    target, result = verdict(name, time_ms, values)
    shown = ", ".join(f"{k} {format_counter(v)}" for k, v in values.items())
    return [name, format_number(time_ms), format_number(cpu_ms), str(bench.get("iterations", "")), shown, target,
            result]


def escape(text):
    return str(text).replace("|", "\\|")


def main(argv):
    if len(argv) != 3:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    with open(argv[1], encoding="utf-8") as f:
        data = json.load(f)

    rows = [row(b) for b in data.get("benchmarks", []) if b.get("run_type", "iteration") == "iteration"]
    missed = [r[0] for r in rows if r[-1] == "MISSED"]

    library = data.get("context", {}).get("library_build_type", "")
    now = datetime.datetime.now(datetime.timezone.utc)
    lines = [
        "# Benchmarks",
        "",
        "Latest figures of `make bench` (Google Benchmark, Release build) over synthetic book collections",
        "made by `bench/SyntheticCollection.cpp` (fixed seed). The time per run is wall-clock time and is what",
        "the targets (at 100,000 books) are checked against. CPU time is the benchmark's own processor time; a",
        "wide gap between the two means the run waited, for the disk or for other work on a shared machine.",
        "",
        f"- Date: {now.strftime('%Y-%m-%d %H:%M UTC')}",
        f"- CPU: {cpu_model()}",
        f"- Processors (nproc): {processors()}",
        f"- Memory: {total_memory()}",
        f"- Load average when the report was written: {load_average()}",
        "",
        "| Benchmark | Time per run (ms) | CPU time (ms) | Iterations | Counters | Target | Result |",
        "|---|---:|---:|---:|---|---|---|",
    ]
    lines += ["| " + " | ".join(escape(cell) for cell in r) + " |" for r in rows]
    lines.append("")
    lines += NOTES
    if library == "debug":
        lines += ["The Google Benchmark library itself is a debug build (as Debian ships it); that touches only its",
                  "own timing loop, not the code measured.", ""]
    if missed:
        lines += [f"Missed targets: {', '.join(missed)}.", ""]

    with open(argv[2], "w", encoding="utf-8") as f:
        f.write("\n".join(lines))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
