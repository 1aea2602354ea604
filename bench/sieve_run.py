#!/usr/bin/env python3
# SPDX-License-Identifier: BSD-2-Clause
"""The quadratic sieve's rows of docs/performance.md, whole process.

1. Balanced semiprimes, three of each size from 40 to 90 digits (made with
   PARI/GP from fixed seeds): the median time of brovanten-factor with -j 1
   against the median of PARI/GP's factor() timed inside gp, peak RSS of
   each; a size whose run passes --cap is marked over the cap.
2. One 70-digit semiprime with -j 2 against -j 1.
3. 10,000 random numbers from 2^64 to 2^80 on standard input against
   coreutils factor, outputs checked identical.

Prints the Markdown tables and writes OUT/sieve.dat and OUT/sieve.png (time
against digits, both tools, log scale).
"""
import argparse
import os
import random
import statistics
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(__file__))
from general_run import fmt, gp, run_timed, semiprime, write_stream  # noqa: E402


def pari_time(n, cap):
    """PARI/GP's factor(n) timed inside gp, peak RSS of gp, or None past cap."""
    script = f"default(factor_add_primes, 0); t = getabstime(); f = factor({n}); print((getabstime() - t) / 1000.);\nquit;\n"
    with tempfile.NamedTemporaryFile("w", suffix=".gp", delete=False) as f:
        f.write(script)
        path = f.name
    done = run_timed(["gp", "-q", "-f", "-D", "parisizemax=2G", path], cap=cap)
    os.unlink(path)
    if done is None:
        return None
    return float(done[2].split()[-1]), done[1]


def median_or_none(values):
    values = [v for v in values if v is not None]
    return statistics.median(values) if values else None


def plot(rows, folder):
    data = os.path.join(folder, "sieve.dat")
    with open(data, "w") as f:
        f.write("# digits brovanten-factor PARI/GP (median seconds; -1: over the cap)\n")
        for r in rows:
            ours = r["ours"] if r["ours"] is not None else -1
            pari = r["pari"] if r["pari"] is not None else -1
            f.write(f"{r['digits']} {ours:.4f} {pari:.4f}\n")
    subprocess.run(["gnuplot"], check=True, text=True, input=f"""
set terminal pngcairo size 900,560 noenhanced
set output '{os.path.join(folder, "sieve.png")}'
set title 'Balanced semiprimes: median time of three, one core (lower is faster)'
set xlabel 'digits of N'
set ylabel 'seconds'
set logscale y
set grid
set key top left
plot '{data}' using 1:($2 > 0 ? $2 : 1/0) with linespoints lw 2 pt 7 title 'brovanten-factor (whole process)', \\
     '{data}' using 1:($3 > 0 ? $3 : 1/0) with linespoints lw 2 pt 5 title "PARI/GP factor() (inside gp)"
""")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--tool", required=True)
    ap.add_argument("--out", required=True)
    ap.add_argument("--digits", type=int, nargs="+", default=[40, 50, 60, 70, 80, 90])
    ap.add_argument("--count", type=int, default=3)
    ap.add_argument("--cap", type=float, default=900, help="seconds per run at most")
    ap.add_argument("--pari-up-to", type=int, default=80, help="PARI/GP only up to these digits")
    args = ap.parse_args()

    rows = []
    print("\nBalanced semiprimes, median of three (brovanten-factor -j 1, whole process; "
          "PARI/GP's factor() inside gp):\n")
    print("| digits | brovanten-factor | RSS | PARI/GP | RSS | ratio |")
    print("|---:|---:|---:|---:|---:|---:|")
    for digits in args.digits:
        numbers = [semiprime(digits, 1000 * digits + k) for k in range(args.count)]
        ours = [run_timed([args.tool, "-j", "1", "--seed=1", n], cap=args.cap) for n in numbers]
        for n, r in zip(numbers, ours):
            if r is not None and (":" not in r[2] or "[" in r[2] or len(r[2].split()) != 3):
                raise SystemExit(f"{n}: not split into two primes: {r[2].strip()}")
        pari = [pari_time(n, args.cap) for n in numbers] if digits <= args.pari_up_to else []
        row = {"digits": digits,
               "ours": median_or_none([r[0] if r else None for r in ours]) if all(ours) else None,
               "ours_mb": max((r[1] for r in ours if r), default=None),
               "pari": median_or_none([p[0] if p else None for p in pari]) if pari and all(pari) else None,
               "pari_mb": max((p[1] for p in pari if p), default=None)}
        rows.append(row)
        ratio = f"{row['ours'] / row['pari']:.2f}" if row["ours"] and row["pari"] else "–"
        pari_text = fmt(row["pari"]) if digits <= args.pari_up_to else "not run"
        ours_mb = f"{row['ours_mb']:.0f} MB" if row["ours_mb"] else "–"
        pari_mb = f"{row['pari_mb']:.0f} MB" if row["pari_mb"] else "–"
        print(f"| {digits} | {fmt(row['ours'])} | {ours_mb} | {pari_text} | {pari_mb} | {ratio} |",
              flush=True)

    n70 = semiprime(70, 70000)
    one = run_timed([args.tool, "-j", "1", "--seed=1", n70], cap=args.cap)
    two = run_timed([args.tool, "-j", "2", "--seed=1", n70], cap=args.cap)
    print("\nOne 70-digit semiprime, -j 2 against -j 1 (same output):\n")
    print("| -j 1 | -j 2 | ratio |")
    print("|---:|---:|---:|")
    if one and two:
        if one[2] != two[2]:
            raise SystemExit("-j 1 and -j 2 differ")
        print(f"| {fmt(one[0])} | {fmt(two[0])} | {two[0] / one[0]:.2f} |")

    rng = random.Random(6480)
    folder = tempfile.mkdtemp(prefix="brovanten-sieve-")
    path = write_stream(folder, "stream.txt", [rng.randrange(2**64, 2**80) for _ in range(10000)])
    ours = [run_timed([args.tool], path) for _ in range(3)]
    theirs = [run_timed(["factor"], path) for _ in range(3)]
    if ours[0][2] != theirs[0][2]:
        raise SystemExit("the 2^64 to 2^80 stream: outputs differ from coreutils factor's")
    o, t = statistics.median(r[0] for r in ours), statistics.median(r[0] for r in theirs)
    print("\n10,000 random numbers from 2^64 to 2^80 on standard input (median of 3, "
          "outputs identical):\n")
    print("| brovanten-factor | coreutils factor | ratio |")
    print("|---:|---:|---:|")
    print(f"| {fmt(o)} | {fmt(t)} | {o / t:.2f} |")
    plot(rows, args.out)


if __name__ == "__main__":
    main()
