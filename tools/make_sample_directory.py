#!/usr/bin/env python3
"""Writes resources/EME.DTA: a sample EME directory of made-up stations.

Every call sign uses the Q prefix, which is not allocated to any country (the
Q series is kept for the Q code), so no line names a real station. The
positions are spread over the world; the locator columns are computed from
the latitude and longitude columns with the program's own rule, so the two
always agree. A few damaged lines follow the good records for the
reader's tests. Run from the repository root:

    python3 tools/make_sample_directory.py
"""

import math
import pathlib

# (call, operator, town, region, post code, country, lat N+, lon W+, antenna, remark)
STATIONS = [
    ("QA1AA", "ARLO PENDRICK", "NORTHVALE", "NV", "10001", "ARVENIA", 45.50, 73.57, "4X12 YAGI", "500 W 2M EME"),
    ("QA1AB", "BRINA SOLVEY", "EASTMERE", "EM", "10002", "ARVENIA", 42.36, 71.06, "8X17 YAGI", "1 KW, JT65 AND CW"),
    ("QB2CD", "CORVIN HALE", "LOWFORD", "LF", "20450", "BELTORIA", 32.90, 96.80, "4X16 YAGI", "ONE KW"),
    ("QB2CE", "DELPHA ROOK", "MARSH END", "ME", "20451", "BELTORIA", 29.42, 95.36, "2X9 YAGI", "SMALL STATION"),
    ("QC3EF", "EVAN STROME", "PINE HOLLOW", "PH", "30900", "CALDERA", 47.61, 122.33, "3M DISH", "23CM AND 13CM"),
    ("QC3FG", "FENNA TULLO", "GREYCOVE", "GC", "30911", "CALDERA", 61.22, 149.90, "4X18 YAGI", "QRV MOONRISE"),
    ("QD4GH", "GARETH VOLL", "SUNREACH", "SR", "41200", "DORVALIA", 19.43, 99.13, "2X12 YAGI", "WEEKENDS ONLY"),
    ("QD4HI", "HESTER MARN", "COPPERFIELD", "CF", "41300", "DORVALIA", 21.31, 157.86, "5M DISH", "10 GHZ"),
    ("QE5IJ", "IVOR KESTLE", "RIVERBEND", "RB", "52000", "ESTERRA", -23.55, 46.63, "4X14 YAGI", "2M AND 70CM"),
    ("QE5JK", "JUNO PARRET", "CLIFFSIDE", "CS", "52100", "ESTERRA", -34.60, 58.38, "8X9 YAGI", "QRV DAILY"),
    ("QE5KL", "KASPER DWYNE", "SALT FLATS", "SF", "52200", "ESTERRA", -33.45, 70.66, "4X12 YAGI", "KW"),
    ("QF6LM", "LIORA BRISK", "HIGHGATE", "HG", "60010", "FALMOND", 51.50, 0.10, "4X17 YAGI", "1296 MHZ ALSO"),
    ("QF6MN", "MORTEN ASKE", "FJORDHAVEN", "FJ", "60020", "FALMOND", 59.91, -10.75, "6M DISH", "ALL BANDS"),
    ("QG7NO", "NERYS CALLOW", "STONEBRIDGE", "SB", "70300", "GRENDAL", 48.86, -2.35, "2X11 YAGI", "JT65 ONLY"),
    ("QG7OP", "ORSON BLYTHE", "WESTBROOK", "WB", "70400", "GRENDAL", 52.52, -13.40, "4X15 YAGI", "400 W"),
    ("QH8PQ", "PELLA DRAYKE", "SEAWATCH", "SW", "80500", "HALVARD", 38.72, 9.14, "3X10 YAGI", "PORTABLE"),
    ("QH8QR", "QUILL MADDOX", "OAKENSHAW", "OS", "80600", "HALVARD", 41.90, -12.50, "4X12 YAGI", "CW PREFERRED"),
    ("QJ9RS", "RHODA FENWICK", "DUNEHOLM", "DH", "90700", "JESSMAR", 30.04, -31.24, "2X14 YAGI", "EME NEWCOMER"),
    ("QJ9ST", "SILAS ORBEN", "CAPE LUMEN", "CL", "90800", "JESSMAR", -33.92, -18.42, "4X16 YAGI", "QRV 144 MHZ"),
    ("QK0TU", "TAMSIN VEYL", "HIGHVELD", "HV", "01900", "KORVATH", -1.29, -36.82, "4M DISH", "432 MHZ"),
    ("QK4AB", "UMBER HOLT", "MOUNTAIN GATE", "MG", "14000", "KORVATH", 55.75, -37.62, "8X19 YAGI", "BIG GUN"),
    ("QK4ABC", "VESNA ILLOW", "LAKESHORE", "LS", "14100", "KORVATH", 56.84, -60.61, "4X12 YAGI", "SAME PREFIX"),
    ("QL1BC", "WARDEN PIKE", "DESERT WELL", "DW", "21100", "LUMERA", 25.20, -55.27, "2X9 YAGI", "CW"),
    ("QL1CD", "XANTHE MOOR", "SPICE HARBOUR", "SH", "21200", "LUMERA", 19.08, -72.88, "4X14 YAGI", "JT65B"),
    ("QM2DE", "YORICK SAND", "TEA GARDENS", "TG", "31300", "MIRANDEL", 1.35, -103.82, "3M DISH", "2.3 GHZ"),
    ("QM2EF", "ZELIA CROFT", "BAMBOO FORD", "BF", "31400", "MIRANDEL", 39.90, -116.40, "4X18 YAGI", "QRV NIGHTS"),
    ("QN3FG", "ANSEL QUARRY", "CHERRY HILL", "CH", "41500", "NORVENT", 35.68, -139.69, "8X17 YAGI", "1 KW"),
    ("QN3GH", "BETHAN WREN", "KELP BAY", "KB", "41600", "NORVENT", -33.87, -151.21, "4X12 YAGI", "SOUTHERN SKY"),
    ("QP4HI", "CAEL DORRANCE", "FERNLEIGH", "FL", "51700", "PELLARIS", -36.85, -174.76, "2X14 YAGI", "2M"),
    ("QP4IJ", "DARIA VOSK", "ICE STATION", "IS", "51800", "PELLARIS", -77.85, -166.67, "4X9 YAGI", "SUMMER ONLY"),
    ("QR5JK", "EMRYS TALLOW", "ATOLL REST", "AR", "61900", "RANNOCK", -17.53, 149.57, "2X12 YAGI", "DXPEDITION"),
]

# Columns (0-based, inclusive) of a record; the line is 249 characters.
RECORD_WIDTH = 249


def place(line, column, text, width):
    text = text[:width]
    return line[:column] + text + line[column + len(text):]


def locator(lat, lon):
    """Six-character locator, longitude west positive; a position on a grid
    line belongs to the cell the line begins."""
    def count(subsquares):
        nearest = round(subsquares)
        snapped = nearest if abs(subsquares - nearest) < 1e-9 else subsquares
        return int(min(max(math.floor(snapped), 0), 18 * 240 - 1))
    across = count((180.0 - lon) * 12.0)
    up = count((lat + 90.0) * 24.0)
    return "".join([chr(65 + across // 240), chr(65 + up // 240),
                    chr(48 + across % 240 // 24), chr(48 + up % 240 // 24),
                    chr(65 + across % 24), chr(65 + up % 24)])


def record(call, name, town, region, post, country, lat, lon, antenna, remark,
           grid=None, phone=None):
    line = " " * RECORD_WIDTH
    line = place(line, 0, call, 11)
    line = place(line, 11, name, 20)
    line = place(line, 31, phone or "555-01" + str(sum(map(ord, call)) % 100).zfill(2), 14)
    line = place(line, 45, str(10 + sum(map(ord, name)) % 90) + " SAMPLE ROAD", 25)
    line = place(line, 70, "PO BOX " + str(sum(map(ord, town)) % 900 + 100), 25)
    line = place(line, 95, town, 24)
    line = place(line, 120, region, 2)
    line = place(line, 122, post, 10)
    line = place(line, 132, country, 14)
    line = place(line, 166, "%6.2f%s" % (abs(lat), "N" if lat >= 0 else "S"), 7)
    line = place(line, 173, "%7.2f%s" % (abs(lon), "W" if lon >= 0 else "E"), 8)
    line = place(line, 181, grid or locator(lat, lon), 6)
    line = place(line, 197, antenna, 12)
    line = place(line, 209, remark, 40)
    assert len(line) == RECORD_WIDTH
    return line


def main():
    lines = [record(*s) for s in STATIONS]
    # Damaged lines for the reader's tests; their calls all contain "BAD".
    short = record("QZ9BADA", "CUT SHORT", "NOWHERE", "NW", "0", "NOLAND", 10.0, 10.0, "", "")
    lines.append(short[:120].rstrip())                      # ends before the locator
    lines.append(record("QZ9BADB", "BAD FIELD", "NOWHERE", "NW", "0", "NOLAND", 10.0, 10.0,
                        "DIPOLE", "FIELD LETTERS BEYOND R", grid="ZZ55AA"))
    lines.append(record("QZ9BADC", "BAD SQUARE", "NOWHERE", "NW", "0", "NOLAND", 10.0, 10.0,
                        "DIPOLE", "LETTER WHERE A DIGIT BELONGS", grid="EMX2OV"))
    lines.append(record("QZ9BADD", "NO LOCATOR", "NOWHERE", "NW", "0", "NOLAND", 10.0, 10.0,
                        "DIPOLE", "BLANK LOCATOR", grid="      "))
    lines.append("\\ end of directory")
    lines.append(record("QZ9LATE", "NEVER READ", "AFTER END", "AE", "0", "NOLAND", 0.0, 0.0,
                        "", "AFTER THE BACKSLASH LINE"))
    out = pathlib.Path(__file__).resolve().parent.parent / "resources" / "EME.DTA"
    out.write_text("\n".join(lines) + "\n", encoding="ascii", newline="\n")


if __name__ == "__main__":
    main()
