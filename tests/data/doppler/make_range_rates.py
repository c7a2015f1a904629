#!/usr/bin/env python3
"""Writes range_rates.csv: the moon's geometric topocentric range rate at
stations worldwide, moon above the horizon, from swetest (Debian packages
swetest and swe-basic-data, whose moon is fitted to JPL's DE431).

Run from this folder: ./make_range_rates.py [--count N] [--seed S]
See README.md for the columns.
"""
import argparse
import calendar
import datetime
import math
import random
import subprocess
import sys

FIRST = calendar.timegm((1901, 1, 1, 0, 1, 0))
LAST = calendar.timegm((2099, 12, 31, 23, 59, 0))
STEP = 30  # seconds either side of the moment for the central difference


def swetest(utc, lat, lon_west):
    """Altitude (degrees) and geometric (-true) topocentric distance (km) at
    utc - STEP, utc, utc + STEP, for a station at height 0."""
    start = datetime.datetime.fromtimestamp(utc - STEP, datetime.timezone.utc)
    args = ["swetest", "-b%d.%d.%d" % (start.day, start.month, start.year),
            "-ut%02d:%02d:%02d" % (start.hour, start.minute, start.second),
            "-p1", "-topo%.6f,%.6f,0" % (-lon_west, lat), "-true", "-fhw",
            "-n3", "-s%ds" % STEP, "-head", "-g,"]
    out = subprocess.run(args, check=True, capture_output=True, text=True).stdout
    return [tuple(float(f) for f in line.split(",")) for line in out.splitlines() if line.strip()]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--count", type=int, default=2400)
    parser.add_argument("--seed", type=int, default=20261208)
    parser.add_argument("--out", default="range_rates.csv")
    options = parser.parse_args()
    rng = random.Random(options.seed)
    version = subprocess.run(["dpkg-query", "-W", "-f=${Version}", "swetest"],
                             capture_output=True, text=True).stdout or "unknown"
    rows = []
    while len(rows) < options.count:
        utc = rng.randint(FIRST, LAST)
        # Even over the sphere up to 85 degrees of latitude.
        lat = math.degrees(math.asin(rng.uniform(-1.0, 1.0) * math.sin(math.radians(85))))
        lon_west = rng.uniform(-180.0, 180.0)
        lines = swetest(utc, lat, lon_west)
        if len(lines) != 3 or lines[1][0] <= 0.0:
            continue  # moon below the horizon: not a moment the Doppler is shown
        rate = (lines[2][1] - lines[0][1]) * 1000.0 / (2 * STEP)
        rows.append("%d,%.6f,%.6f,%.4f,%.5f" % (utc, lat, lon_west, lines[1][0], rate))
    with open(options.out, "w", encoding="ascii") as out:
        out.write("# made by make_range_rates.py --count %d --seed %d with swetest %s\n"
                  % (options.count, options.seed, version))
        out.write("utc,latitude,longitude_west,elevation_deg,range_rate_mps\n")
        out.write("\n".join(rows) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
