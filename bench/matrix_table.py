#!/usr/bin/env python3
# SPDX-License-Identifier: BSD-2-Clause
"""Reads matrix_bench's JSON output (with repetitions) on standard input and
prints the Markdown table: median time per power and its ratios to one
mpz_powm and to the bare arithmetic."""
import json
import sys

data = json.load(sys.stdin)
median = {}
for b in data["benchmarks"]:
    if b.get("aggregate_name") != "median":
        continue
    family, bits = b["run_name"].split("/")
    median[(family, int(bits))] = b["real_time"]  # milliseconds

print("| bits | matrix_pow_mod (ms) | mpz_powm (ms) | bare arithmetic (ms) | ÷ powm | ÷ bare |")
print("|---:|---:|---:|---:|---:|---:|")
for bits in sorted({k[1] for k in median}):
    m, p, b = (median[(f, bits)] for f in ("matrix_power", "powm", "bare_arithmetic"))
    print(f"| {bits} | {m:.3f} | {p:.3f} | {b:.3f} | {m / p:.2f} | {m / b:.3f} |")
