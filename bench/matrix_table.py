#!/usr/bin/env python3
# SPDX-License-Identifier: BSD-2-Clause
"""Reads matrix_bench's JSON output (with repetitions) on standard input and
prints the Markdown table: median time per power and its ratios to one
mpz_powm and to the bare arithmetic, and the Cayley-Hamilton power."""
import json
import sys

data = json.load(sys.stdin)
median = {}
for b in data["benchmarks"]:
    if b.get("aggregate_name") != "median":
        continue
    family, bits = b["run_name"].split("/")
    median[(family, int(bits))] = b["real_time"]  # milliseconds

print("| bits | matrix_pow_mod (ms) | mpz_powm (ms) | bare arithmetic (ms) | ÷ powm | ÷ bare "
      "| Cayley-Hamilton (ms) | ÷ powm |")
print("|---:|---:|---:|---:|---:|---:|---:|---:|")
for bits in sorted({k[1] for k in median}):
    m, p, b, f = (median[(name, bits)]
                  for name in ("matrix_power", "powm", "bare_arithmetic", "fast_matrix_power"))
    print(f"| {bits} | {m:.3f} | {p:.3f} | {b:.3f} | {m / p:.2f} | {m / b:.3f} | {f:.3f} | {f / p:.2f} |")
