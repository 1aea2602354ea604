#!/usr/bin/env python3
# SPDX-License-Identifier: BSD-2-Clause
"""brovanten-factor -j on a batch: the same stream of Chernick numbers
factored with 1, 2, ... workers, whole process, wall time; then -j on one
large number at a time.

The batch is COUNT Carmichael numbers of BITS bits made by
bench/make_numbers with the seeds 1 to COUNT, kept in --cache so that a
second run does not make them again. Each thread count runs --runs times
(median); every output is checked to be identical to that of -j 1. Prints a
Markdown table of times and speed-ups and writes docs/threads.dat and
docs/threads.png.

The large numbers are Carmichael numbers of many primes made by
bench/make_erdos (--large-bits, seeds 1 to --large-count): one number per
run, whose helpers run its checks and tests (see src/factor/test_pool.h).
"""
import argparse
import concurrent.futures
import os
import statistics
import subprocess
import time


def make_batch(make_numbers, bits, count, cache):
    path = os.path.join(cache, f"chernick-{bits}x{count}.txt")
    if os.path.exists(path):
        with open(path) as f:
            return path, f.read()

    def one(seed):
        done = subprocess.run([make_numbers, "carmichael", str(bits), str(seed)],
                              capture_output=True, text=True, check=True)
        return done.stdout.split("\n")[0]

    with concurrent.futures.ThreadPoolExecutor(os.cpu_count() or 2) as pool:
        numbers = list(pool.map(one, range(1, count + 1)))
    text = "\n".join(numbers) + "\n"
    os.makedirs(cache, exist_ok=True)
    with open(path, "w") as f:
        f.write(text)
    return path, text


def timed(tool, threads, batch):
    start = time.perf_counter()
    done = subprocess.run([tool, "--seed=1", f"-j{threads}"], input=batch, capture_output=True,
                          text=True, check=True)
    return time.perf_counter() - start, done.stdout


def median_times(tool, counts, batch, runs, what):
    """Median wall time per thread count; every output must be the same."""
    reference = None
    rows = []
    for threads in counts:
        times = []
        for _ in range(runs):
            seconds, out = timed(tool, threads, batch)
            if reference is None:
                reference = out
            if out != reference:
                raise SystemExit(f"{what}: -j{threads} printed other lines than -j{counts[0]}")
            times.append(seconds)
        rows.append((threads, statistics.median(times)))
    return rows


def large_numbers(tool, make_erdos, bits_list, count, counts, runs):
    """One large number at a time: rows of (bits, seed, [(threads, s)])."""
    rows = []
    for bits in bits_list:
        for seed in range(1, count + 1):
            made = subprocess.run([make_erdos, str(bits), str(seed)], capture_output=True,
                                  text=True, check=True).stdout.split("\n")
            number, primes = made[0], len(made[1].split())
            times = median_times(tool, counts, number + "\n", runs, f"{bits} bits, seed {seed}")
            rows.append((bits, seed, primes, times))
    return rows


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--tool", required=True)
    ap.add_argument("--make-numbers", required=True)
    ap.add_argument("--bits", type=int, default=512)
    ap.add_argument("--count", type=int, default=1000)
    ap.add_argument("--threads", default="1,2,3,4")
    ap.add_argument("--runs", type=int, default=3)
    ap.add_argument("--cache", default="build/bench")
    ap.add_argument("--out", default="docs")
    ap.add_argument("--make-erdos")
    ap.add_argument("--large-bits", default="16384,32768")
    ap.add_argument("--large-count", type=int, default=3)
    args = ap.parse_args()

    _, batch = make_batch(args.make_numbers, args.bits, args.count, args.cache)
    counts = [int(t) for t in args.threads.split(",")]
    rows = median_times(args.tool, counts, batch, args.runs, "batch")
    base = rows[0][1]
    print(f"Batch of {args.count} Chernick numbers of {args.bits} bits, median of {args.runs}, "
          f"{os.cpu_count()} cores")
    print()
    print("| threads | time (s) | speed-up | time ÷ time with -j 1 |")
    print("|---:|---:|---:|---:|")
    for threads, seconds in rows:
        print(f"| {threads} | {seconds:.2f} | {base / seconds:.2f} | {seconds / base:.2f} |")

    large = []
    if args.make_erdos:
        bits_list = [int(b) for b in args.large_bits.split(",")]
        large = large_numbers(args.tool, args.make_erdos, bits_list, args.large_count, counts,
                              args.runs)
        print()
        print(f"One Carmichael number of many primes at a time, median of {args.runs}")
        print()
        head = " | ".join(f"-j {t} (s)" for t in counts)
        print(f"| bits | seed | primes | {head} | -j 2 ÷ -j 1 |")
        print("|---:|---:|---:|" + "---:|" * len(counts) + "---:|")
        for bits, seed, primes, times in large:
            cells = " | ".join(f"{s:.2f}" for _, s in times)
            ratio = times[1][1] / times[0][1] if len(times) > 1 else 1.0
            print(f"| {bits} | {seed} | {primes} | {cells} | {ratio:.2f} |")
        with open(os.path.join(args.out, "threads-large.dat"), "w") as f:
            f.write("# threads speedup, mean over the numbers of the largest size\n")
            top = max(bits_list)
            for k, threads in enumerate(counts):
                ups = [t[0][1] / t[k][1] for b, _, _, t in large if b == top]
                f.write(f"{threads} {statistics.mean(ups):.4f}\n")

    with open(os.path.join(args.out, "threads.dat"), "w") as f:
        f.write("# threads seconds speedup\n")
        for threads, seconds in rows:
            f.write(f"{threads} {seconds:.4f} {base / seconds:.4f}\n")
    large_plot = ""
    if large:
        large_plot = (f"'{os.path.join(args.out, 'threads-large.dat')}' using 1:2 with linespoints "
                      f"title 'one number of {max(b for b, _, _, _ in large)} bits', ")
    subprocess.run(["gnuplot"], check=True, text=True, input=f"""
set terminal pngcairo size 640,420
set output '{os.path.join(args.out, "threads.png")}'
set title 'brovanten-factor -j on {args.count} Chernick numbers of {args.bits} bits'
set xlabel 'threads (-j)'
set ylabel 'speed-up over -j 1'
set key top left
set xtics 1
set yrange [0:*]
plot '{os.path.join(args.out, "threads.dat")}' using 1:3 with linespoints title 'batch of {args.count}', \
     {large_plot} x title 'linear' dashtype 2
""")


if __name__ == "__main__":
    main()
