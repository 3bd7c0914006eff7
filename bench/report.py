#!/usr/bin/python3
"""Writes RESULTS.md from the hyperfine and memory records of run.sh: report.py JSON_DIR RESULTS."""
import datetime
import json
import os
import platform
import subprocess
import sys

PEERS = ["jinja2", "mako", "ejs", "handlebars"]
LABELS = {"vyr": "Vyr", "cpp": "hand-written C++", "jinja2": "Jinja2", "mako": "Mako", "ejs": "EJS",
          "handlebars": "Handlebars", "cat": "cat", "plain": "Vyr, no regions"}
WORKLOADS = {"w1": "W1 model to code (N entities)", "w2": "W2 template throughput (MB)",
             "w3": "W3 regeneration (regions)", "w4": "W4 evaluation (iterations)",
             "w5": "W5 calls (Fib(n))"}


def load(folder):
    rows = {}
    for name in sorted(os.listdir(folder)):
        if not name.endswith(".json") or name == "micro.json":
            continue
        key = name[:-5]
        with open(os.path.join(folder, name)) as f:
            result = json.load(f)["results"][0]
        median = result["median"]
        cpu = result.get("user", 0.0) + result.get("system", 0.0)
        mem = None
        try:
            with open(os.path.join(folder, key + ".mem")) as f:
                mem = int(f.read().strip()) / 1024.0
        except (OSError, ValueError):
            pass
        work, size, impl = key.split("-", 2)
        rows[(work, int(size), impl)] = (median, mem, cpu)
    return rows


def machine():
    cpu = "unknown CPU"
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    cpu = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    try:
        with open("/proc/meminfo") as f:
            mem = int(f.readline().split()[1]) // 1024
    except (OSError, ValueError, IndexError):
        mem = 0
    load = os.getloadavg()[0]
    return "%s, %d cores, %d MiB RAM, %s %s, load average %.1f at the end of the run" % (
        cpu, os.cpu_count() or 0, mem, platform.system(), platform.release(), load)


def version(cmd):
    try:
        return subprocess.run(cmd, capture_output=True, text=True, check=False).stdout.strip().splitlines()[0]
    except (OSError, IndexError):
        return "?"


def main():
    folder, out = sys.argv[1], sys.argv[2]
    rows = load(folder)
    lines = ["# Benchmark results", "",
             "Written by `bench/run.sh` on %s." % datetime.date.today().isoformat(), "",
             "Machine: " + machine() + ".", "",
             "Peers: Python %s (Jinja2, Mako from Debian), Node %s (EJS, Handlebars pinned in "
             "bench/package-lock.json), %s." % (platform.python_version(), version(["node", "--version"]),
                                               version(["hyperfine", "--version"])), "",
             "Median wall time of whole-process runs (hyperfine, one warm-up); peak memory is the maximum "
             "resident set size of one run (`/usr/bin/time -v`); CPU is the mean user + system time of a run, which "
             "a busy machine disturbs less than the wall time.  For W1 the ratios are to the fastest of "
             "Jinja2, Mako, EJS and Handlebars and to the hand-written C++ writer; for W2 to `cat` of the "
             "same bytes; for W3 to the same generation without protected regions.", "",
             "| Workload | Size | Implementation | Median (ms) | CPU (ms) | Ratio | vs C++ | Peak memory (MB) |",
             "|---|---:|---|---:|---:|---:|---:|---:|"]
    targets = []
    for work in sorted({k[0] for k in rows}):
        for size in sorted({k[1] for k in rows if k[0] == work}):
            impls = {k[2]: v for k, v in rows.items() if k[0] == work and k[1] == size}
            base = None
            if work == "w1":
                peer = [impls[p][0] for p in PEERS if p in impls]
                base = min(peer) if peer else None
            elif work == "w2":
                base = impls.get("cat", (None,))[0]
            elif work == "w3":
                base = impls.get("plain", (None,))[0]
            cpp = impls.get("cpp", (None,))[0]
            order = ["vyr", "plain", "cat", "cpp"] + PEERS
            for impl in sorted(impls, key=lambda i: order.index(i) if i in order else 99):
                median, mem, cpu = impls[impl]
                ratio = "%.2f" % (median / base) if base else ""
                vscpp = "%.2f" % (median / cpp) if cpp else ""
                lines.append("| %s | %d | %s | %.1f | %.1f | %s | %s | %s |" % (
                    WORKLOADS.get(work, work), size, LABELS.get(impl, impl), median * 1000, cpu * 1000, ratio, vscpp,
                    "%.1f" % mem if mem is not None else ""))
            if work == "w1" and size == 20000 and "vyr" in impls:
                v, m, _ = impls["vyr"]
                if base:
                    targets.append(("W1 N=20,000: Vyr / fastest peer <= 0.5", v / base, v / base <= 0.5))
                if cpp:
                    targets.append(("W1 N=20,000: Vyr / hand-written C++ <= 1.5", v / cpp, v / cpp <= 1.5))
                if m is not None:
                    targets.append(("W1 N=20,000: Vyr peak memory < 200 MB", m, m < 200))
                small = rows.get(("w1", 2000, "vyr"))
                if small:
                    targets.append(("W1: time(N=20,000) / time(N=2,000) <= 11", v / small[0], v / small[0] <= 11))
            if work == "w2" and size == max(k[1] for k in rows if k[0] == "w2") and base:
                v = impls["vyr"][0]
                targets.append(("W2 %d MB: Vyr / cat <= 3" % size, v / base, v / base <= 3))
            if work == "w3" and size == max(k[1] for k in rows if k[0] == "w3") and base:
                v = impls["vyr"][0]
                targets.append(("W3 %d regions: regeneration / plain <= 2" % size, v / base, v / base <= 2))
    lines += ["", "## Targets", "", "| Target | Measured | Met |", "|---|---:|---|"]
    for name, value, met in targets:
        lines.append("| %s | %.2f | %s |" % (name, value, "yes" if met else "**no**"))
    micro = os.path.join(folder, "micro.json")
    if os.path.exists(micro):
        with open(micro) as f:
            data = json.load(f)
        lines += ["", "## Micro-benchmarks (Google Benchmark)", "", "| Benchmark | Time per iteration (ns) |",
                  "|---|---:|"]
        for b in data.get("benchmarks", []):
            lines.append("| %s | %.0f |" % (b["name"], b["real_time"]))
    with open(out, "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
