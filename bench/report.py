#!/usr/bin/env python3
"""Turns Google Benchmark JSON output into BENCHMARKS.md.

Usage: report.py <benchmarks.json> <BENCHMARKS.md>
"""

import datetime
import json
import os
import platform
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


def processors():
    try:
        return subprocess.run(["nproc"], capture_output=True, text=True, check=True).stdout.strip()
    except (OSError, subprocess.CalledProcessError):
        return str(os.cpu_count() or "unknown")


def format_time(value, unit):
    if value is None:
        return ""
    if value >= 100:
        text = f"{value:,.0f}"
    elif value >= 10:
        text = f"{value:.1f}"
    else:
        text = f"{value:.3g}"
    return f"{text} {unit}"


def escape(text):
    return str(text).replace("|", "\\|")


def main(argv):
    if len(argv) != 3:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    with open(argv[1], encoding="utf-8") as f:
        data = json.load(f)

    context = data.get("context", {})
    rows = []
    for bench in data.get("benchmarks", []):
        if bench.get("error_occurred"):
            rows.append((bench.get("name", "?"), "error: " + bench.get("error_message", ""), "", ""))
            continue
        unit = bench.get("time_unit", "ns")
        rows.append((
            bench.get("name", "?"),
            format_time(bench.get("real_time"), unit),
            format_time(bench.get("cpu_time"), unit),
            str(bench.get("iterations", "")),
        ))

    now = datetime.datetime.now(datetime.timezone.utc)
    lines = [
        "# Benchmarks",
        "",
        "Latest figures of `make bench` (Google Benchmark, Release build).",
        "",
        f"- Date: {now.strftime('%Y-%m-%d %H:%M UTC')}",
        f"- Processors (nproc): {processors()}",
        f"- CPU: {cpu_model()}",
        f"- Memory: {total_memory()}",
        "",
        "| Benchmark | Real time | CPU time | Iterations |",
        "|---|---:|---:|---:|",
    ]
    lines += [f"| {escape(n)} | {r} | {c} | {i} |" for n, r, c, i in rows]
    lines.append("")

    with open(argv[2], "w", encoding="utf-8") as f:
        f.write("\n".join(lines))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
