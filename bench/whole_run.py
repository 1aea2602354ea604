#!/usr/bin/env python3
# SPDX-License-Identifier: BSD-2-Clause
"""Whole-process benchmark of the brovanten binary across sizes of N.

For each size it runs the real binary in a scratch folder on
  - a Carmichael number of Chernick's form (time to the first factor),
  - a prime (ten tests without a factor: the worst case),
  - a composite with no divisor below 100000 that fails the base-3 test
    (a run that ends right after the screening: the screening's cost),
and a missing number.fic (the cost of starting the process). Wall time is
taken around each process, peak memory from /usr/bin/time. Beside the tool
it reads one mpz_powm and the bare matrix-power arithmetic from
matrix_bench, and with --compare it runs PARI/GP's factor and GMP-ECM on
the same Carmichael numbers under a time cap.

Prints Markdown tables on standard output and writes the plot data and a
PNG (gnuplot) into --out.
"""
import argparse
import json
import math
import os
import re
import shutil
import statistics
import subprocess
import tempfile
import time

SIZES = [256, 512, 1024, 2048, 4096, 8192]


def read_numbers(folder, bits):
    with open(os.path.join(folder, f"carmichael-{bits}.txt")) as f:
        carmichael = int(f.readline())
        factors = [int(x) for x in f.readline().split()]
    with open(os.path.join(folder, f"prime-{bits}.txt")) as f:
        prime = int(f.readline())
    assert math.prod(factors) == carmichael
    return carmichael, factors, prime


def screen_only_number(prime):
    """The first odd number above prime with no divisor below 100000 that
    fails the base-3 test: a run on it stops right after the screening."""
    small = math.prod(p for p in range(3, 100000, 2) if all(p % q for q in range(3, int(p**0.5) + 1, 2)))
    c = prime + 2
    while math.gcd(c, small) != 1 or pow(3, c, c) == 3:
        c += 2
    return c


class Runner:
    def __init__(self, tool):
        self.tool = os.path.abspath(tool)
        self.folder = tempfile.mkdtemp(prefix="brovanten-bench-")
        self.last_second = None

    def close(self):
        shutil.rmtree(self.folder, ignore_errors=True)

    def run(self, number, fresh_seed=False, log_folder=False):
        """Runs the tool once; returns (seconds, peak KiB, transcript). With
        log_folder, results.fic is a folder, so the run skips its record."""
        log = os.path.join(self.folder, "results.fic")
        if log_folder and not os.path.isdir(log):
            if os.path.exists(log):
                os.remove(log)
            os.mkdir(log)
        elif not log_folder and os.path.isdir(log):
            os.rmdir(log)
        path = os.path.join(self.folder, "number.fic")
        if number is None:
            if os.path.exists(path):
                os.remove(path)
        else:
            with open(path, "w") as f:
                f.write(f"{number}\n")
        if fresh_seed:
            # The tool seeds itself from the clock in whole seconds: start
            # each run in a new second so that runs draw different matrices.
            while int(time.time()) == self.last_second:
                time.sleep(0.01)
        self.last_second = int(time.time())
        start = time.perf_counter()
        done = subprocess.run(["/usr/bin/time", "-f", "%M", self.tool], cwd=self.folder,
                              stdin=subprocess.DEVNULL, capture_output=True, text=True, check=True)
        seconds = time.perf_counter() - start
        peak_kib = int(done.stderr.strip().splitlines()[-1])
        return seconds, peak_kib, done.stdout


def summary(values):
    return statistics.median(values), min(values), max(values)


def matrix_bench_figures(binary):
    out = subprocess.run([binary, "--benchmark_filter=powm|bare_arithmetic",
                          "--benchmark_repetitions=5", "--benchmark_report_aggregates_only=true",
                          "--benchmark_min_time=0.2", "--benchmark_format=json"],
                         capture_output=True, text=True, check=True).stdout
    figures = {}
    for b in json.loads(out)["benchmarks"]:
        if b.get("aggregate_name") == "median":
            family, bits = b["run_name"].split("/")
            figures[(family, int(bits))] = b["real_time"] / 1000.0  # seconds
    return figures


def timed(command, stdin_text, cap):
    """Runs command with a time cap; returns (seconds, ended in time, stdout)."""
    start = time.perf_counter()
    try:
        done = subprocess.run(command, input=stdin_text, capture_output=True, text=True, timeout=cap)
        return time.perf_counter() - start, True, done.stdout
    except subprocess.TimeoutExpired:
        return time.perf_counter() - start, False, ""


def pari_factor(n, factors, cap):
    # gp ignores the rest of a line that starts with default(): two lines.
    script = f"default(parisizemax, 2^30)\nprint(factor({n})[,1]~)\n"
    seconds, ended, out = timed(["gp", "-q", "-f", "--default", "nbthreads=1"], script, cap)
    return seconds, ended and all(str(p) in out for p in factors), ended


def ecm_factor(n, factors, cap):
    # ecm's exit status encodes what it found; only the output counts here.
    seconds, ended, out = timed(["ecm", "-q", "-one", "-c", "1000000", "1e6"], f"{n}\n", cap)
    found = [int(x) for x in re.findall(r"\d+", out)]
    return seconds, any(1 < x < n and n % x == 0 for x in found), ended


def loglog_slope(points):
    points = [(b, t) for b, t in points if t > 0]
    xs = [math.log(b) for b, _ in points]
    ys = [math.log(t) for _, t in points]
    mx, my = statistics.fmean(xs), statistics.fmean(ys)
    return sum((x - mx) * (y - my) for x, y in zip(xs, ys)) / sum((x - mx) ** 2 for x in xs)


def plot(data, png):
    subprocess.run(["gnuplot"], check=True, text=True, input=f"""
set terminal png size 800,560 noenhanced
set output '{png}'
set logscale xy
set format y '%g'
set xlabel 'bits of N'
set ylabel 'seconds'
set title 'Time per test against the size of N (log-log)'
set key top left
set grid
set xtics (256, 512, 1024, 2048, 4096, 8192)
plot '{data}' using 1:2 with linespoints lw 2 title 'brovanten: one test, M^(N-1) mod N', \\
     '{data}' using 1:4 with linespoints dt 2 title 'bare arithmetic of the matrix power', \\
     '{data}' using 1:3 with linespoints lw 2 title 'one mpz_powm, the floor of any exponentiation'
""")


def fmt_ms(seconds):
    ms = seconds * 1000
    return f"{ms:.0f}" if ms >= 100 else f"{ms:.2f}" if ms < 10 else f"{ms:.1f}"


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--tool", required=True)
    ap.add_argument("--matrix-bench", required=True)
    ap.add_argument("--numbers", required=True)
    ap.add_argument("--out", required=True)
    ap.add_argument("--runs", type=int, default=5)
    ap.add_argument("--compare", action="store_true")
    ap.add_argument("--cap", type=float, default=120.0)
    ap.add_argument("--max-bits", type=int, default=SIZES[-1])
    ap.add_argument("--replot", action="store_true", help="only redraw the PNG from its data")
    args = ap.parse_args()
    if args.replot:
        plot(os.path.join(args.out, "time_per_test.dat"), os.path.join(args.out, "time_per_test.png"))
        return
    sizes = [b for b in SIZES if b <= args.max_bits]

    runner = Runner(args.tool)
    figures = matrix_bench_figures(args.matrix_bench)
    start_cost = statistics.median(runner.run(None)[0] for _ in range(args.runs))
    # The record is appended (opened, locked, written, synced to the disk)
    # at the end of a screened run; its cost is measured apart, on the
    # smallest prime, so that it does not count as test time.
    small_prime = read_numbers(args.numbers, sizes[0])[2]
    with_log = statistics.median(runner.run(small_prime)[0] for _ in range(args.runs * 5))
    without_log = statistics.median(runner.run(small_prime, log_folder=True)[0]
                                    for _ in range(args.runs * 5))
    append_cost = with_log - without_log
    rows = []
    try:
        for bits in sizes:
            carmichael, factors, prime = read_numbers(args.numbers, bits)
            screen_n = screen_only_number(prime)

            # Small sizes: a test is far below the cost of starting the
            # process, so the differences need more runs to settle.
            runs = args.runs * 5 if bits <= 1024 else args.runs
            screen = [runner.run(screen_n) for _ in range(runs)]
            assert all("FAILED" in t for _, _, t in screen)
            primes = [runner.run(prime, log_folder=True) for _ in range(runs)]
            assert all(t.count("* Test") == 10 and "Factors" not in t for _, _, t in primes)
            carm = [runner.run(carmichael, fresh_seed=True) for _ in range(args.runs)]
            for _, _, t in carm:
                found = [int(x) for x in re.findall(r"\n(\d+)  \(\d+ bits\)\n", t)]
                assert found and all(1 < x < carmichael and carmichael % x == 0 for x in found), t

            screen_s = statistics.median(s for s, _, _ in screen)
            prime_s = statistics.median(s for s, _, _ in primes)
            rows.append({
                "bits": bits,
                "screen": screen_s - start_cost,
                "prime": summary([s for s, _, _ in primes]),
                "carmichael": summary([s for s, _, _ in carm]),
                "tests_to_factor": sorted(t.count("* Test") for _, _, t in carm),
                "per_test": (prime_s - screen_s) / 10,
                "peak_kib": max(k for _, k, _ in primes + carm + screen),
                "powm": figures[("powm", bits)],
                "bare": figures[("bare_arithmetic", bits)],
                "carmichael_n": carmichael,
                "factors": factors,
            })
    finally:
        runner.close()

    print(f"Starting the process (missing number.fic): {fmt_ms(start_cost)} ms (median of {args.runs}).")
    print(f"Appending a record (open, lock, one write, fsync): {fmt_ms(append_cost)} ms "
          f"(median of {args.runs * 5} runs on the {sizes[0]}-bit prime with a log, less the "
          f"median without one).\n")
    print("| bits | to first factor, Carmichael (ms) | tests used | ten tests, prime (ms) | "
          "screening (ms) | per test (ms) | ÷ bare arithmetic | mpz_powm (ms) | ÷ powm | peak RSS (KiB) |")
    print("|---:|---:|---|---:|---:|---:|---:|---:|---:|---:|")
    for r in rows:
        cm, clo, chi = r["carmichael"]
        pm, plo, phi = r["prime"]
        print(f"| {r['bits']} | {fmt_ms(cm)} ({fmt_ms(clo)}–{fmt_ms(chi)}) | "
              f"{','.join(map(str, r['tests_to_factor']))} | "
              f"{fmt_ms(pm)} ({fmt_ms(plo)}–{fmt_ms(phi)}) | {fmt_ms(r['screen'])} | "
              f"{fmt_ms(r['per_test'])} | {r['per_test'] / r['bare']:.3f} | {fmt_ms(r['powm'])} | "
              f"{r['per_test'] / r['powm']:.1f} | {r['peak_kib']} |")

    big = [r for r in rows if r["bits"] >= 1024]
    big = big if len(big) >= 2 else rows
    print()
    print(f"Log-log slope of time per test against bits, 1024 to 8192 bits: "
          f"{loglog_slope([(r['bits'], r['per_test']) for r in big]):.2f} "
          f"(mpz_powm: {loglog_slope([(r['bits'], r['powm']) for r in big]):.2f}); "
          f"over all sizes: {loglog_slope([(r['bits'], r['per_test']) for r in rows]):.2f}.")

    os.makedirs(args.out, exist_ok=True)
    data = os.path.join(args.out, "time_per_test.dat")
    with open(data, "w") as f:
        f.write("# bits  brovanten_test_s  mpz_powm_s  bare_arithmetic_s\n")
        for r in rows:
            f.write(f"{r['bits']} {r['per_test']:.6g} {r['powm']:.6g} {r['bare']:.6g}\n")
    plot(data, os.path.join(args.out, "time_per_test.png"))

    if args.compare:
        print()
        print(f"Factoring the same Carmichael numbers (cap {args.cap:.0f} s each; "
              "a size is not tried once a smaller one hit the cap):\n")
        print("| bits | brovanten, first factor | PARI/GP factor | GMP-ECM -one, B1 = 1e6 |")
        print("|---:|---:|---:|---:|")
        capped = {"pari": None, "ecm": None}
        for r in rows:
            cells = []
            for name, method in (("pari", pari_factor), ("ecm", ecm_factor)):
                if capped[name] is not None:
                    cells.append(f"not run (over {args.cap:.0f} s at {capped[name]} bits)")
                    continue
                seconds, ok, ended = method(r["carmichael_n"], r["factors"], args.cap)
                if ok:
                    cells.append(f"{seconds:.2f} s")
                elif ended:
                    cells.append(f"ended without a factor after {seconds:.2f} s")
                else:
                    cells.append(f"no factor in {args.cap:.0f} s")
                    capped[name] = r["bits"]
            print(f"| {r['bits']} | {r['carmichael'][0]:.3f} s | {cells[0]} | {cells[1]} |")


if __name__ == "__main__":
    main()
