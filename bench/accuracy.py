#!/usr/bin/env python3
"""How often calibrated settings count unseen photos exactly, and how well the check flags
the counts that are not.

Makes stations of synthetic stack photos with tamrex-make-photo, from easy to hard:

  level   level stacks, clean gaps, good JPEG quality
  tilt    stacks that climb a few rows from one side to the other
  faint   tilt, and one to three gaps drawn faint
  jpeg    tilt, faint gaps, more noise, JPEG quality 70 to 95
  rough   what the generator offers beyond that, when it does: bow, broken and partly
          missing gaps, a faint gap under the top board, uneven light, uneven boards

A station keeps its camera (photo size, noise, colour or grey), its light and its kind of
board (thickness, gap); its photos differ in the number of boards and in how the stack
lies. For each station, `tamrex-count calibrate --known ... --write-ini station.ini`
learns settings from three photos, and `tamrex-count --ini station.ini --json` counts the
others. Printed per kind and overall: the share of unseen photos counted exactly; the
check's flags, a flag being a positive and a miscount the condition, as recall (misses
flagged) and precision (flags that were misses); the share of unflagged counts that are
exact; and, when the results carry a "second_count", the share of those that are exact,
calibrated and with settings that know nothing of the station.
A photo that could not be counted is a miss, and flagged.

Usage: bench/accuracy.py BIN_DIR [--quick] [--stations N] [--photos N] [--seed N]
                         [--jobs N] [--keep DIR] [--misses]
"""

import argparse
import json
import os
import random
import resource
import shutil
import subprocess
import sys
import tempfile
import time

KINDS = ("level", "tilt", "faint", "jpeg", "rough")
SIZES = ((800, 576), (800, 576), (640, 480), (1024, 768))
MARGIN = 40  # the generator's least margin above and below the stack
KNOWN_PHOTOS = 3
# What tamrex-make-photo must offer for the rough kind; without it, rough stations are skipped.
ROUGH_OPTIONS = ("--bow", "--broken-gaps", "--missing-segments", "--faded-top-gap", "--light-slope",
                 "--light-fall", "--thickness-jitter")


def run(arguments, cwd=None, check=True):
    finished = subprocess.run(arguments, capture_output=True, text=True, cwd=cwd)
    if check and finished.returncode not in (0, 1):
        sys.exit(f"{' '.join(arguments)} failed ({finished.returncode}): {finished.stderr.strip()}")
    return finished


def generator_options(make_photo):
    text = run([make_photo, "--help"]).stdout
    return {word for word in text.split() if word.startswith("--")}


def station_of(kind, rng):
    """What every photo of one station shares."""
    width, height = rng.choice(SIZES)
    return {
        "kind": kind,
        "width": width,
        "height": height,
        "board_rows": rng.randint(10, 28),
        "gap_rows": rng.randint(2, 5),
        "noise": rng.randint(6, 12) if kind in ("level", "tilt") else rng.randint(10, 24),
        "grey": rng.random() < 0.2,
        "light_slope": rng.randint(-35, 35),
    }


def tilt_of(station, rng):
    """Rows the stack climbs across the photo: up to a third of a board."""
    most = {"level": 0.1, "tilt": 0.5, "faint": 0.3, "jpeg": 0.3, "rough": 0.3}[station["kind"]]
    return round(rng.uniform(-most, most) * station["board_rows"], 1)


def rough_options(station, boards, rng):
    board = station["board_rows"]
    options = {
        "bow": round(rng.uniform(-0.4, 0.4) * board, 1),
        "broken-gaps": rng.randint(0, min(4, boards - 1)),
        "missing-segments": rng.randint(0, min(3, boards - 1)),
        "light-slope": station["light_slope"],
        "light-fall": rng.randint(-25, 25),
        "vignette": rng.randint(0, 30),
        "thickness-jitter": rng.randint(0, max(0, board // 8)),
    }
    if rng.random() < 0.4:
        options["faded-top-gap"] = True
    return options


def photo_of(station, rng):
    """One photo's options: a count that fits the frame, and how this stack lies."""
    kind = station["kind"]
    options = {"tilt": tilt_of(station, rng), "quality": rng.randint(70, 95) if kind in ("jpeg", "rough") else 90}
    board, gap = station["board_rows"], station["gap_rows"]
    reach = abs(options["tilt"]) / 2 + (0.4 * board if kind == "rough" else 0) + board // 8
    room = station["height"] - 2 * MARGIN - 2 * int(reach + 1)
    most = (room + gap) // (board + board // 8 + gap)
    boards = rng.randint(max(4, most // 2), most)
    if kind in ("faint", "jpeg", "rough"):
        options["faded-gaps"] = rng.randint(1 if kind == "faint" else 0, min(3, boards - 1))
    if kind == "rough":
        options.update(rough_options(station, boards, rng))
    options.update({"width": station["width"], "height": station["height"], "boards": boards,
                    "board-rows": board, "gap-rows": gap, "noise": station["noise"],
                    "seed": rng.randint(1, 10**6)})
    if station["grey"]:
        options["grey"] = True
    return options


def command_line(options):
    arguments = []
    for key, value in options.items():
        arguments += ["--" + key] if value is True else ["--" + key, str(value)]
    return arguments


def make_photos(make_photo, station, count, folder, rng):
    photos = []
    for index in range(count):
        options = photo_of(station, rng)
        name = f"{index:02d}.jpg"
        made = run([make_photo, *command_line(options), os.path.join(folder, name)], check=False)
        if made.returncode != 0:
            sys.exit(f"tamrex-make-photo refused {options}: {made.stderr.strip()}")
        photos.append((name, options["boards"]))
    return photos


def children_cpu_seconds():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def write_counts(folder, name, photos):
    """file,count lines, as --known-csv reads them, to calibrate or count a kept station by hand."""
    with open(os.path.join(folder, name), "w") as listing:
        listing.write("file,count\n" + "".join(f"{photo},{boards}\n" for photo, boards in photos))


def calibrate(count, folder, known, jobs):
    arguments = [count, "calibrate", "-j", str(jobs), "--write-ini", "station.ini"]
    for name, boards in known:
        arguments += ["--known", f"{name}={boards}"]
    started = children_cpu_seconds()
    finished = run(arguments, cwd=folder)
    if not os.path.exists(os.path.join(folder, "station.ini")):
        sys.exit(f"calibration in {folder} wrote no settings: {finished.stderr.strip()}")
    return children_cpu_seconds() - started


# Settings that know nothing of the station: no THICKNESS and no PWIDTH, so the second
# look has no prior and finds the board pitch in each photo alone.
UNCALIBRATED = "BDLINE=320\r\nTHRESHOLD=110\r\nPWIDTH=0\r\n"


def count_unseen(count, folder, unseen, jobs, ini="station.ini"):
    arguments = [count, "--ini", ini, "--json", "-j", str(jobs), *[name for name, _ in unseen]]
    lines = [json.loads(line) for line in run(arguments, cwd=folder).stdout.splitlines() if line.strip()]
    known = dict(unseen)
    return [{"file": line["file"], "known": known[line["file"]], "count": line.get("count"),
             "flags": line.get("flags", []) if "count" in line else ["not-counted"],
             "second": line.get("second_count")} for line in lines]


class Tally:
    def __init__(self):
        self.photos = self.exact = self.flagged = self.flagged_misses = 0
        self.unflagged = self.unflagged_exact = self.second = self.second_exact = 0
        self.uncalibrated = self.uncalibrated_exact = 0

    def add(self, result):
        exact = result["count"] == result["known"]
        flagged = bool(result["flags"])
        self.photos += 1
        self.exact += exact
        self.flagged += flagged
        self.flagged_misses += flagged and not exact
        self.unflagged += not flagged
        self.unflagged_exact += exact and not flagged
        if result["second"] is not None:
            self.second += 1
            self.second_exact += result["second"] == result["known"]
        if result.get("uncalibrated") is not None:
            self.uncalibrated += 1
            self.uncalibrated_exact += result["uncalibrated"] == result["known"]

    def row(self, name):
        misses = self.photos - self.exact
        return (f"{name:8} {self.photos:6} {share(self.exact, self.photos):>7} "
                f"{share(self.flagged_misses, misses, ratio=True):>7} "
                f"{share(self.flagged_misses, self.flagged, ratio=True):>9} "
                f"{share(self.unflagged_exact, self.unflagged):>10} {share(self.second_exact, self.second):>8} "
                f"{share(self.uncalibrated_exact, self.uncalibrated):>8}")


def share(part, whole, ratio=False):
    if whole == 0:
        return "-"
    return f"{part / whole:.2f}" if ratio else f"{100 * part / whole:.1f}%"


def header():
    return (f"{'kind':8} {'photos':>6} {'exact':>7} {'recall':>7} {'precision':>9} "
            f"{'unflagged':>10} {'second':>8} {'2nd raw':>8}")


def arguments():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("bin", help="the build's bin folder, holding tamrex-count and tamrex-make-photo")
    parser.add_argument("--quick", action="store_true", help="one station of each kind, six unseen photos")
    parser.add_argument("--stations", type=int, default=6, help="stations of each kind (default 6)")
    parser.add_argument("--photos", type=int, default=12, help="unseen photos per station (default 12)")
    parser.add_argument("--seed", type=int, default=1, help="the same seed makes the same stations")
    parser.add_argument("--jobs", type=int, default=2, help="threads for tamrex-count (default 2)")
    parser.add_argument("--keep", help="make the stations in this folder and keep them")
    parser.add_argument("--misses", action="store_true", help="list every photo counted wrong")
    options = parser.parse_args()
    if options.quick:
        options.stations, options.photos = 1, 6
    return options


def main():
    options = arguments()
    count = os.path.abspath(os.path.join(options.bin, "tamrex-count"))
    make_photo = os.path.abspath(os.path.join(options.bin, "tamrex-make-photo"))
    for program in (count, make_photo):
        if not os.access(program, os.X_OK):
            sys.exit(f"no program {program}: build it first, or name the bin folder that holds it")
    kinds = list(KINDS)
    if not set(ROUGH_OPTIONS) <= generator_options(make_photo):
        print("tamrex-make-photo lacks the options of rough stations: they are left out", file=sys.stderr)
        kinds.remove("rough")

    rng = random.Random(options.seed)
    root = options.keep or tempfile.mkdtemp(prefix="tamrex-accuracy-")
    tallies = {kind: Tally() for kind in kinds}
    overall = Tally()
    calibration_seconds = []
    started = time.time()
    try:
        for kind in kinds:
            for number in range(options.stations):
                folder = os.path.join(root, f"{kind}-{number}")
                os.makedirs(folder, exist_ok=True)
                station = station_of(kind, rng)
                photos = make_photos(make_photo, station, KNOWN_PHOTOS + options.photos, folder, rng)
                write_counts(folder, "known.csv", photos[:KNOWN_PHOTOS])
                write_counts(folder, "unseen.csv", photos[KNOWN_PHOTOS:])
                calibration_seconds.append(calibrate(count, folder, photos[:KNOWN_PHOTOS], options.jobs))
                with open(os.path.join(folder, "uncalibrated.ini"), "w") as plain:
                    plain.write(UNCALIBRATED)
                uncalibrated = {line["file"]: line["second"] for line in
                                count_unseen(count, folder, photos[KNOWN_PHOTOS:], options.jobs, "uncalibrated.ini")}
                for result in count_unseen(count, folder, photos[KNOWN_PHOTOS:], options.jobs):
                    result["uncalibrated"] = uncalibrated.get(result["file"])
                    tallies[kind].add(result)
                    overall.add(result)
                    if options.misses and result["count"] != result["known"]:
                        print(f"  {folder}/{result['file']}: counted {result['count']}, known "
                              f"{result['known']}, flags {result['flags']}")
    finally:
        if not options.keep:
            shutil.rmtree(root, ignore_errors=True)

    print(f"{len(calibration_seconds)} stations, {KNOWN_PHOTOS} known photos and {options.photos} unseen each; "
          f"seed {options.seed}; {time.time() - started:.0f} s, a calibration "
          f"{sum(calibration_seconds) / len(calibration_seconds):.1f} s of processor time on average")
    print(header())
    for kind in kinds:
        print(tallies[kind].row(kind))
    print(overall.row("overall"))
    print("exact: unseen photos counted exactly; recall: misses flagged; precision: flags on misses;\n"
          "unflagged: unflagged counts that are exact; second: second counts that are exact;\n"
          "2nd raw: second counts without calibration (no thickness known) that are exact")


if __name__ == "__main__":
    main()
