"""Frame, scaling and start-up figures for the three viewers, as Markdown.

Usage: frame_report.py BUILD_DIR [--reps N] [--display xvfb|offscreen]

Frames: for each program, its real loop (frame_bench: run_viewer through the
layer and the real start-up) and the floor (frame_floor: the same GL calls
from precomputed arrays in plain SDL2) with glibc's default malloc settings
and with GLIBC_TUNABLES keeping large blocks in the heap, and the same
triangles from a vertex array; every repetition runs all of them, in turn,
and the figures are medians over the repetitions.  Start-up: startup_probe,
launched from here with the launch time in its environment."""

import argparse
import os
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "harness"))
from x11_harness import XServer  # noqa: E402

TUNABLES = "glibc.malloc.mmap_threshold=33554432:glibc.malloc.trim_threshold=134217728"
# frames timed, warm-up frames before them
PLANS = {"terrain320": (60, 10), "terrain128": (300, 20), "terrain32": (2000, 50)}
VERTICES = {"terrain320": 610566, "terrain128": 96774, "terrain32": 5766}


def parse(line):
    words = line.split()
    return {words[i]: words[i + 1] for i in range(0, len(words) - 1, 2)}


def run(command, env, timeout=600):
    done = subprocess.run(command, env=env, capture_output=True, text=True, timeout=timeout)
    lines = [line for line in done.stdout.splitlines() if line.startswith(("program ", "startup "))]
    if done.returncode != 0 or not lines:
        raise RuntimeError(f"{command}: status {done.returncode}: {done.stderr[-2000:]}")
    return parse(lines[-1])


def variants(build, program, against):
    frames, warmup = PLANS[program]
    args = [program, str(frames), str(warmup)]
    before = [("before", [f"{against}/bench/frame_bench", *args], {})] if against else []
    return before + [
        ("program", [f"{build}/bench/frame_bench", *args], {}),
        ("floor", [f"{build}/bench/frame_floor", *args], {"GLIBC_TUNABLES": TUNABLES}),
        ("floor_default", [f"{build}/bench/frame_floor", *args], {}),
        ("vertex_array", [f"{build}/bench/frame_floor", *args, "--vertex-array"], {"GLIBC_TUNABLES": TUNABLES}),
    ]


def slope(points):
    """Least-squares slope and intercept of (x, y) points."""
    n = len(points)
    mean_x = sum(x for x, _ in points) / n
    mean_y = sum(y for _, y in points) / n
    sxx = sum((x - mean_x) ** 2 for x, _ in points)
    sxy = sum((x - mean_x) * (y - mean_y) for x, y in points)
    return sxy / sxx, mean_y - sxy / sxx * mean_x


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--reps", type=int, default=7)
    parser.add_argument("--display", choices=("xvfb", "offscreen"), default="xvfb")
    parser.add_argument("--against", metavar="BUILD", help="another tree (say, of an older commit) whose "
                        "frame_bench runs in the same rotation, to tell a change's cost from the machine's noise")
    options = parser.parse_args()
    build = os.path.abspath(options.build)

    server = XServer() if options.display == "xvfb" else None
    base = {k: v for k, v in os.environ.items() if k not in ("GLIBC_TUNABLES", "SDL_VIDEODRIVER")}
    if server:
        base = server.env()
        base.pop("GLIBC_TUNABLES", None)
    else:
        base.pop("DISPLAY", None)
        base.pop("WAYLAND_DISPLAY", None)
        base["SDL_VIDEODRIVER"] = "offscreen"

    results = {}
    startups = {}
    try:
        for rep in range(options.reps):
            for program in PLANS:
                runs = variants(build, program, options.against and os.path.abspath(options.against))
                shift = rep % len(runs)  # rotate who goes first
                for name, command, extra in runs[shift:] + runs[:shift]:
                    figures = run(command, {**base, **extra})
                    results.setdefault((program, name), []).append(figures)
            for program in PLANS:
                env = dict(base, TERRAIN_LAUNCHED_NS=str(time.clock_gettime_ns(time.CLOCK_MONOTONIC)))
                startups.setdefault(program, []).append(run([f"{build}/bench/startup_probe", program], env))
            print(f"repetition {rep + 1} of {options.reps} done", file=sys.stderr, flush=True)
    finally:
        if server:
            server.stop()

    def median(program, name, key):
        return statistics.median(float(r[key]) for r in results[(program, name)])

    out = []
    out.append(f"Frames ({options.display}, median of {options.reps} interleaved repetitions; "
               "ms per frame, wall clock; CPU = all threads' CPU time per frame; faults = minor page faults per frame)")
    out.append("")
    out.append("| program | vertices | program ms | floor ms | ratio | floor, default malloc, ms | vertex array ms "
               "| program CPU ms | floor CPU ms | CPU ratio | faults: program / floor / floor default |")
    out.append("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---|")
    for program in PLANS:
        p, f = median(program, "program", "ms_per_frame"), median(program, "floor", "ms_per_frame")
        pc, fc = median(program, "program", "cpu_ms_per_frame"), median(program, "floor", "cpu_ms_per_frame")
        out.append(
            f"| {program} | {VERTICES[program]:,} | {p:.3f} | {f:.3f} | {p / f:.3f} "
            f"| {median(program, 'floor_default', 'ms_per_frame'):.3f} "
            f"| {median(program, 'vertex_array', 'ms_per_frame'):.3f} | {pc:.3f} | {fc:.3f} | {pc / fc:.3f} "
            f"| {median(program, 'program', 'faults_per_frame'):.1f} / {median(program, 'floor', 'faults_per_frame'):.1f}"
            f" / {median(program, 'floor_default', 'faults_per_frame'):.1f} |")
    if options.against:
        out.append("")
        out.append(f"| program | this tree ms | {options.against} ms | ratio | CPU ratio |")
        out.append("|---|---:|---:|---:|---:|")
        for program in PLANS:
            p, b = median(program, "program", "ms_per_frame"), median(program, "before", "ms_per_frame")
            c = median(program, "program", "cpu_ms_per_frame") / median(program, "before", "cpu_ms_per_frame")
            out.append(f"| {program} | {p:.3f} | {b:.3f} | {p / b:.3f} | {c:.3f} |")
    out.append("")
    out.append("Scaling (least-squares line through the three programs, ms per frame against vertices)")
    out.append("")
    out.append("| series | slope ns/vertex | intercept ms | per-program ns/vertex (320 / 128 / 32) |")
    out.append("|---|---:|---:|---|")
    for name, label in (("program", "program"), ("floor", "floor"), ("floor_default", "floor, default malloc"),
                        ("vertex_array", "vertex array")):
        points = [(VERTICES[p], median(p, name, "ms_per_frame")) for p in PLANS]
        s, c = slope(points)
        each = " / ".join(f"{y * 1e6 / x:.1f}" for x, y in points)
        out.append(f"| {label} | {s * 1e6:.2f} | {c:.3f} | {each} |")
    out.append("")
    out.append(f"Start-up to the first swap ({options.display}, median of {options.reps}; ms)")
    out.append("")
    keys = ["to_main", "field", "window", "window_library", "context", "context_library", "first_frame", "own",
            "total"]
    out.append("| program | " + " | ".join(keys) + " | own, worst |")
    out.append("|---|" + "---:|" * (len(keys) + 1))
    for program in PLANS:
        values = [statistics.median(float(r[k]) for r in startups[program]) for k in keys]
        worst = max(float(r["own"]) for r in startups[program])
        out.append(f"| {program} | " + " | ".join(f"{v:.3f}" for v in values) + f" | {worst:.3f} |")
    text = "\n".join(out)
    print(text)


if __name__ == "__main__":
    main()
