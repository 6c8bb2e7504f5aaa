"""Prints the benchmark table of bench/run from the Google Benchmark JSON files and the
srec_cat timings in the given folder."""

import json
import os
import sys

work, machine = sys.argv[1], sys.argv[2]


def load(name):
    path = os.path.join(work, name)
    if not os.path.exists(path):
        return []
    with open(path) as f:
        return json.load(f)["benchmarks"]


def ms(b):
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
    return b["real_time"] * scale


def duration(seconds):
    if seconds < 1:
        return "%.0f ms" % (seconds * 1000)
    if seconds < 60:
        return ("%.1f s" % seconds).replace(".", ",")
    minutes, rest = divmod(int(round(seconds)), 60)
    if minutes < 60:
        return "%d min %02d s" % (minutes, rest)
    hours, minutes = divmod(minutes, 60)
    return "%d h %02d min %02d s" % (hours, minutes, rest)


main = load("pellory_bench.json")
view = load("pellory_view_bench.json")
by_name = {b["name"]: b for b in main}

print("Machine:", machine)
print()
link = by_name.get("BM_LinkTransfer")
if link:
    print("Host time per link transfer (one transaction alone): %.1f ns" % link["cpu_time"])
ppdev = by_name.get("BM_LinkTransferThroughPpdev")
if ppdev:
    print("The same through RealPortIo and the ppdev stand-in: %.1f ns" % ppdev["cpu_time"])
print()

print("Whole devices through the simulated programmer")
header = "%-22s %8s %12s %8s %9s %8s %13s %13s %7s %13s" % (
    "device / command", "bytes", "transactions", "per byte", "host ms", "ns/trans",
    "simulated", "5 acc./trans", "diff", "old clock")
print(header)
print("-" * len(header))
for b in main:
    if not b["name"].startswith("BM_WholeDevice"):
        continue
    if b.get("error_occurred"):
        print("%-22s %s" % (b.get("label", b["name"]), b.get("error_message", "failed")))
        continue
    host = ms(b)
    transactions = b["transactions"]
    estimate = b.get("estimate_s", 0)
    diff = (b["sim_s"] - estimate) / estimate * 100 if estimate else 0
    print("%-22s %8d %12d %8.1f %9.1f %8.1f %13s %13s %6.1f%% %13s" % (
        b["label"], b["bytes"], transactions, b["per_byte"], host,
        host * 1e6 / transactions if transactions else 0, duration(b["sim_s"]),
        duration(estimate), diff, duration(b.get("old_s", 0))))
print("(simulated: the tool's estimate, 1 us a port access plus the pacing; 5 acc./trans: five")
print(" port accesses a handshake plus the pacing; old clock: 1 us a handshake plus the pacing)")
print()

print("16 MiB image, against srec_cat converting the same file (same run)")
srec = {}
path = os.path.join(work, "srec.txt")
if os.path.exists(path):
    for line in open(path):
        number, read_ms, write_ms = line.split()
        srec[int(number)] = (int(read_ms), int(write_ms))
header = "%-12s %-6s %10s %12s %8s" % ("format", "", "ours ms", "srec_cat ms", "ratio")
print(header)
print("-" * len(header))
for number, label in ((3, "Intel 32"), (7, "Motorola S3")):
    for kind, index in (("read", 0), ("write", 1)):
        b = by_name.get("BM_%sLarge/%d" % ("Read" if kind == "read" else "Write", number))
        if not b:
            continue
        ours = ms(b)
        theirs = srec.get(number, (0, 0))[index]
        ratio = theirs / ours if ours and theirs else 0
        print("%-12s %-6s %10.1f %12d %7.1fx" % (label, kind, ours, theirs, ratio))

if view:
    print()
    print("Hex view, 16 MiB image")
    for b in view:
        extra = "".join(
            "  %s=%.1f" % (k, v) for k, v in b.items()
            if k not in ("name", "run_name", "run_type", "repetitions", "repetition_index",
                         "threads", "iterations", "real_time", "cpu_time", "time_unit",
                         "family_index", "per_family_instance_index", "label")
            and isinstance(v, (int, float)))
        print("%-40s %10.1f ms%s" % (b["name"], ms(b), extra))
