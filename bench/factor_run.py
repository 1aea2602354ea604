#!/usr/bin/env python3
# SPDX-License-Identifier: BSD-2-Clause
"""Whole-process benchmark of brovanten-factor beside its yardstick and
PARI/GP, on the Chernick numbers of bench/numbers and the published examples.

For each number: brovanten-factor and bench/spsp_refine (the strong-test
method alone) each run --runs times with the seeds 1, 2, ... (wall time of
the process, median and range; peak resident set size from /usr/bin/time),
and PARI/GP's factor once under a time cap (a size is not tried once a
smaller one hit the cap). Every output is checked against the known
factors. Prints a Markdown table and writes the plot data and a PNG into
--out.
"""
import argparse
import os
import statistics
import subprocess
import time

SIZES = [256, 512, 1024, 2048, 4096, 8192]


def chernick(folder):
    rows = []
    for bits in SIZES:
        with open(os.path.join(folder, f"carmichael-{bits}.txt")) as f:
            n = f.readline().strip()
            primes = f.readline().split()
        rows.append((f"Chernick {bits}", bits, n, primes))
    return rows


def published(path):
    rows = []
    with open(path) as f:
        for line in f:
            if line.startswith("#") or line.startswith("n\t") or not line.strip():
                continue
            n, bits, kind, primes = line.rstrip("\n").split("\t")[:4]
            rows.append((f"published: {kind}", int(bits), n, primes.split()))
    return rows


def expected_line(n, primes):
    return f"{n}: {' '.join(sorted(primes, key=int))}"


def timed(command, cap=None):
    """(seconds, peak KiB, stdout) of one run, or None past the cap."""
    start = time.perf_counter()
    try:
        done = subprocess.run(["/usr/bin/time", "-f", "%M"] + command, capture_output=True,
                              text=True, timeout=cap)
    except subprocess.TimeoutExpired:
        return None
    seconds = time.perf_counter() - start
    peak = int(done.stderr.strip().splitlines()[-1])
    return seconds, peak, done.stdout


def runs_of(command_for_seed, n, primes, runs):
    results = []
    for seed in range(1, runs + 1):
        seconds, peak, out = timed(command_for_seed(seed) + [n])
        assert out.strip() == expected_line(n, primes), out[:300]
        results.append((seconds, peak))
    times = [s for s, _ in results]
    return statistics.median(times), min(times), max(times), max(p for _, p in results)


def pari(n, primes, cap):
    script = f"default(parisizemax, 2^30)\nprint(factor({n})[,1]~)\n"
    start = time.perf_counter()
    try:
        done = subprocess.run(["gp", "-q", "-f", "--default", "nbthreads=1"], input=script,
                              capture_output=True, text=True, timeout=cap)
    except subprocess.TimeoutExpired:
        return None
    assert all(p in done.stdout for p in primes), done.stdout[:300]
    return time.perf_counter() - start


def fmt(seconds):
    ms = seconds * 1000
    return f"{ms:.0f}" if ms >= 100 else f"{ms:.1f}" if ms >= 10 else f"{ms:.2f}"


def plot(data, png, with_pari):
    pari_line = (f", \\\n     '{data}' using 1:4 with linespoints lw 2 title 'PARI/GP factor'"
                 if with_pari else "")
    subprocess.run(["gnuplot"], check=True, text=True, input=f"""
set terminal png size 800,560 noenhanced
set output '{png}'
set logscale xy
set format y '%g'
set xlabel 'bits of N (Chernick numbers)'
set ylabel 'seconds, whole process'
set title 'Complete factorisation against the size of N (log-log)'
set key top left
set grid
set xtics (256, 512, 1024, 2048, 4096, 8192)
plot '{data}' using 1:2 with linespoints lw 2 title 'brovanten-factor', \\
     '{data}' using 1:3 with linespoints dt 2 title 'strong-test refinement (bench/spsp_refine)'{pari_line}
""")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--tool", required=True)
    ap.add_argument("--baseline", required=True)
    ap.add_argument("--numbers", required=True)
    ap.add_argument("--examples", required=True)
    ap.add_argument("--out", required=True)
    ap.add_argument("--runs", type=int, default=7)
    ap.add_argument("--cap", type=float, default=60.0)
    args = ap.parse_args()

    rows = chernick(args.numbers) + published(args.examples)
    print(f"Median (range) of {args.runs} runs with the seeds 1 to {args.runs}, wall time of the "
          f"whole process in ms; PARI/GP once, capped at {args.cap:.0f} s.\n")
    print("| number | bits | brovanten-factor (ms) | strong-test refinement (ms) | ratio | "
          "PARI/GP factor | peak RSS (KiB), tool / refinement |")
    print("|---|---:|---:|---:|---:|---:|---:|")
    pari_capped = None
    plot_rows = []
    for name, bits, n, primes in rows:
        tool = runs_of(lambda s: [args.tool, "--seed", str(s)], n, primes, args.runs)
        base = runs_of(lambda s: [args.baseline, "--seed", str(s)], n, primes, args.runs)
        if name.startswith("Chernick") and pari_capped is not None:
            gp = f"not run (over {args.cap:.0f} s at {pari_capped} bits)"
            gp_seconds = None
        else:
            gp_seconds = pari(n, primes, args.cap)
            gp = f"{gp_seconds:.2f} s" if gp_seconds is not None else f"over {args.cap:.0f} s"
            if gp_seconds is None and name.startswith("Chernick"):
                pari_capped = bits
        print(f"| {name} | {bits} | {fmt(tool[0])} ({fmt(tool[1])}–{fmt(tool[2])}) | "
              f"{fmt(base[0])} ({fmt(base[1])}–{fmt(base[2])}) | {tool[0] / base[0]:.2f} | {gp} | "
              f"{tool[3]} / {base[3]} |", flush=True)
        if name.startswith("Chernick"):
            plot_rows.append((bits, tool[0], base[0], gp_seconds))

    os.makedirs(args.out, exist_ok=True)
    data = os.path.join(args.out, "factor_time.dat")
    with open(data, "w") as f:
        f.write("# bits  brovanten_factor_s  spsp_refine_s  pari_factor_s (? = over the cap)\n")
        for bits, tool, base, gp in plot_rows:
            f.write(f"{bits} {tool:.6g} {base:.6g} {gp if gp is not None else '?'}\n")
    plot(data, os.path.join(args.out, "factor_time.png"),
         any(gp is not None for _, _, _, gp in plot_rows))


if __name__ == "__main__":
    main()
