#!/usr/bin/env python3
"""How often calibrated settings count unseen photos exactly, and how well the check flags
the counts that are not; on synthetic stations, on operators' photos drawn like real ones,
and on the real photos of ../shared/real-photos.

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

Operators' photos are phone photos (shrunk to 1512 x 1134) drawn with what the field throws at the
second look, one kind per station: a stack beside others on a busy background, a stack
that fills the frame, textured faces (flutes, plies, folded boxes), thin sheets under
wrap, outdoor light, a camera at an angle (keystone), boards of mixed thickness. Where the
stack runs past the frame, the boards of which at least half shows are the ones to count.

Real photos: each station of the folder's manifest.json is calibrated on its photos
marked as calibration photos and counts the others; printed per station are the share
each count (the rules', the second look's) gets exact, within one board, and with no
count at all, and the processor time per photo. The folder is for testing inside the
team only: it is read where it lies, never copied. Without it, that part is skipped.

Usage: bench/accuracy.py BIN_DIR [--quick] [--stations N] [--photos N] [--seed N]
                         [--jobs N] [--keep DIR] [--misses] [--real DIR] [--only PART]
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
OPERATOR_KINDS = ("beside", "filled", "texture", "thin", "outdoor", "keystone", "mixed")
OPERATOR_SIZE = (1512, 1134)
REAL_PHOTOS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "shared", "real-photos")
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


def operator_station_of(kind, rng):
    """What every photo of an operator's station shares: its camera, light and boards."""
    station = {"kind": kind, "board_rows": rng.randint(14, 40), "gap_rows": rng.randint(2, 6),
               "noise": rng.randint(8, 18), "board_level": rng.randint(140, 215), "seed": rng.randint(1, 10**6)}
    if kind == "thin":
        station.update(board_rows=rng.randint(3, 8), gap_rows=rng.randint(1, 2), wrap=rng.choice((0, 20, 40)))
    if kind == "texture":
        station["face"] = rng.choice(("flutes", "double-flutes", "rounded", "plies"))
        station["board_rows"] = rng.randint(24, 48)
    if kind == "beside":
        station.update(background=rng.choice(("plain", "wall", "gravel")), background_level=rng.randint(15, 200),
                       neighbour=rng.choice(("pallet", "stack")))
    if kind == "outdoor":
        station.update(sky=rng.randint(5, 20), shadow=rng.randint(20, 50), light_slope=rng.randint(-35, 35))
    if kind == "mixed":
        station["mixed"] = f"{station['board_rows'] - rng.randint(4, 8)},{station['board_rows'] + rng.randint(6, 14)}"
    return station


def operator_photo_of(station, rng):
    """One operator's photo of the station: how many boards, where the stack stands, how it lies."""
    width, height = OPERATOR_SIZE
    kind, board, gap = station["kind"], station["board_rows"], station["gap_rows"]
    pitch = board + gap + (8 if kind == "mixed" else 0)
    most = max(4, int(0.8 * height / pitch))
    options = {"width": width, "height": height, "board-rows": board, "gap-rows": gap,
               "noise": station["noise"], "board-level": station["board_level"], "tilt": round(rng.uniform(-20, 20), 1),
               "quality": rng.randint(80, 95), "seed": rng.randint(1, 10**6),
               "boards": rng.randint(max(3, most // 3), most)}
    left, right = round(rng.uniform(0.05, 0.3), 2), round(rng.uniform(0.65, 0.95), 2)
    if kind == "beside":
        options.update({"stack-left": left, "stack-right": right, "background": station["background"],
                        "background-level": station["background_level"], "neighbour": station["neighbour"],
                        "bearers": rng.randint(0, 3)})
    elif kind == "filled":
        over = rng.randint(0, board)
        options.update({"margin-top": -over, "margin-bottom": -rng.randint(0, board), "stack-left": -20,
                        "stack-right": width + 20, "boards": int(height / (board + gap)) + 2})
    elif kind == "texture":
        options["face"] = station["face"]
        if station["face"] == "plies":
            options["plies"] = rng.randint(3, 7)
        if "flutes" in station["face"]:
            options["flute-ends"] = True
    elif kind == "thin":
        options.update({"boards": rng.randint(20, min(180, int(0.8 * height / (board + gap)))),
                        "wrap": station["wrap"], "stack-left": left, "stack-right": right})
    elif kind == "outdoor":
        options.update({"background": "gravel", "background-level": rng.randint(90, 160),
                        "floor-level": rng.randint(100, 170), "sky": station["sky"], "shadow": station["shadow"],
                        "light-slope": station["light_slope"], "stack-left": left, "stack-right": right})
    elif kind == "keystone":
        options.update({"keystone": round(rng.uniform(-25, 25), 1), "keystone-vertical": round(rng.uniform(-15, 15), 1),
                        "stack-left": left, "stack-right": right})
    elif kind == "mixed":
        options.update({"mixed-rows": station["mixed"], "mixed-order": rng.choice(("random", "runs", "cycle"))})
    return options


def command_line(options):
    arguments = []
    for key, value in options.items():
        arguments += ["--" + key] if value is True else ["--" + key, str(value)]
    return arguments


def make_photos(make_photo, station, count, folder, rng):
    """The station's photos and the boards each shows; a recipe the generator refuses
    (mixed boards that happen not to fit the frame) is drawn again."""
    photos = []
    operator = station["kind"] in OPERATOR_KINDS
    while len(photos) < count:
        options = operator_photo_of(station, rng) if operator else photo_of(station, rng)
        name = f"{len(photos):02d}.jpg"
        made = run([make_photo, *command_line(options), "--print-layout", os.path.join(folder, name)], check=False)
        if made.returncode != 0:
            if operator:
                continue
            sys.exit(f"tamrex-make-photo refused {options}: {made.stderr.strip()}")
        photos.append((name, boards_shown(json.loads(made.stdout), options)))
    return photos


def boards_shown(layout, options):
    """The boards of which at least half shows in the photo, in its middle column: a sliver
    at the photo's edge is not a board a person would count."""
    height, gap = options["height"], options["gap-rows"]
    shown, start = 0, layout["first_board_row"]
    for rows in layout["board_rows"]:
        inside = min(start + rows, height) - max(start, 0)
        shown += inside >= rows / 2
        start += rows + gap
    return shown


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


class RealTally:
    """One real station's counts of its photos that calibration did not see."""

    def __init__(self):
        self.photos = self.rules_exact = self.rules_near = self.rules_none = 0
        self.second_exact = self.second_near = self.second_none = self.misses_flagged = self.misses = 0
        self.seconds = 0.0

    def add(self, known, line):
        rules, second = line.get("count"), line.get("second_count")
        self.photos += 1
        self.rules_exact += rules == known
        self.rules_near += rules is not None and abs(rules - known) <= 1
        self.rules_none += rules is None
        self.second_exact += second == known
        self.second_near += second is not None and abs(second - known) <= 1
        self.second_none += second is None
        if rules != known:
            self.misses += 1
            self.misses_flagged += bool(line.get("flags")) or rules is None

    def row(self, name):
        n = self.photos
        return (f"{name:14} {n:6} {share(self.rules_exact, n):>7} {share(self.rules_near, n):>7} "
                f"{share(self.rules_none, n):>7} {share(self.second_exact, n):>7} {share(self.second_near, n):>7} "
                f"{share(self.second_none, n):>7} {share(self.misses_flagged, self.misses, ratio=True):>7} "
                f"{self.seconds / max(n, 1):>7.2f}")


def real_header():
    return (f"{'station':14} {'photos':>6} {'exact':>7} {'near':>7} {'none':>7} {'2nd':>7} {'2nd nr':>7} "
            f"{'2nd no':>7} {'flagged':>7} {'s/photo':>7}")


def real_stations(folder):
    with open(os.path.join(folder, "manifest.json")) as listing:
        entries = json.load(listing)
    stations = {}
    for entry in entries:
        stations.setdefault(entry["station"], []).append(entry)
    return stations


def measure_real(count, folder, jobs, scratch, misses):
    """Calibrates each station on its marked photos and counts the others."""
    tallies, overall = {}, RealTally()
    for station, entries in real_stations(folder).items():
        known = [(os.path.join(folder, e["file"]), e["count"]) for e in entries if e.get("calibration_photo")]
        unseen = [(os.path.join(folder, e["file"]), e["count"]) for e in entries if not e.get("calibration_photo")]
        if not known or not unseen:
            continue
        ini = os.path.join(scratch, f"{station}.ini")
        arguments = [count, "calibrate", "-j", str(jobs), "--write-ini", ini]
        for photo, boards in known:
            arguments += ["--known", f"{photo}={boards}"]
        run(arguments)
        tally = tallies[station] = RealTally()
        started = children_cpu_seconds()
        finished = run([count, "--ini", ini, "--json", "-j", str(jobs), *[photo for photo, _ in unseen]])
        tally.seconds = children_cpu_seconds() - started
        overall.seconds += tally.seconds
        lines = [json.loads(line) for line in finished.stdout.splitlines() if line.strip()]
        for (photo, boards), line in zip(unseen, lines):
            tally.add(boards, line)
            overall.add(boards, line)
            if misses and line.get("second_count") != boards:
                print(f"  {photo}: known {boards}, counted {line.get('count')}, second look "
                      f"{line.get('second_count')} {line.get('second_look_error', '')}")
    return tallies, overall


def report_real(count, options):
    if not os.path.isfile(os.path.join(options.real, "manifest.json")):
        print(f"\nReal photos: skipped, no manifest.json in {options.real} (give another folder with --real)")
        return
    scratch = tempfile.mkdtemp(prefix="tamrex-real-")
    try:
        tallies, overall = measure_real(count, options.real, options.jobs, scratch, options.misses)
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    print(f"\nReal photos of {options.real}: calibrated on each station's marked photos, counting the others")
    print(real_header())
    for station, tally in tallies.items():
        print(tally.row(station))
    print(overall.row("overall"))
    print("exact, near (within one board), none (no count): the rules' count; 2nd, 2nd nr, 2nd no: the second\n"
          "look's; flagged: the rules' misses that carry a flag; s/photo: processor seconds per photo")


def measure_synthetic(count, make_photo, kinds, stations, options, rng, root):
    tallies = {kind: Tally() for kind in kinds}
    overall = Tally()
    calibration_seconds = []
    for kind in kinds:
        for number in range(stations):
            folder = os.path.join(root, f"{kind}-{number}")
            os.makedirs(folder, exist_ok=True)
            station = operator_station_of(kind, rng) if kind in OPERATOR_KINDS else station_of(kind, rng)
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
                if options.misses and (result["count"] != result["known"] or result["second"] != result["known"]):
                    print(f"  {folder}/{result['file']}: known {result['known']}, counted {result['count']}, "
                          f"second look {result['second']}, flags {result['flags']}")
    return tallies, overall, calibration_seconds


def report_synthetic(title, count, make_photo, kinds, stations, options, rng):
    root = options.keep or tempfile.mkdtemp(prefix="tamrex-accuracy-")
    started = time.time()
    try:
        tallies, overall, calibration_seconds = measure_synthetic(count, make_photo, kinds, stations, options, rng, root)
    finally:
        if not options.keep:
            shutil.rmtree(root, ignore_errors=True)
    print(f"\n{title}: {len(calibration_seconds)} stations, {KNOWN_PHOTOS} known photos and {options.photos} "
          f"unseen each; seed {options.seed}; {time.time() - started:.0f} s, a calibration "
          f"{sum(calibration_seconds) / len(calibration_seconds):.1f} s of processor time on average")
    print(header())
    for kind in kinds:
        print(tallies[kind].row(kind))
    print(overall.row("overall"))
    print("exact: unseen photos counted exactly; recall: misses flagged; precision: flags on misses;\n"
          "unflagged: unflagged counts that are exact; second: second counts that are exact;\n"
          "2nd raw: second counts without calibration (no thickness known) that are exact")


def arguments():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("bin", help="the build's bin folder, holding tamrex-count and tamrex-make-photo")
    parser.add_argument("--quick", action="store_true", help="one station of each kind, six unseen photos")
    parser.add_argument("--stations", type=int, default=6, help="synthetic stations of each kind (default 6)")
    parser.add_argument("--operator-stations", type=int, default=2,
                        help="operators' stations of each kind (default 2; their photos are larger)")
    parser.add_argument("--photos", type=int, default=12, help="unseen photos per station (default 12)")
    parser.add_argument("--seed", type=int, default=1, help="the same seed makes the same stations")
    parser.add_argument("--jobs", type=int, default=2, help="threads for tamrex-count (default 2)")
    parser.add_argument("--keep", help="make the stations in this folder and keep them")
    parser.add_argument("--misses", action="store_true", help="list every photo counted wrong")
    parser.add_argument("--real", default=os.path.normpath(REAL_PHOTOS),
                        help="the folder of real photos with their manifest.json (default ../shared/real-photos)")
    parser.add_argument("--only", choices=("synthetic", "operators", "real"), help="run one part only")
    options = parser.parse_args()
    if options.quick:
        options.stations, options.operator_stations, options.photos = 1, 1, 6
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
    if options.only in (None, "synthetic"):
        report_synthetic("Synthetic stations", count, make_photo, kinds, options.stations, options, rng)
    if options.only in (None, "operators"):
        report_synthetic("Operators' photos", count, make_photo, list(OPERATOR_KINDS), options.operator_stations,
                         options, rng)
    if options.only in (None, "real"):
        report_real(count, options)


if __name__ == "__main__":
    main()
