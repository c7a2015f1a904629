#!/usr/bin/python3
"""Writes source_directions.csv: airless apparent topocentric azimuth and
elevation of radio sources and stars from PyEphem (Debian python3-ephem), an
independent reference for src/precise/radio_sources.

Run from this folder with the system Python that has ephem:
    /usr/bin/python3 make_source_directions.py [--count N] [--seed S]
"""
import argparse
import calendar
import datetime
import math
import random
import sys

import ephem

FIRST = calendar.timegm((1960, 1, 1, 0, 0, 0))
LAST = calendar.timegm((2099, 12, 31, 23, 59, 59))

# The catalogue the program holds: code, right ascension (h), declination
# (deg), all J2000. The quiet-sky point is the program's B1950 9.51 h
# +40.2 deg carried to J2000.
def hours(h, m, s):
    return h + m / 60.0 + s / 3600.0


def degrees(sign, d, m, s):
    return sign * (d + m / 60.0 + s / 3600.0)


CATALOGUE = [
    (1, 9.562098, 39.97758),
    (2, hours(23, 23, 24.0), degrees(1, 58, 48, 54.0)),
    (3, hours(13, 25, 27.6), degrees(-1, 43, 1, 8.8)),
    (4, hours(19, 59, 28.36), degrees(1, 40, 44, 2.1)),
    (5, hours(17, 45, 40.04), degrees(-1, 29, 0, 28.1)),
    (6, hours(5, 34, 31.94), degrees(1, 22, 0, 52.2)),
]
USER_STAR = 7


def direction(ra_hours, dec_deg, epoch, utc, lat, lon_west, height):
    observer = ephem.Observer()
    observer.lat = math.radians(lat)
    observer.lon = math.radians(-lon_west)  # PyEphem counts east positive
    observer.elevation = height
    observer.pressure = 0  # no refraction
    observer.date = ephem.Date(datetime.datetime.fromtimestamp(utc, datetime.timezone.utc)
                               .replace(tzinfo=None))
    body = ephem.FixedBody()
    body._ra = ephem.hours(math.radians(ra_hours * 15.0))
    body._dec = ephem.degrees(math.radians(dec_deg))
    body._epoch = ephem.J2000 if epoch == "J2000" else ephem.B1950
    body.compute(observer)
    return math.degrees(float(body.az)), math.degrees(float(body.alt))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--count", type=int, default=3000)
    parser.add_argument("--seed", type=int, default=20261208)
    parser.add_argument("--out", default="source_directions.csv")
    options = parser.parse_args()
    rng = random.Random(options.seed)
    with open(options.out, "w", encoding="ascii") as out:
        out.write("# made by make_source_directions.py --count %d --seed %d with PyEphem %s\n"
                  % (options.count, options.seed, ephem.__version__))
        out.write("source,ra_hours,dec_deg,epoch,utc,latitude,longitude_west,height_m,"
                  "azimuth_deg,elevation_deg\n")
        for i in range(options.count):
            if i % 2 == 0:
                code, ra, dec = CATALOGUE[(i // 2) % len(CATALOGUE)]
                epoch = "J2000"
            else:  # a user star anywhere on the sky, in either epoch
                code, epoch = USER_STAR, rng.choice(["J2000", "B1950"])
                ra = rng.uniform(0.0, 24.0)
                dec = math.degrees(math.asin(rng.uniform(-1.0, 1.0)))
            utc = rng.randint(FIRST, LAST)
            lat = math.degrees(math.asin(rng.uniform(-1.0, 1.0) * math.sin(math.radians(89))))
            lon_west = rng.uniform(-180.0, 180.0)
            height = rng.choice([0.0, rng.uniform(0.0, 4500.0)])
            az, el = direction(ra, dec, epoch, utc, lat, lon_west, height)
            out.write("%d,%.8f,%.8f,%s,%d,%.6f,%.6f,%.1f,%.7f,%.7f\n"
                      % (code, ra, dec, epoch, utc, lat, lon_west, height, az, el))
    return 0


if __name__ == "__main__":
    sys.exit(main())
