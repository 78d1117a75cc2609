#!/usr/bin/env python3
"""Counts passed, failed and skipped tests in CTest's JUnit files.

With --total, prints the overall closing line 'total: N passed, N failed, N skipped'."""
import sys
import xml.etree.ElementTree as ET


def count(path):
    passed = failed = skipped = 0
    try:
        root = ET.parse(path).getroot()
    except (OSError, ET.ParseError):
        return None
    for case in root.iter("testcase"):
        status = case.get("status", "run")
        if case.find("failure") is not None or case.find("error") is not None or status == "fail":
            failed += 1
        elif case.find("skipped") is not None or status in ("notrun", "disabled"):
            skipped += 1
        else:
            passed += 1
    return passed, failed, skipped


def main(argv):
    total = argv[:1] == ["--total"]
    paths = argv[1:] if total else argv
    sums = [0, 0, 0]
    missing = False
    for path in paths:
        counts = count(path)
        if counts is None:
            missing = True
            continue
        sums = [a + b for a, b in zip(sums, counts)]
    line = f"{sums[0]} passed, {sums[1] + (1 if missing else 0)} failed, {sums[2]} skipped"
    print(("total: " if total else "") + line)


if __name__ == "__main__":
    main(sys.argv[1:])
