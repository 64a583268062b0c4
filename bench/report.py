#!/usr/bin/env python3
"""One table of the benchmark figures against their goals, from the results that scripts/bench
leaves in a folder: list_update.json, parser.json, program.json (Google Benchmark JSON) and
parser_re.txt (bench/parser_re.py). Exits 1 when a goal is missed."""

import json
import math
import pathlib
import statistics
import sys


def load(folder, name):
    """The runs of a result file; a program that runs its benchmarks in several rounds writes one
    JSON document a round."""
    path = folder / name
    merged = {"benchmarks": []}
    text = path.read_text() if path.exists() else ""
    decoder = json.JSONDecoder()
    at = 0
    while text[at:].strip():
        document, end = decoder.raw_decode(text, len(text) - len(text[at:].lstrip()))
        merged["benchmarks"] += document.get("benchmarks", [])
        at = end
    return merged


def runs(results, name):
    """The repetitions (not the aggregates) of one benchmark."""
    return [b for b in results["benchmarks"]
            if b.get("run_name", b["name"]) == name and b.get("run_type") != "aggregate"
            and not b.get("error_occurred")]


def median(results, name, field):
    values = [b[field] for b in runs(results, name) if field in b]
    return statistics.median(values) if values else math.nan


def worst(results, name, field):
    values = [b[field] for b in runs(results, name) if field in b]
    return max(values) if values else math.nan


def figures(path):
    values = {}
    if path.exists():
        for line in path.read_text().splitlines():
            name, _, value = line.partition(" ")
            values[name] = float(value)
    return values


def main():
    folder = pathlib.Path(sys.argv[1])
    lists = load(folder, "list_update.json")
    parser = load(folder, "parser.json")
    program = load(folder, "program.json")
    startup_x11 = load(folder, "startup_x11.json")
    python = figures(folder / "parser_re.txt")

    # list_update_bench: real time per row, in ns.
    row_ms = median(lists, "Worker_WriteRows/real_time", "real_time") / 1e6
    # Both sides in processor time: Google Benchmark's bytes_per_second is per CPU second.
    parse_ratio = (median(parser, "BM_ParseToCountingSurface/2000", "bytes_per_second") / 1e6
                   / python.get("parse_mb_per_s", math.nan))
    match_ratio = (median(parser, "BM_MatchOnly/2000", "bytes_per_second") / 1e6
                   / python.get("match_mb_per_s", math.nan))
    full = "BM_FullRun/iterations:1/repeats:3/manual_time"

    def walk(kind, latency, field):
        return median(program, f"BM_{kind}/{latency}/iterations:1/repeats:5/manual_time", field)

    startup = "BM_StartUp/iterations:1/repeats:5/manual_time"
    photos = median(program, full, "photos_per_s")
    curl = median(program, full, "curl_photos_per_s")
    rows = [
        # (figure, goal text, measured text, met: True/False/None)
        ("walk 50 ms, window: run / service time", "<= 1.05",
         f"{walk('WindowWalk', 50, 'ratio'):.3f}", walk("WindowWalk", 50, "ratio") <= 1.05),
        ("walk 50 ms, window: run / curl's walk", "(compare)",
         f"{walk('WindowWalk', 50, 'ratio_to_curl'):.3f}", None),
        ("  click to first row / last row to message", "(report)",
         f"{walk('WindowWalk', 50, 'first_row_ms'):.0f} ms / {walk('WindowWalk', 50, 'message_ms'):.0f} ms",
         None),
        ("walk 50 ms, CLI: run / service time", "(compare)",
         f"{walk('CliWalk', 50, 'ratio'):.3f}", None),
        ("walk 0 ms, window: 55 pages", "< 1.5 s",
         f"{walk('WindowWalk', 0, 'real_time') / 1000:.2f} s",
         walk("WindowWalk", 0, "real_time") < 1500),
        ("walk 0 ms, CLI: 55 pages", "(compare)",
         f"{walk('CliWalk', 0, 'real_time') / 1000:.2f} s", None),
        ("list update from the worker, per row", "< 0.2 ms", f"{row_ms:.3f} ms", row_ms < 0.2),
        ("UI thread's longest gap, run with download", "< 50 ms",
         f"{max(worst(program, full, 'walk_max_gap_ms'), worst(program, full, 'download_max_gap_ms')):.1f} ms",
         max(worst(program, full, "walk_max_gap_ms"),
             worst(program, full, "download_max_gap_ms")) < 50),
        ("photos 30 KB, 0 ms: program / curl rate", "(compare)",
         f"{photos / curl:.2f} ({photos:.0f}/s vs {curl:.0f}/s)", None),
        ("  time per photo beyond curl's", "(report)",
         f"{median(program, full, 'beyond_curl_ms_per_photo'):.2f} ms", None),
        ("parser vs Python re, 2,000 entries", ">= 10x", f"{parse_ratio:.1f}x", parse_ratio >= 10),
        ("  match alone vs Python re", "(report)", f"{match_ratio:.1f}x", None),
        ("start-up to window exposed, offscreen", "<= 300 ms",
         f"{median(program, startup, 'exposed_ms'):.0f} ms",
         median(program, startup, "exposed_ms") <= 300),
    ]
    if startup_x11["benchmarks"]:
        rows.append(("start-up to window exposed, Xvfb", "<= 300 ms",
                     f"{median(startup_x11, startup, 'exposed_ms'):.0f} ms",
                     median(startup_x11, startup, "exposed_ms") <= 300))
    rows += [
        ("peak RSS, 1,100 rows and photos", "<= 150 MB",
         f"{worst(program, full, 'max_rss_mb'):.0f} MB", worst(program, full, "max_rss_mb") <= 150),
    ]
    width = max(len(r[0]) for r in rows)
    print(f"{'figure':<{width}}  {'goal':<10}  {'measured':<28}  met")
    missed = 0
    for name, goal, measured, met in rows:
        mark = "-" if met is None else ("yes" if met else "NO")
        missed += 1 if met is False else 0
        print(f"{name:<{width}}  {goal:<10}  {measured:<28}  {mark}")
    return 1 if missed else 0


if __name__ == "__main__":
    sys.exit(main())
