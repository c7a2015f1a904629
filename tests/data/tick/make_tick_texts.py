#!/usr/bin/env python3
"""Writes tick_texts.tsv: the 21 main-window texts of one tick for many
stations, moments and views, as `kelvora-cli tick --json` shows them.

The table pins the window's texts: a change to the figures behind one text
must leave every other text as it was. Run from this folder with the build's
tool: ./make_tick_texts.py ../../../build/cli/kelvora-cli [--count N] [--seed S]
The tool runs in an empty scratch folder, so no settings file is read.
"""
import argparse
import calendar
import json
import os
import random
import subprocess
import sys
import tempfile

FIRST = calendar.timegm((1902, 1, 1, 0, 0, 0))
LAST = calendar.timegm((2098, 12, 31, 0, 0, 0))
COLUMNS = ["clock", "home", "gmt_offset", "time_offset", "station2", "source", "star", "flags"]


def case(rng):
    home = "%.4f,%.4f" % (rng.uniform(-85, 85), rng.uniform(-180, 180))
    station2 = ""
    pick = rng.random()
    if pick < 0.6:
        station2 = "%.4f,%.4f" % (rng.uniform(-85, 85), rng.uniform(-180, 180))
    elif pick < 0.7:  # on the equator or the zero meridian: no two-station figure
        station2 = rng.choice(["0,%.4f" % rng.uniform(-180, 180), "%.4f,0" % rng.uniform(-85, 85)])
    star = "%.3f,%.2f" % (rng.uniform(0, 24), rng.uniform(-90, 90)) if rng.random() < 0.2 else ""
    source = str(rng.randint(1, 7)) if rng.random() < 0.5 else ""
    flags = "".join(f for f, p in (("k", 0.5), ("s", 0.15), ("v", 0.3)) if rng.random() < p)
    return {"clock": str(rng.randint(FIRST, LAST)), "home": home,
            "gmt_offset": str(rng.randint(-12, 12)),
            "time_offset": str(rng.choice([0, 0, rng.randint(-86400 * 30, 86400 * 30)])),
            "station2": station2, "source": source, "star": star, "flags": flags}


def texts(tool, folder, c):
    args = [tool, "tick", "--json", "--clock", c["clock"], "--home", c["home"],
            "--gmt-offset", c["gmt_offset"], "--time-offset", c["time_offset"]]
    for option, key in (("--station2", "station2"), ("--source", "source"), ("--star", "star")):
        if c[key]:
            args += [option, c[key]]
    args += [flag for f, flag in (("k", "--km"), ("s", "--sky-map"), ("v", "--sun-view"))
             if f in c["flags"]]
    out = subprocess.run(args, cwd=folder, check=True, capture_output=True, text=True).stdout
    return [t["text"] for t in sorted(json.loads(out)["texts"], key=lambda t: t["number"])]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("tool")
    parser.add_argument("--count", type=int, default=1300)
    parser.add_argument("--seed", type=int, default=20261208)
    parser.add_argument("--out", default="tick_texts.tsv")
    options = parser.parse_args()
    options.tool = os.path.abspath(options.tool)
    rng = random.Random(options.seed)
    with tempfile.TemporaryDirectory() as folder, \
            open(options.out, "w", encoding="utf-8") as out:
        out.write("# made by make_tick_texts.py --count %d --seed %d\n"
                  % (options.count, options.seed))
        out.write("\t".join(COLUMNS + ["text%d" % n for n in range(1, 22)]) + "\n")
        for _ in range(options.count):
            c = case(rng)
            row = [c[k] for k in COLUMNS] + texts(options.tool, folder, c)
            assert all("\t" not in field and "\n" not in field for field in row)
            out.write("\t".join(row) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
