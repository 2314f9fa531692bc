#!/usr/bin/python3
"""Solves a few standard problems with vantrel-solve (one thread and every core) and with
SciPy's nquad (epsabs equal to the maximum error) and prints a table: computing time,
integrand evaluations and the error against the analytic value.

usage: bench/compare/compare.py [BUILD_DIR]   (Debian's python3 with python3-scipy)
"""
import cmath
import json
import math
import os
import subprocess
import sys
import tempfile
import time

from scipy import integrate

BUILD = sys.argv[1] if len(sys.argv) > 1 else "build"
SOLVER = os.path.join(BUILD, "cli", "vantrel-solve")


def problem_file(order, max_error, integrand, levels):
    """The problem file's text; levels are (name, lower, upper, minimum), innermost first."""
    lines = ["Vantrel", f'{order},{max_error},#FALSE#,"{integrand}"', " 0 "]
    lines += [f'"{n}","{lo}","{up}",{m}' for n, lo, up, m in levels]
    return "\r\n".join(lines) + "\r\n"


def genz_oscillatory():
    u, a = 0.3, (1.0, 1.5, 2.0)
    exact = (cmath.exp(2j * math.pi * u) *
             math.prod((cmath.exp(1j * k) - 1) / (1j * k) for k in a)).real
    text = problem_file(3, 1e-8, "Cos(2*pi*0.3+1*x+1.5*y+2*z)",
                        [("x", 0, 1, 4), ("y", 0, 1, 4), ("z", 0, 1, 4)])
    f = lambda x, y, z: math.cos(2 * math.pi * u + a[0] * x + a[1] * y + a[2] * z)
    return "Genz oscillatory, 3-D", text, exact, f, [[0, 1]] * 3, 1e-8


def genz_product_peak():
    a, u = (5.0, 7.0), (0.3, 0.6)
    exact = math.prod(k * (math.atan(k * (1 - v)) + math.atan(k * v)) for k, v in zip(a, u))
    text = problem_file(2, 1e-6, "1/((1/5^2+(x-0.3)^2)*(1/7^2+(y-0.6)^2))",
                        [("x", 0, 1, 4), ("y", 0, 1, 4)])
    f = lambda x, y: 1 / ((1 / a[0] ** 2 + (x - u[0]) ** 2) * (1 / a[1] ** 2 + (y - u[1]) ** 2))
    return "Genz product peak, 2-D", text, exact, f, [[0, 1]] * 2, 1e-6


def gaussian_disk():
    exact = math.pi * (1 - math.exp(-1))
    text = problem_file(2, 1e-6, "Exp(-(x*x+y*y))",
                        [("y", "-Sqr(1-x*x)", "Sqr(1-x*x)", 4), ("x", -1, 1, 4)])
    f = lambda y, x: math.exp(-(x * x + y * y))
    ranges = [lambda x: [-math.sqrt(max(0.0, 1 - x * x)), math.sqrt(max(0.0, 1 - x * x))],
              [-1, 1]]
    return "Gaussian over the unit disk", text, exact, f, ranges, 1e-6


def simplex4():
    text = problem_file(4, 1e-6, "1", [("a", 0, "1-b-c-d", 4), ("b", 0, "1-c-d", 4),
                                       ("c", 0, "1-d", 4), ("d", 0, 1, 4)])
    ranges = [lambda b, c, d: [0, 1 - b - c - d], lambda c, d: [0, 1 - c - d],
              lambda d: [0, 1 - d], [0, 1]]
    return "4-simplex volume", text, 1 / 24, lambda a, b, c, d: 1.0, ranges, 1e-6


def box10():
    names = [f"x{k}" for k in range(1, 11)]
    text = problem_file(10, 0.01, "+".join(names), [(n, 0, 1, 4) for n in names])
    return "order-10 box", text, 5.0, None, None, 0.01


def vantrel(text, threads):
    with tempfile.NamedTemporaryFile("w", suffix=".vtl", delete=False, newline="") as f:
        f.write(text)
    try:
        out = subprocess.run([SOLVER, "--json", "--threads", str(threads), f.name],
                             capture_output=True, text=True)
        return json.loads(out.stdout)
    finally:
        os.unlink(f.name)


def scipy(f, ranges, epsabs):
    count = [0]

    def counted(*args):
        count[0] += 1
        return f(*args)

    start = time.perf_counter()
    value, _ = integrate.nquad(counted, ranges, opts={"epsabs": epsabs})
    return value, count[0], time.perf_counter() - start


def main():
    print(f"{'problem':30} {'solver':14} {'seconds':>9} {'evaluations':>12} {'error':>10}")
    for name, text, exact, f, ranges, eps in (genz_oscillatory(), genz_product_peak(),
                                              gaussian_disk(), simplex4(), box10()):
        for threads, label in ((1, "vantrel 1"), (os.cpu_count(), f"vantrel {os.cpu_count()}")):
            v = vantrel(text, threads)
            print(f"{name if threads == 1 else '':30} {label:14} {v['seconds']:9.4f} "
                  f"{v['evaluations']:12} {abs(v['value'] - exact):10.2e}")
        if f is None:
            print(f"{'':30} {'scipy nquad':14} {'(10 nested quad calls: not run)':>33}")
            continue
        value, evaluations, seconds = scipy(f, ranges, eps)
        print(f"{'':30} {'scipy nquad':14} {seconds:9.4f} {evaluations:12} "
              f"{abs(value - exact):10.2e}")


if __name__ == "__main__":
    main()
