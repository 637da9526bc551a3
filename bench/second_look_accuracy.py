#!/usr/bin/env python3
"""How often the second count alone is exact, and how long it takes.

Makes stations of synthetic stack photos with tamrex-make-photo, in three kinds:

  easy    level stacks, clean seams, good light and JPEG quality
  medium  some tilt and bow, a faint or broken seam, a light gradient
  hard    tilt up to 3 degrees, bow, faint, broken and missing seams, a faint seam
          under the top board, straps, uneven light, a blurred bottom edge, boards of
          uneven thickness, JPEG quality down to 70

Each station has its own photo size and board thickness; its photos vary in board count
and by a few percent in thickness, as boards from different batches do. Every photo is
counted by second-look-probe twice: uncalibrated, and with the station's board pitch
(board plus seam rows) as the calibrated prior. When tamrex-count is at hand, the same
photos are also counted by the rules (default settings) and by rounding the height of
the rules' strip over the station's pitch, for comparison. Then one 800 x 576 and one
4032 x 3024 photo are timed.

Usage: bench/second_look_accuracy.py --probe PATH [--bin DIR] [--stations N] [--photos N] [--misses]
"""

import argparse
import json
import math
import os
import random
import statistics
import subprocess
import sys
import tempfile

KINDS = ("easy", "medium", "hard")
SIZES = ((800, 576), (800, 576), (800, 576), (640, 480), (1024, 768))
MARGIN = 40  # the generator's margins above and below the stack


def uniform(rng, low, high):
    return round(rng.uniform(low, high), 2)


def station_of(kind, rng):
    """What all photos of one station share: camera, light, kind of board."""
    width, height = rng.choice(SIZES)
    thinnest = {"easy": 18, "medium": 14, "hard": 12}[kind]
    board_rows = rng.randint(thinnest, 30)
    return {
        "kind": kind,
        "width": width,
        "height": height,
        "board_rows": board_rows,
        "gap_rows": rng.randint(2, 5),
        "noise": rng.randint(*{"easy": (6, 12), "medium": (8, 16), "hard": (12, 22)}[kind]),
        "grey": rng.random() < 0.2,
    }


def difficulties(kind, station, rng):
    """The options that make one photo of a station hard to count."""
    width = station["width"]
    tilt_degrees = {"easy": 0.5, "medium": 2.0, "hard": 3.0}[kind]
    options = {
        "tilt": round(math.tan(math.radians(rng.uniform(-tilt_degrees, tilt_degrees))) * width, 1),
        "quality": rng.randint(*{"easy": (90, 95), "medium": (80, 95), "hard": (70, 90)}[kind]),
    }
    if kind == "easy":
        return options
    hard = kind == "hard"
    options.update({
        "bow": uniform(rng, -10, 10) if hard else uniform(rng, 0, 4),
        "faded-gaps": rng.randint(1, 3) if hard else rng.randint(0, 1),
        "broken-gaps": rng.randint(1, 4) if hard else rng.randint(0, 2),
        "missing-segments": rng.randint(1, 3) if hard else rng.randint(0, 1),
        "straps": rng.randint(0, 2) if hard else rng.randint(0, 1),
        "light-slope": rng.randint(-35, 35) if hard else rng.randint(-15, 15),
        "light-fall": rng.randint(-25, 25) if hard else 0,
        "vignette": rng.randint(0, 35) if hard else rng.randint(0, 10),
        "bottom-blur": rng.randint(0, 6) if hard else rng.randint(0, 2),
        "thickness-jitter": min(station["board_rows"] // 10, rng.randint(0, 2)) if hard else 0,
    })
    if rng.random() < (0.5 if hard else 0.15):
        options["faded-top-gap"] = True
    return options


def photo_of(station, rng):
    """One photo's recipe: a few percent thicker or thinner boards, a count that fits."""
    options = difficulties(station["kind"], station, rng)
    board_rows = max(4, round(station["board_rows"] * (1 + rng.uniform(-0.04, 0.04))))
    jitter = options.get("thickness-jitter", 0)
    reach = abs(options["tilt"]) / 2 + abs(options.get("bow", 0)) + jitter
    room = station["height"] - 2 * MARGIN - 2 * math.ceil(reach)
    most = (room + station["gap_rows"]) // (board_rows + jitter + station["gap_rows"])
    boards = rng.randint(max(3, most // 2), most)
    options.update({
        "width": station["width"],
        "height": station["height"],
        "boards": boards,
        "board-rows": board_rows,
        "gap-rows": station["gap_rows"],
        "noise": station["noise"],
        "seed": rng.randint(1, 10**6),
    })
    options["faded-gaps"] = min(options.get("faded-gaps", 0), boards - 1)
    for key in ("broken-gaps", "missing-segments"):
        if key in options:
            options[key] = min(options[key], boards - 1)
    if station["grey"]:
        options["grey"] = True
    return options


def command_line(options):
    arguments = []
    for key, value in options.items():
        if value is True:
            arguments.append("--" + key)
        else:
            arguments += ["--" + key, str(value)]
    return arguments


def run(arguments):
    finished = subprocess.run(arguments, capture_output=True, text=True)
    if finished.returncode != 0:
        sys.exit(f"{arguments[0]} failed ({finished.returncode}): {finished.stderr.strip()}")
    return finished.stdout


def json_lines(text):
    return [json.loads(line) for line in text.splitlines() if line.strip()]


def probe(probe_path, photos, thickness=0.0, rounds=1):
    arguments = [probe_path, "--rounds", str(rounds)]
    if thickness:
        arguments += ["--thickness", str(thickness)]
    return {result["file"]: result for result in json_lines(run(arguments + photos))}


def rule_counts(count_path, photos):
    return {result["file"]: result for result in json_lines(run([count_path, "--json", "-j", "2"] + photos))}


def make_stations(args, folder):
    rng = random.Random(args.seed)
    stations = []
    for kind in KINDS:
        for index in range(args.stations):
            station = station_of(kind, rng)
            station["photos"] = []
            for number in range(args.photos):
                recipe = photo_of(station, rng)
                path = os.path.join(folder, f"{kind}-{index}-{number}.jpg")
                run([args.make_photo] + command_line(recipe) + [path])
                station["photos"].append((path, recipe))
            stations.append(station)
    return stations


def share(hits, total):
    return f"{hits:4d}/{total:<4d} {100.0 * hits / max(total, 1):5.1f}%"


def tally(stations, probe_path, count_path):
    rows = {kind: {"photos": 0, "plain": 0, "prior": 0, "strip": 0, "rules": 0} for kind in KINDS}
    misses, times = [], []
    everything = [path for station in stations for path, _ in station["photos"]]
    plain = probe(probe_path, everything)
    rules = rule_counts(count_path, everything) if count_path else {}
    for station in stations:
        pitch = station["board_rows"] + station["gap_rows"]
        prior = probe(probe_path, [path for path, _ in station["photos"]], thickness=pitch)
        row = rows[station["kind"]]
        for path, recipe in station["photos"]:
            truth = recipe["boards"]
            row["photos"] += 1
            row["plain"] += plain[path].get("boards") == truth
            row["prior"] += prior[path].get("boards") == truth
            times.append(plain[path]["ms"])
            if path in rules and "count" in rules[path]:
                row["rules"] += rules[path]["count"] == truth
                row["strip"] += round(rules[path]["strip"][1] / pitch) == truth
            for how, result in (("uncalibrated", plain[path]), ("with prior", prior[path])):
                if result.get("boards") != truth:
                    misses.append((path, how, truth, result.get("boards", result.get("error"))))
    return rows, misses, times


def print_table(rows, with_rules):
    header = f"{'kind':8} {'second, uncalibrated':>22} {'second, with prior':>22}"
    if with_rules:
        header += f" {'strip/pitch rounded':>22} {'rules (default ini)':>22}"
    print(header)
    for kind in KINDS:
        row = rows[kind]
        line = f"{kind:8} {share(row['plain'], row['photos']):>22} {share(row['prior'], row['photos']):>22}"
        if with_rules:
            line += f" {share(row['strip'], row['photos']):>22} {share(row['rules'], row['photos']):>22}"
        print(line)


def rules_time(count_path, path, rounds=7):
    """The median time tamrex-count reports for the whole count of the rules, decoding included."""
    times = [rule_counts(count_path, [path])[path]["ms"] for _ in range(rounds)]
    return f", rules' count (decoding included) {statistics.median(times):.0f} ms"


def time_sizes(args, folder, count_path):
    """The second count's time on the sizes the rules' count is timed on."""
    print("\ntime of the second count, given the decoded photo (median of 15 rounds):")
    for width, height, boards, board_rows, gap_rows in ((800, 576, 20, 20, 3), (4032, 3024, 40, 60, 8)):
        path = os.path.join(folder, f"time-{width}x{height}.jpg")
        run([args.make_photo, "--width", str(width), "--height", str(height), "--boards", str(boards),
             "--board-rows", str(board_rows), "--gap-rows", str(gap_rows), "--tilt", "20", path])
        result = probe(args.probe, [path], rounds=15)[path]
        rules = rules_time(count_path, path) if count_path else ""
        print(f"  {width} x {height}: {result['ms']:.2f} ms, counted {result.get('boards')} of {boards}{rules}")


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--probe", required=True, help="second-look-probe program")
    parser.add_argument("--bin", default=os.path.join(here, "..", "build", "bin"),
                        help="folder of tamrex-make-photo and, if built, tamrex-count")
    parser.add_argument("--make-photo", help="tamrex-make-photo program (default: in --bin)")
    parser.add_argument("--count", help="tamrex-count program (default: in --bin, if there)")
    parser.add_argument("--stations", type=int, default=4, help="stations per kind")
    parser.add_argument("--photos", type=int, default=15, help="photos per station")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--keep", help="keep the photos in this folder")
    parser.add_argument("--misses", action="store_true", help="list every photo counted wrong")
    args = parser.parse_args()
    args.make_photo = args.make_photo or os.path.join(args.bin, "tamrex-make-photo")
    count_path = args.count or os.path.join(args.bin, "tamrex-count")
    count_path = count_path if os.access(count_path, os.X_OK) else None

    with tempfile.TemporaryDirectory(prefix="second-look-") as scratch:
        folder = args.keep or scratch
        os.makedirs(folder, exist_ok=True)
        stations = make_stations(args, folder)
        rows, misses, times = tally(stations, args.probe, count_path)
        print(f"exact counts, {args.stations} stations x {args.photos} photos per kind (seed {args.seed}):")
        print_table(rows, count_path is not None)
        print(f"\nsecond count time per photo: median {statistics.median(times):.2f} ms, most {max(times):.2f} ms")
        if args.misses:
            for path, how, truth, got in misses:
                print(f"  miss {how}: {os.path.basename(path)} has {truth}, counted {got}")
        time_sizes(args, folder, count_path)


if __name__ == "__main__":
    main()
