#!/usr/bin/env python3
# SPDX-License-Identifier: BSD-2-Clause
"""brovanten-factor beside coreutils factor and PARI/GP, whole process.

1. Streams on standard input, against coreutils factor: random numbers
   below 2^64, Chernick Carmichael numbers below 2^64, base-2 Fermat
   pseudoprimes below 2^64 that are not Carmichael numbers (made with
   PARI/GP), and random numbers between 2^64 and 2^127. Median wall time of
   --runs runs, peak RSS, outputs checked identical.
2. Ordinary composites against PARI/GP's factor(): balanced semiprimes of
   40 to 70 digits, and 100- to 200-digit numbers with a 20- to 30-digit
   prime factor (made with PARI/GP from a fixed seed), one run each.
3. Pseudoprimes of other kinds against PARI/GP: the Fermat pseudoprimes to
   bases 2 and 3 and the Lucas-Carmichael numbers of tests/factor, time per
   number.

Prints Markdown tables and writes OUT/general.dat and OUT/general.png
(time against PARI/GP or coreutils, per row).
"""
import argparse
import os
import random
import signal
import statistics
import subprocess
import tempfile


def run_timed(command, stdin_path=None, cap=None):
    """(seconds, peak RSS in MB, stdout) of one whole-process run, or None
    past cap seconds."""
    with tempfile.NamedTemporaryFile("w+") as report:
        stdin = open(stdin_path) if stdin_path else subprocess.DEVNULL
        # In a session of its own, so that a run past the cap is killed
        # with the command under /usr/bin/time, not only time itself.
        process = subprocess.Popen(["/usr/bin/time", "-o", report.name, "-f", "%e %M"] + command,
                                   stdin=stdin, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                   text=True, start_new_session=True)
        try:
            out, _ = process.communicate(timeout=cap)
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGKILL)
            process.communicate()
            return None
        finally:
            if stdin_path:
                stdin.close()
        seconds, kilobytes = open(report.name).read().split()[-2:]
        return float(seconds), int(kilobytes) / 1024, out


def gp(script, cap=None):
    try:
        done = subprocess.run(["gp", "-q", "-f", "-D", "parisizemax=2G"], input=script,
                              capture_output=True, text=True, timeout=cap, check=True)
    except subprocess.TimeoutExpired:
        return None
    return done.stdout


def write_stream(folder, name, numbers):
    path = os.path.join(folder, name)
    with open(path, "w") as f:
        f.write("\n".join(str(n) for n in numbers) + "\n")
    return path


def chernick_below_2_64():
    """(6k + 1)(12k + 1)(18k + 1) with all three prime, below 2^64."""
    out = gp("""
{
  for (k = 1, 250000,
    my(n = (6*k + 1) * (12*k + 1) * (18*k + 1));
    if (n >= 2^64, break);
    if (isprime(6*k + 1) && isprime(12*k + 1) && isprime(18*k + 1), print(n)));
}
""")
    return [int(x) for x in out.split()]


def base2_pseudoprimes_below_2_64(count, seed):
    """p * q with q = k(p - 1) + 1 prime and 2^(n-1) = 1 mod n: base-2
    Fermat pseudoprimes of two primes. Here n - 1 = (p - 1)(kp + 1), and
    q - 1 divides it only for k = 1, so with k > 1 none is a Carmichael
    number."""
    out = gp(f"""
{{
  setrand({seed}); my(found = 0);
  while (found < {count},
    my(p = nextprime(2^16 + random(2^28)), k = 2 + random(30), q = k * (p - 1) + 1, n = p * q);
    if (n < 2^64 && isprime(q) && Mod(2, n)^(n - 1) == 1,
      print(n); found++));
}}
""")
    return [int(x) for x in out.split()]


def stream_row(name, path, tool, runs, cap=None):
    """Median of runs for both tools. With a cap, coreutils factor runs
    once and may be cut off: its column then says how far it got."""
    ours = [run_timed([tool], path) for _ in range(runs)]
    row = {"name": name, "ours": statistics.median(r[0] for r in ours),
           "ours_mb": max(r[1] for r in ours), "theirs": None, "theirs_mb": None}
    if cap is not None:
        theirs = run_timed(["factor"], path, cap=cap)
        if theirs is None:
            row["cut_off"] = cap
            return row
        theirs = [theirs]
    else:
        theirs = [run_timed(["factor"], path) for _ in range(runs)]
    if ours[0][2] != theirs[0][2]:
        raise SystemExit(f"{name}: the outputs differ from coreutils factor's")
    row["theirs"] = statistics.median(r[0] for r in theirs)
    row["theirs_mb"] = max(r[1] for r in theirs)
    return row


def pari_row(name, numbers, tool, options, cap):
    """Whole-process time of the tool on the numbers (as arguments) and of
    PARI/GP's factor() on each, timed inside gp."""
    ours = run_timed([tool] + options + [str(n) for n in numbers], cap=cap)
    script = "default(factor_add_primes, 0);\n" + "".join(
        f"t = getabstime(); f = factor({n}); s += getabstime() - t;\n" for n in numbers)
    with tempfile.NamedTemporaryFile("w", suffix=".gp", delete=False) as f:
        f.write("s = 0;\n" + script + "print(s / 1000.);\nquit;\n")
        gp_script = f.name
    pari = run_timed(["gp", "-q", "-f", "-D", "parisizemax=2G", gp_script], cap=cap)
    os.unlink(gp_script)
    row = {"name": name, "ours": None, "ours_mb": None, "complete": False, "theirs": None,
           "theirs_mb": None}
    if ours is not None:
        row["ours"], row["ours_mb"] = ours[0], ours[1]
        row["complete"] = "[" not in ours[2]
    if pari is not None:
        row["theirs"], row["theirs_mb"] = float(pari[2].split()[-1]), pari[1]
    return row


def fmt(seconds):
    if seconds is None:
        return "over the cap"
    return f"{seconds:.3f} s" if seconds < 10 else f"{seconds:.1f} s"


def ratio(row):
    if row.get("cut_off") and row["ours"] is not None:
        return f"below {row['ours'] / row['cut_off']:.2f}"
    if row["ours"] is None or not row["theirs"]:
        return "–"
    return f"{row['ours'] / row['theirs']:.2f}"


def print_table(title, rows, other, per=None):
    print(f"\n{title}\n")
    print(f"| input | brovanten-factor | RSS | {other} | RSS | ratio |")
    print("|---|---:|---:|---:|---:|---:|")
    for r in rows:
        note = "" if r.get("complete", True) else " (brackets left)"
        ours_mb = f"{r['ours_mb']:.0f} MB" if r["ours_mb"] else "–"
        theirs_mb = f"{r['theirs_mb']:.0f} MB" if r["theirs_mb"] else "–"
        theirs = f"over {r['cut_off']:.0f} s" if r.get("cut_off") else fmt(r["theirs"])
        print(f"| {r['name']} | {fmt(r['ours'])}{note} | {ours_mb} | {theirs} | "
              f"{theirs_mb} | {ratio(r)} |")


def semiprime(digits, rng_seed):
    # Both primes between the square roots of 10^(digits - 1) and 10^digits,
    # drawn again until the product has exactly the digits asked for.
    return gp(f"setrand({rng_seed}); lo = sqrtint(10^{digits - 1}) + 1; hi = sqrtint(10^{digits});"
              f" until (#Str(p * q) == {digits}, p = nextprime(lo + random(hi - lo));"
              f" q = nextprime(lo + random(hi - lo))); print(p * q)").strip()


def with_factor(digits, factor_digits, rng_seed):
    rest = digits - factor_digits
    return gp(f"setrand({rng_seed}); p = nextprime(10^{factor_digits - 1} + random(9 * 10^{factor_digits - 1}));"
              f" q = nextprime(10^{rest - 1} + random(9 * 10^{rest - 1})); print(p * q)").strip()


def plot(rows, folder):
    data = os.path.join(folder, "general.dat")
    with open(data, "w") as f:
        f.write("# row ratio (brovanten-factor / other tool) label\n")
        for i, r in enumerate(rows):
            if r["ours"] is not None and r["theirs"]:
                label = r["name"].replace('"', "'")
                f.write(f'{i} {r["ours"] / r["theirs"]:.4f} "{label}"\n')
    subprocess.run(["gnuplot"], check=True, text=True, input=f"""
set terminal pngcairo size 1100,640 noenhanced
set output '{os.path.join(folder, "general.png")}'
set title 'brovanten-factor time / coreutils factor or PARI/GP time (below 1: faster)'
set logscale y
set yrange [0.01:100]
set style fill solid 0.6
set boxwidth 0.7
set xtics rotate by 35 right font ',8'
set grid ytics
set bmargin 14
set lmargin 24
unset key
plot '{data}' using 1:2:xtic(3) with boxes lc rgb '#3060a0', 1 with lines lc rgb 'black'
""")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--tool", required=True)
    ap.add_argument("--out", required=True)
    ap.add_argument("--runs", type=int, default=3)
    ap.add_argument("--cap", type=float, default=600, help="seconds per row at most")
    ap.add_argument("--quick", action="store_true", help="the streams only")
    ap.add_argument("--no-streams", action="store_true", help="the composites and other kinds only")
    args = ap.parse_args()

    rng = random.Random(20261210)
    folder = tempfile.mkdtemp(prefix="brovanten-general-")
    streams = [
        ("100,000 random numbers below 2^64",
         [rng.randrange(2, 2**64) for _ in range(100000)]),
        ("Chernick Carmichael numbers below 2^64", chernick_below_2_64()),
        ("10,000 base-2 Fermat pseudoprimes below 2^64, not Carmichael",
         base2_pseudoprimes_below_2_64(10000, 7)),
        ("2,000 random numbers from 2^64 to 2^96",
         [rng.randrange(2**64, 2**96) for _ in range(2000)]),
        # A few in a hundred of these hold two primes of 50 to 60 bits,
        # on which coreutils factor spends minutes: it runs once, capped.
        ("1,000 random numbers from 2^96 to 2^127",
         [rng.randrange(2**96, 2**127) for _ in range(1000)]),
    ]
    rows = []
    for name, numbers in ([] if args.no_streams else streams):
        if "Chernick" in name:
            name = f"{len(numbers):,} {name}"
        path = write_stream(folder, f"stream{len(rows)}.txt", numbers)
        cap = 120 if "2^127" in name else None
        rows.append(stream_row(name, path, args.tool, args.runs, cap))
    if rows:
        print_table("Streams on standard input, against coreutils factor (median of "
                    f"{args.runs}, outputs identical):", rows, "coreutils factor")
    if args.quick:
        return

    general = []
    for digits in (40, 50, 60, 70):
        general.append(pari_row(f"semiprime, two {digits // 2}-digit primes",
                                [semiprime(digits, digits)], args.tool, ["--seed=1"], args.cap))
    for digits, small in ((100, 20), (150, 25), (200, 30)):
        n = with_factor(digits, small, digits)
        general.append(pari_row(f"{digits} digits with a {small}-digit prime factor", [n],
                                args.tool, ["--seed=1"], args.cap))
        if small > 25:
            general.append(pari_row(f"{digits} digits with a {small}-digit prime factor, --effort=35",
                                    [n], args.tool, ["--seed=1", "--effort=35"], args.cap))
    print_table("Ordinary composites, against PARI/GP's factor() (one run; PARI's time "
                "inside gp):", general, "PARI/GP")

    kinds = []
    fermat = [l.split()[0] for l in open(os.path.join(os.path.dirname(__file__), "numbers",
                                                      "other-kinds.txt")) if l.strip()]
    kinds.append(pari_row(f"{len(fermat)} Fermat pseudoprimes to bases 2 and 3 and "
                          "Lucas-Carmichael numbers, 65 to 385 bits",
                          fermat, args.tool, ["--seed=1"], args.cap))
    print_table("Pseudoprimes of other kinds, against PARI/GP (all of them in one run):",
                kinds, "PARI/GP")
    for r in kinds:
        if r["ours"] is not None and r["theirs"] is not None:
            print(f"\nPer number: brovanten-factor {1000 * r['ours'] / len(fermat):.1f} ms, "
                  f"PARI/GP {1000 * r['theirs'] / len(fermat):.1f} ms.")
    plot(rows + general + kinds, args.out)


if __name__ == "__main__":
    main()
