#!/usr/bin/python3
"""Geocentric libration of the moon from PyEphem, for the libration test.

Writes libration.csv: one line per moment, drawn evenly from 1960 to 2099
with a random second inside each step (fixed seed), with PyEphem's
libration_lat and libration_long (degrees; the selenographic latitude and
longitude of the point under the earth's centre, optical and physical
libration together). Needs Debian's python3-ephem:

    /usr/bin/python3 tests/data/precise/make_libration_reference.py > tests/data/precise/libration.csv
"""
import datetime
import math
import random
import sys

import ephem

COUNT = 60
FIRST = -315619200  # 1960-01-01 00:00 UTC
LAST = 4102444799   # 2099-12-31 23:59:59 UTC


def main():
    rng = random.Random(20261208)
    step = (LAST - FIRST) // COUNT
    out = sys.stdout
    out.write("# PyEphem %s, geocentric libration; utc in seconds since 1970\n" % ephem.__version__)
    out.write("utc,libration_lat_deg,libration_long_deg\n")
    for i in range(COUNT):
        utc = FIRST + i * step + rng.randrange(step)
        when = datetime.datetime(1970, 1, 1) + datetime.timedelta(seconds=utc)
        moon = ephem.Moon(ephem.Date(when))
        out.write("%d,%.6f,%.6f\n" % (utc, math.degrees(moon.libration_lat),
                                      math.degrees(moon.libration_long)))


if __name__ == "__main__":
    main()
