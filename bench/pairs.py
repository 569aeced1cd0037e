#!/usr/bin/env python3
"""Runs two benchmarks of one Google Benchmark program in turn, RUNS times each, and prints
one counter of each (min and median over the runs) and the ratio of the second to the first
(of the medians, and the min and median of the ratios run by run).

usage: pairs.py PROGRAM RUNS COUNTER REFERENCE_FILTER OURS_FILTER
e.g.   pairs.py build/release/bin/mix_bench 5 x_realtime_cpu \\
           'BM_SoxCliChain/1060$' 'BM_DeckFullChain/1060/15/1/'
"""
import json
import statistics
import subprocess
import sys


def run(program, flt, counter):
    out = subprocess.run([program, "--benchmark_filter=" + flt, "--benchmark_format=json"],
                         check=True, capture_output=True, text=True).stdout
    rows = [b for b in json.loads(out)["benchmarks"] if counter in b]
    if len(rows) != 1:
        sys.exit(f"{flt}: {len(rows)} benchmarks with {counter}")
    return float(rows[0][counter])


def main():
    program, runs, counter, ref, ours = sys.argv[1], int(sys.argv[2]), *sys.argv[3:6]
    refs, mine = [], []
    for _ in range(runs):
        refs.append(run(program, ref, counter))
        mine.append(run(program, ours, counter))
    ratios = [m / r for r, m in zip(refs, mine)]
    for name, v in ((ref, refs), (ours, mine)):
        print(f"{name}: {counter} " + " ".join(f"{x:.1f}" for x in v) +
              f"  min {min(v):.1f} median {statistics.median(v):.1f}")
    print(f"ours / reference: of the medians {statistics.median(mine) / statistics.median(refs):.2f},"
          f" run by run min {min(ratios):.2f} median {statistics.median(ratios):.2f}")


if __name__ == "__main__":
    main()
