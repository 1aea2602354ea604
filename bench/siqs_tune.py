#!/usr/bin/env python3
# SPDX-License-Identifier: BSD-2-Clause
"""Tries settings of the quadratic sieve on balanced semiprimes of given
sizes and prints the CPU time of each, the least of --runs runs, so that
the table in src/factor/siqs_params.cpp can be chosen by measurement.

    bench/siqs_tune.py --tool build/bench/siqs_run --digits 60 \\
        --grid "fb=5000,8000 M=65536,98304 lp=80,100 dlp=0 th=1.3,1.5"

Without --grid each size runs with the table's own row. The semiprimes
are made with Python's random module from --seed; their factors are
checked by the tool's divisor dividing N.
"""
import argparse
import itertools
import random
import resource
import subprocess
import sys


def is_probable_prime(n):
    if n < 2:
        return False
    for p in (2, 3, 5, 7, 11, 13, 17, 19, 23, 29, 31, 37):
        if n % p == 0:
            return n == p
    d, s = n - 1, 0
    while d % 2 == 0:
        d, s = d // 2, s + 1
    for a in (2, 3, 5, 7, 11, 13, 17, 19, 23, 29, 31, 37):
        x = pow(a, d, n)
        if x in (1, n - 1):
            continue
        for _ in range(s - 1):
            x = x * x % n
            if x == n - 1:
                break
        else:
            return False
    return True


def prime_of_digits(rng, digits):
    while True:
        p = rng.randrange(10 ** (digits - 1), 10 ** digits)
        if is_probable_prime(p):
            return p


def semiprime(rng, digits):
    while True:
        p = prime_of_digits(rng, digits // 2)
        q = prime_of_digits(rng, digits - digits // 2)
        n = p * q
        if len(str(n)) == digits:
            return n


def cpu_seconds(cmd):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    done = subprocess.run(cmd, capture_output=True, text=True)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    used = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return used, done


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--tool", required=True)
    ap.add_argument("--digits", type=int, nargs="+", required=True)
    ap.add_argument("--count", type=int, default=1, help="semiprimes per size")
    ap.add_argument("--runs", type=int, default=1)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--grid", default="", help='e.g. "fb=5000,8000 M=65536 lp=100 dlp=0 th=1.4"')
    args = ap.parse_args()

    keys = ["fb", "M", "lp", "dlp", "th"]
    grid = dict(item.split("=", 1) for item in args.grid.split())
    settings = [None]
    if grid:
        missing = [k for k in keys if k not in grid]
        if missing:
            sys.exit(f"--grid needs {', '.join(missing)}")
        settings = list(itertools.product(*(grid[k].split(",") for k in keys)))

    rng = random.Random(args.seed)
    print("| digits | settings | seconds | polynomials | relations |")
    print("|---|---|---:|---:|---:|")
    for digits in args.digits:
        numbers = [semiprime(rng, digits) for _ in range(args.count)]
        for s in settings:
            total, polys, rels = 0.0, 0, 0
            for n in numbers:
                cmd = [args.tool, str(n), "1"] + (list(s) if s else [])
                best = None
                for _ in range(args.runs):
                    used, done = cpu_seconds(cmd)
                    fields = dict(f.split("=", 1) for f in done.stdout.split())
                    d = int(fields.get("divisor", "0"))
                    if done.returncode != 0 or d <= 1 or n % d != 0:
                        sys.exit(f"{n}: no divisor ({done.stdout.strip()} {done.stderr.strip()})")
                    best = used if best is None else min(best, used)
                total += best
                polys += int(fields["polynomials"])
                rels += int(fields["fulls"]) + int(fields["partials"])
            name = " ".join(f"{k}={v}" for k, v in zip(keys, s)) if s else "table"
            print(f"| {digits} | {name} | {total / len(numbers):.3f} | {polys // len(numbers)} | "
                  f"{rels // len(numbers)} |", flush=True)


if __name__ == "__main__":
    main()
