#!/usr/bin/env python3
"""End-to-end measurements of the built tool against the simulated camera.

latency: the simulator at 60 frames per second, 640 x 512 x 3 bytes; the time from the
eighth frame's hand-over to the tool's call of Stop, which comes right after its "saved"
line and the close of the metadata file (both read off the simulator's timing log).
cpu: the processor time the tool's process uses over a 15-second run without frames.

Usage: run_latency.py TOOL [--wine WINE64] [--runs N] [--cpu-runs N]
"""
import argparse
import os
import resource
import statistics
import subprocess
import tempfile


def run(command, env, cwd):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    subprocess.run(command, env=env, cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    return (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)


def environment(extra):
    env = {k: v for k, v in os.environ.items() if not k.startswith("BRENVIK_SIM_")}
    env.update(extra)
    return env


def latency_ms(command, wine):
    with tempfile.TemporaryDirectory() as work:
        log = os.path.join(work, "timing.txt")
        shown = ("Z:" + log) if wine else log
        env = environment({"BRENVIK_SIM_FPS": "60", "BRENVIK_SIM_WIDTH": "640", "BRENVIK_SIM_HEIGHT": "512",
                           "BRENVIK_SIM_TIMING": shown})
        run(command, env, work)
        times = {}
        with open(log) as lines:
            for line in lines:
                event, number, us = line.split()
                times[(event, int(number))] = int(us)
        return (times[("Stop", -1)] - times[("frame", 7)]) / 1000.0


def cpu_seconds(command):
    with tempfile.TemporaryDirectory() as work:
        return run(command, environment({"BRENVIK_SIM_FRAMES": "0"}), work)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("tool")
    parser.add_argument("--wine")
    parser.add_argument("--runs", type=int, default=15)
    parser.add_argument("--cpu-runs", type=int, default=3)
    args = parser.parse_args()
    command = ([args.wine] if args.wine else []) + [os.path.abspath(args.tool)]

    latencies = [latency_ms(command, args.wine) for _ in range(args.runs)]
    cpus = [cpu_seconds(command) for _ in range(args.cpu_runs)]
    print(f"eighth frame to Stop, ms: median {statistics.median(latencies):.1f}, "
          f"max {max(latencies):.1f}, min {min(latencies):.1f} over {len(latencies)} runs")
    print(f"processor time of a 15 s run without frames, ms: median {statistics.median(cpus) * 1000:.1f} "
          f"({statistics.median(cpus) / 15 * 100:.3f}% of the run), max {max(cpus) * 1000:.1f} over {len(cpus)} runs")


if __name__ == "__main__":
    main()
