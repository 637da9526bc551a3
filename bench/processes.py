#!/usr/bin/env python3
"""Times whole processes, as a user runs them: a count against the image library's floor
(tamrex-floor: load, threshold, crop, save), today's build against an older one, a batch
with -j 2 against two floor processes side by side, and a batch with the count log against
one with --no-log.

Single processes are compared by processor time (user + system, as wait4 reports it), which
another program on the machine disturbs far less than wall time; speed-ups are wall time by
nature. Every round runs each side once, in alternating order, so that a busy spell slows
both alike; the figures are medians. scripts/bench.sh makes the photos and calls this."""

import argparse
import json
import os
import statistics
import subprocess
import sys
import time


def spawn(command):
    """Starts a process with its output discarded; returns its id."""
    return os.posix_spawnp(command[0], command, os.environ,
                           file_actions=[(os.POSIX_SPAWN_OPEN, 1, os.devnull, os.O_WRONLY, 0)])


def reap(pid, command):
    """Waits for a process; returns its resource usage, or stops if it failed."""
    _, status, usage = os.wait4(pid, 0)
    code = os.waitstatus_to_exitcode(status)
    if code != 0:
        sys.exit(f"processes.py: {' '.join(command)} failed with status {code}")
    return usage


def run(command):
    """Runs one process; returns (processor s, wall s)."""
    start = time.perf_counter()
    usage = reap(spawn(command), command)
    return usage.ru_utime + usage.ru_stime, time.perf_counter() - start


def run_side_by_side(commands):
    """Starts every command at once and waits for all; returns the wall time."""
    start = time.perf_counter()
    for pid, command in [(spawn(command), command) for command in commands]:
        reap(pid, command)
    return time.perf_counter() - start


def alternate(sides, rounds, measure):
    """measure(command) of every side per round, the order reversed every other round;
    returns the median of each side."""
    names = list(sides)
    samples = {name: [] for name in names}
    for round_ in range(rounds):
        for name in names if round_ % 2 == 0 else reversed(names):
            samples[name].append(measure(sides[name]))
    return {name: statistics.median(values) for name, values in samples.items()}


def processor_time(command):
    return run(command)[0]


def strip_of(count, ini, photo):
    """The strip the count cuts from the photo, WIDTHxHEIGHT, for the floor to crop alike."""
    line = subprocess.run([count, "--ini", ini, "--json", photo], check=True, capture_output=True, text=True).stdout
    width, height = json.loads(line)["strip"]
    return f"{width}x{height}"


def count_against_floor(args, photos):
    print(f"== One photo: a count (line map, second look, every check) against the floor; "
          f"processor time, medians of {args.rounds} alternating rounds")
    for photo, ini, target in photos:
        scratch_map = os.path.join(args.scratch, "map.bmp")
        sides = {
            "floor": [args.floor, str(args.threshold), scratch_map, "--strip", strip_of(args.count, ini, photo),
                      photo],
            "count": [args.count, "--ini", ini, "--line-map", scratch_map, photo],
        }
        medians = alternate(sides, args.rounds, processor_time)
        ratio = medians["count"] / medians["floor"]
        print(f"{os.path.basename(photo)}: floor {1e3 * medians['floor']:.1f} ms, count "
              f"{1e3 * medians['count']:.1f} ms, ratio {ratio:.3f} (target at most {target})")


def today_against_older(args, photos):
    print(f"== Today's build against {args.older_name}: processor time, medians of {args.rounds} "
          "alternating rounds")
    for photo, ini, _ in photos:
        sides = {
            "today": [args.count, "--ini", ini, photo],
            "older": [args.older, "--ini", ini, photo],
        }
        medians = alternate(sides, args.rounds, processor_time)
        print(f"{os.path.basename(photo)}: {args.older_name} {1e3 * medians['older']:.1f} ms, today "
              f"{1e3 * medians['today']:.1f} ms, ratio {medians['today'] / medians['older']:.3f}")


def batch_against_floor_pair(args, name, photos, ini, rounds):
    half = len(photos) // 2
    maps = [os.path.join(args.scratch, f"floor-{side}.bmp") for side in ("a", "b")]
    floors = [[args.floor, str(args.threshold), maps[0]] + photos[:half],
              [args.floor, str(args.threshold), maps[1]] + photos[half:]]
    counts = [[args.count, "--ini", ini, "-j", "1"] + photos[:half],
              [args.count, "--ini", ini, "-j", "1"] + photos[half:]]
    sides = {
        "-j 1": ("alone", [args.count, "--ini", ini, "-j", "1"] + photos),
        "-j 2": ("alone", [args.count, "--ini", ini, "-j", "2"] + photos),
        "floors one after the other": ("after", floors),
        "floors side by side": ("beside", floors),
        "counts side by side": ("beside", counts),
    }

    def wall_time(side):
        how, command = side
        if how == "alone":
            return run(command)[1]
        if how == "after":
            return sum(run(one)[1] for one in command)
        return run_side_by_side(command)

    medians = alternate(sides, rounds, wall_time)
    count_speed_up = medians["-j 1"] / medians["-j 2"]
    floor_speed_up = medians["floors one after the other"] / medians["floors side by side"]
    print(f"{name}: -j 1 {medians['-j 1']:.3f} s, -j 2 {medians['-j 2']:.3f} s, speed-up {count_speed_up:.2f}; "
          f"two floor processes {medians['floors one after the other']:.3f} s one after the other, "
          f"{medians['floors side by side']:.3f} s side by side, speed-up {floor_speed_up:.2f}")
    if floor_speed_up < 1.2:
        print(f"  the machine has no second core to spare (load average {os.getloadavg()[0]:.1f}): "
              "run again when it is idle")
    else:
        print(f"  -j 2 reaches {100 * count_speed_up / floor_speed_up:.0f}% of the floor's speed-up "
              "(target at least 95%)")
    # One process of -j 1 starts once where two floor processes start twice, so the ratio
    # above also measures how little a batch's start costs; two counts of half the photos
    # each, side by side, are what -j 2 does without sharing one process.
    print(f"  two -j 1 counts of half the photos side by side {medians['counts side by side']:.3f} s: -j 2 takes "
          f"{medians['-j 2'] / medians['counts side by side']:.2f} of their time")


def count_log(args, photos, ini, rounds):
    """Processor time of the program and its threads: a busy machine blurs it less than it
    does the wall clock."""
    log = os.path.join(args.scratch, "counts.sqlite")
    sides = {
        "log": [args.count, "--ini", ini, "-j", "2", "--log", log] + photos,
        "no log": [args.count, "--ini", ini, "-j", "2", "--no-log"] + photos,
    }
    medians = alternate(sides, rounds, processor_time)
    print(f"{len(photos)} photos of 800 x 576 with -j 2: processor time with the count log "
          f"{medians['log']:.3f} s, --no-log {medians['no log']:.3f} s, ratio {medians['log'] / medians['no log']:.3f}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bin", required=True, help="folder of tamrex-count and tamrex-floor")
    parser.add_argument("--scratch", required=True, help="folder of the photos scripts/bench.sh made")
    parser.add_argument("--older", help="an older build's tamrex-count")
    parser.add_argument("--older-name", default="the older build")
    parser.add_argument("--rounds", type=int, default=21)
    parser.add_argument("--batch-rounds", type=int, default=7)
    parser.add_argument("--threshold", type=int, default=110)
    args = parser.parse_args()
    args.count = os.path.join(args.bin, "tamrex-count")
    args.floor = os.path.join(args.bin, "tamrex-floor")
    scratch = args.scratch
    photos = [(os.path.join(scratch, "stack-800x576.jpg"), os.path.join(scratch, "small.ini"), "1.0"),
              (os.path.join(scratch, "stack-4032x3024.jpg"), os.path.join(scratch, "phone.ini"), "0.8")]

    count_against_floor(args, photos)
    if args.older:
        today_against_older(args, photos)
    print(f"== Batches: wall time, medians of {args.batch_rounds} alternating rounds")
    small = sorted(os.path.join(scratch, name) for name in os.listdir(scratch) if name.startswith("batch-small-"))
    phone = sorted(os.path.join(scratch, name) for name in os.listdir(scratch) if name.startswith("batch-phone-"))
    batch_against_floor_pair(args, f"{len(small)} photos of 800 x 576", small, photos[0][1], args.batch_rounds)
    batch_against_floor_pair(args, f"{len(phone)} photos of 4032 x 3024", phone, photos[1][1], args.batch_rounds)
    print(f"== The count log: medians of {args.rounds} alternating rounds")
    count_log(args, small, photos[0][1], args.rounds)


if __name__ == "__main__":
    main()
