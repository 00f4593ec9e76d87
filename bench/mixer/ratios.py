#!/usr/bin/env python3
"""Reads mixer_bench or ass_bench --benchmark_format=json on stdin and prints,
per format and scenario, the mixer element's time per frame as a ratio of the
GStreamer peer's in the same run (textoverlay or assrender; medians when the
run has repetitions)."""
import json
import sys

times = {}
for b in json.load(sys.stdin)["benchmarks"]:
    # With --benchmark_repetitions only the medians count.
    if b.get("run_type") == "aggregate" and b.get("aggregate_name") != "median":
        continue
    kind, fmt, scenario = b.get("run_name", b["name"]).split("/")[:3]
    if b.get("run_type") == "aggregate" or (kind, fmt, scenario) not in times:
        times[(kind, fmt, scenario)] = b["real_time"]

peer_kind = next((k for k, _, _ in times if k not in ("Core", "Element")), "TextOverlay")
print(f"{'format':6} {'scenario':13} {'core us':>9} {'element us':>11} {peer_kind.lower() + ' us':>15} {'ratio':>7}")
for (kind, fmt, scenario), t in sorted(times.items()):
    if kind != "Element":
        continue
    core = times.get(("Core", fmt, scenario), float("nan"))
    peer = times.get((peer_kind, fmt, scenario), float("nan"))
    print(f"{fmt:6} {scenario:13} {core:9.2f} {t:11.2f} {peer:15.2f} {t / peer:7.3f}")
