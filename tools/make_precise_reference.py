#!/usr/bin/env python3
"""Writes tests/data/precise/reference.csv: moon and sun figures from swetest.

swetest (Debian package `swetest`, with the JPL-fitted ephemeris files of
`swe-basic-data`) is an independent reference for the accurate figures. It
is run once per moment and station; nothing of it is linked into the
program. See tests/data/precise/README.md for what each column holds.

Usage: tools/make_precise_reference.py [--count N] [--seed S] [--out PATH]
"""

import argparse
import datetime
import math
import random
import subprocess
import sys

FIRST = datetime.datetime(1980, 1, 1, tzinfo=datetime.timezone.utc)
LAST = datetime.datetime(2040, 12, 31, 23, 59, 59, tzinfo=datetime.timezone.utc)
STEP = 30  # seconds either side for the central differences


def swetest(moment, args):
    """Runs swetest from `moment` (UTC, read by swetest as UT1) and returns
    the comma-separated fields of each output line."""
    when = ["-b%d.%d.%d" % (moment.day, moment.month, moment.year),
            "-ut%02d:%02d:%02d" % (moment.hour, moment.minute, moment.second)]
    out = subprocess.run(["swetest", *when, "-head", "-g,", *args],
                         check=True, capture_output=True, text=True).stdout
    return [[field.strip() for field in line.split(",")]
            for line in out.splitlines() if line.strip()]


def rate(lines):
    """Central difference of three distances (km) STEP seconds apart, m/s."""
    before, _, after = (float(line[-1]) for line in lines)
    return (after - before) * 1000.0 / (2 * STEP)


def row(utc, lat, lon_west, height):
    moment = datetime.datetime.fromtimestamp(utc, datetime.timezone.utc)
    earlier = moment - datetime.timedelta(seconds=STEP)
    topo = "-topo%.6f,%.6f,%.1f" % (-lon_west, lat, height)
    # Apparent directions (light-time, aberration, nutation; no refraction).
    # swetest counts azimuth from the south, westward: add 180 for north.
    sun, moon = swetest(moment, ["-p01", topo, "-fih"])
    # Geometric (-true) distances, topocentric and geocentric, at
    # t - STEP, t, t + STEP.
    topo_lines = swetest(earlier, ["-p1", topo, "-true", "-fw", "-n3", "-s%ds" % STEP])
    geo_lines = swetest(earlier, ["-p1", "-true", "-fw", "-n3", "-s%ds" % STEP])
    north = lambda south_based: (float(south_based) + 180.0) % 360.0
    return [utc, "%.6f" % lat, "%.6f" % lon_west, "%.1f" % height,
            "%.7f" % north(moon[0]), moon[1],
            topo_lines[1][-1], "%.5f" % rate(topo_lines),
            geo_lines[1][-1], "%.5f" % rate(geo_lines),
            "%.7f" % north(sun[0]), sun[1]]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--count", type=int, default=2000)
    parser.add_argument("--seed", type=int, default=20240612)
    parser.add_argument("--out", default="tests/data/precise/reference.csv")
    options = parser.parse_args()

    rng = random.Random(options.seed)
    first = int(FIRST.timestamp())
    last = int(LAST.timestamp())
    version = subprocess.run(["dpkg-query", "-W", "-f=${Version}", "swetest"],
                             capture_output=True, text=True).stdout or "unknown"
    with open(options.out, "w", encoding="ascii") as out:
        out.write("# made by tools/make_precise_reference.py --count %d --seed %d "
                  "with swetest %s\n" % (options.count, options.seed, version))
        out.write("utc,latitude,longitude_west,height_m,moon_azimuth,moon_elevation,"
                  "moon_distance_km,moon_range_rate_mps,moon_geocentric_distance_km,"
                  "moon_geocentric_range_rate_mps,sun_azimuth,sun_elevation\n")
        for _ in range(options.count):
            utc = rng.randint(first, last)
            # Even over the sphere up to 85 degrees of latitude.
            lat = math.degrees(math.asin(rng.uniform(-1.0, 1.0) * math.sin(math.radians(85))))
            lon_west = rng.uniform(-180.0, 180.0)
            height = rng.choice([0.0, 0.0, rng.uniform(0.0, 500.0), rng.uniform(0.0, 4500.0),
                                 rng.uniform(-430.0, 0.0)])
            out.write(",".join(str(field) for field in row(utc, lat, lon_west, height)) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
