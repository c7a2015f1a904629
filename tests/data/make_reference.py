#!/usr/bin/env python3
"""Writes the reference tables of this folder with swetest (Debian packages
swetest and swe-basic-data). Run from this folder: ./make_reference.py

swetest conventions (see the README): east longitudes positive; azimuth from
south, westward (180 is added here); directions apparent, distances with
-true (geometric).
"""
import calendar
import re
import subprocess
import time

# name, latitude (north +), longitude (WEST +, as the program counts them)
SITES = [
    ("houston", 29.42, 95.36),
    ("london", 51.5, 0.1),
    ("sydney", -33.9, -151.2),
    ("tromso", 69.65, -18.96),
    ("quito", -0.22, 78.5),
    ("tokyo", 35.7, -139.7),
]

# UTC moments, spread over the supported years.
MOMENTS = [
    (1955, 3, 21, 6, 0, 0),
    (1987, 7, 4, 18, 30, 0),
    (2000, 1, 1, 12, 0, 0),
    (2024, 10, 17, 3, 15, 0),
    (2061, 7, 28, 21, 0, 0),
    (2093, 12, 31, 9, 45, 0),
]


def swetest(args):
    out = subprocess.run(["swetest", *args, "-head"], capture_output=True, text=True, check=True)
    return out.stdout


def date_args(m):
    y, mo, d, h, mi, s = m
    return [f"-b{d}.{mo}.{y}", f"-ut{h}:{mi:02d}:{s:02d}"]


def seconds(m):
    return calendar.timegm(m)


def position_rows(body, planet):
    rows = []
    for name, lat, lon in SITES:
        for m in MOMENTS:
            east = -lon
            topo = swetest(["-p" + planet, "-fih", f"-topo{east},{lat},0", *date_args(m)]).split()
            geo = swetest(["-p" + planet, "-fadw", "-true", *date_args(m)]).split()
            azimuth = (float(topo[0]) + 180.0) % 360.0
            rows.append(f"{body},{name},{seconds(m)},{lat},{lon},{azimuth:.4f},{float(topo[1]):.4f},"
                        f"{float(geo[0]) / 15:.5f},{float(geo[1]):.4f},{float(geo[2]):.1f}")
    return rows


EVENT = re.compile(r"(rise|set)\s+(\d+)\.(\d+)\.(\d+)\s+(\d+):(\d+):(\d+(?:\.\d+)?)")


def crossing_rows(body, planet):
    rows = []
    for name, lat, lon in SITES:
        for m in MOMENTS[1:5]:
            start = seconds(m)
            # Events of the day before the start and the next three days.
            text = swetest(["-p" + planet, "-rise", "-norefrac", "-disccenter",
                            f"-geopos{-lon},{lat},0", "-n4", *date_args(m)])
            events = []
            for kind, d, mo, y, h, mi, s in EVENT.findall(text):
                t = calendar.timegm((int(y), int(mo), int(d), int(h), int(mi), 0)) + float(s)
                if t > start:
                    events.append((t, kind))
            if not events:
                continue  # no crossing within the days asked for (polar day or night)
            t, kind = min(events)
            rows.append(f"{body},{name},{start},{lat},{lon},{kind},{t:.1f}")
    return rows


def main():
    with open("swetest_positions.csv", "w") as f:
        f.write("# body,site,utc_seconds,latitude,west_longitude,azimuth_deg,elevation_deg,"
                "geocentric_ra_hours,geocentric_dec_deg,geocentric_distance_km\n")
        for row in position_rows("moon", "1") + position_rows("sun", "0"):
            f.write(row + "\n")
    with open("swetest_crossings.csv", "w") as f:
        f.write("# body,site,start_utc_seconds,latitude,west_longitude,event,event_utc_seconds\n")
        for row in crossing_rows("moon", "1") + crossing_rows("sun", "0"):
            f.write(row + "\n")


if __name__ == "__main__":
    main()
