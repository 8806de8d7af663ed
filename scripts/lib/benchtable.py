#!/usr/bin/env python3
"""Runs the benchmark programs of a Release tree and prints the table of figures and goals.

Called by scripts/bench.sh: benchtable.py BUILD_DIR REPETITIONS. Exit status 1 when a row misses
its goal, 2 when a benchmark could not run.
"""
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

FLIGHTS = 65536


def run_benchmarks(program, repetitions, env=None, wrapper=()):
    """The median of each benchmark's repetitions, by name: its real time in ms and its counters."""
    with tempfile.NamedTemporaryFile(suffix=".json") as out:
        command = [*wrapper, program, f"--benchmark_repetitions={repetitions}",
                   "--benchmark_report_aggregates_only=true", f"--benchmark_out={out.name}",
                   "--benchmark_out_format=json"]
        done = subprocess.run(command, env=env, stdout=subprocess.DEVNULL, stderr=sys.stderr)
        if done.returncode != 0:
            sys.exit(f"{os.path.basename(program)} failed with status {done.returncode}")
        report = json.load(open(out.name))
    results = {}
    for b in report["benchmarks"]:
        if b.get("aggregate_name") != "median" and repetitions > 1:
            continue
        if b.get("error_occurred"):
            sys.exit(f"{b['run_name']}: {b.get('error_message')}")
        scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
        # "Totals/manual_time", "SearchAllTexts/1/iterations:3/manual_time": the benchmark and its argument.
        name = "/".join(p for p in b["run_name"].split("/")
                        if p != "manual_time" and not p.startswith(("iterations:", "repeats:")))
        results[name] = dict(b, ms=b["real_time"] * scale)
    return results


def peak_rss_mb(command, env=None, settle=None):
    """The peak resident memory of a command in MB: at its end, or after `settle` seconds of a
    program that does not end by itself (the window), which is then stopped."""
    process = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                               start_new_session=True)
    if settle is None:
        _, status, usage = os.wait4(process.pid, 0)
        if status != 0:
            sys.exit(f"{' '.join(command)} failed with status {status}")
        return usage.ru_maxrss / 1024
    time.sleep(settle)
    peak = None
    # The window program itself, below xvfb-run when that wraps it.
    for pid in [process.pid, *children(process.pid)]:
        try:
            exe = os.readlink(f"/proc/{pid}/exe")
        except OSError:
            continue
        if os.path.basename(exe) == os.path.basename(command[-3]):
            for line in open(f"/proc/{pid}/status"):
                if line.startswith("VmHWM:"):
                    peak = int(line.split()[1]) / 1024
    os.killpg(process.pid, signal.SIGTERM)
    process.wait()
    if peak is None:
        sys.exit("the window program did not stay up")
    return peak


def children(pid):
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            fields = open(f"/proc/{entry}/stat").read().rsplit(")", 1)[1].split()
        except OSError:
            continue
        if int(fields[1]) == pid:
            found.append(int(entry))
            found.extend(children(int(entry)))
    return found


def main():
    build, repetitions = sys.argv[1], int(sys.argv[2])
    core = run_benchmarks(os.path.join(build, "bench", "velmarsk_bench"), repetitions)
    display = []
    env = dict(os.environ)
    if shutil.which("xvfb-run"):
        display = ["xvfb-run", "-a"]
    else:
        env["QT_QPA_PLATFORM"] = "offscreen"
    window = run_benchmarks(os.path.join(build, "bench", "velmarsk_window_bench"), repetitions, env, display)

    cli = os.path.join(build, "src", "cli", "velmarsk-cli")
    program = os.path.join(build, "src", "app", "velmarsk")
    with tempfile.TemporaryDirectory() as folder:
        subprocess.run([cli, "--datadir", folder, "create"], check=True, stdout=subprocess.DEVNULL)
        subprocess.run([cli, "--datadir", folder, "generate", str(FLIGHTS), "--seed", "1"], check=True,
                       stdout=subprocess.DEVNULL)
        totals_mb = peak_rss_mb([cli, "--datadir", folder, "totals", "--from", "01.01.00", "--to", "31.12.99"])
        window_mb = peak_rss_mb([*display, program, "--datadir", folder], env, settle=4)
        data_mb = sum(os.path.getsize(os.path.join(folder, f)) for f in os.listdir(folder)
                      if os.path.isfile(os.path.join(folder, f))) / 1e6

    read_ms = core["SequentialRead"]["ms"]

    def x_read(name):
        return core[name]["ms"] / read_ms

    rows = [
        # operation, figure, shown as, goal, within goal
        ("open (lock, header, index, names, crew)", x_read("Open"), "x read", 2.0, "<="),
        ("index rebuild", x_read("RebuildIndex"), "x read", 3.0, "<="),
        ("totals over all flights", x_read("Totals"), "x read", 1.5, "<="),
        ("text search, found nowhere", x_read("SearchAllTexts/0"), "x read", 3.0, "<="),
        ("search led by a common letter", x_read("SearchAllTexts/1"), "x read", 5.0, "<="),
        ("chart data, all years", x_read("ChartDataAllYears"), "x read", 1.5, "<="),
        ("totals against SQLite sums (x faster)", core["SqliteSums"]["ms"] / core["Totals"]["ms"], "x", 50.0,
         ">="),
        ("add 65,536 in random order", core["AddAllRandomOrder"]["ms"] / 1e3, "s", 1.0, "<="),
        ("sort and compaction", core["SortAndCompact"]["ms"], "ms", 250.0, "<="),
        ("import 65,536", core["ImportAll"]["ms"] / 1e3, "s", 1.5, "<="),
        ("export 65,536", core["ExportAll"]["ms"] / 1e3, "s", 3.0, "<="),
        ("load 400,000 crew lines", core["LoadCrewFile"]["ms"] / 1e3, "s", 0.5, "<="),
        ("start to window on 65,536 flights", window["StartToNewestFlight"]["ms"] / 1e3, "s", 0.15, "<="),
        ("one step with the arrow keys", window["StepThroughLogbook"]["ms"], "ms", 33.0, "<="),
        ("peak memory, window on 65,536 flights", window_mb, "MB", 120.0, "<="),
        ("peak memory, totals on 65,536 flights", totals_mb, "MB", 40.0, "<="),
    ]
    print(f"read of Flug.dat + Flug.str: {read_ms:.2f} ms; logbook files {data_mb:.1f} MB; "
          f"median of {repetitions} repetitions")
    print(f"| {'operation':<41} | {'figure':>13} | {'goal':>13} | ok   |")
    print(f"|{'-' * 43}|{'-' * 15}|{'-' * 15}|------|")
    failed = False
    for name, value, unit, goal, sense in rows:
        ok = value <= goal if sense == "<=" else value >= goal
        failed |= not ok
        goal_text = ("≤ " if sense == "<=" else "≥ ") + f"{goal:g} {unit}"
        print(f"| {name:<41} | {value:>9.2f} {unit:<3} | {goal_text:>13} | {'ok' if ok else 'over':<4} |")
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
