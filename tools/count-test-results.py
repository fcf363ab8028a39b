#!/usr/bin/python3
"""Count the results of a test tier in one line: "TIER: N passed, N failed".

usage: count-test-results.py TIER CTEST_JUNIT.xml [CROSS_CHECK_REPORT.txt]

A CTest test whose output ends in a GoogleTest summary line ("PROGRAM: N
passed, N failed", from tests/e2e/TestMain.cpp) counts with its test cases;
any other CTest test counts as one check, and so does the cross-check of the
builds when its report is given. Exits with 1 when anything failed.
"""
import re
import sys
import xml.etree.ElementTree as ElementTree

SUMMARY = re.compile(r"^\S+: (\d+) passed, (\d+) failed$", re.MULTILINE)


def count_ctest(path):
    passed = failed = 0
    for case in ElementTree.parse(path).getroot().iter("testcase"):
        ok = case.get("status") == "run" and case.find("failure") is None
        output = case.findtext("system-out") or ""
        summaries = SUMMARY.findall(output)
        if summaries:
            case_passed, case_failed = (int(value) for value in summaries[-1])
            passed += case_passed
            # A program that crashed or hung fails even where its cases did not.
            failed += case_failed if ok or case_failed else 1
        elif ok:
            passed += 1
        else:
            failed += 1
    return passed, failed


def main(tier, junit, report=None):
    passed, failed = count_ctest(junit)
    if report is not None:
        try:
            with open(report, encoding="utf-8") as text:
                verdict = "cross-check passed" in text.read()
        except OSError:
            verdict = False
        passed, failed = (passed + 1, failed) if verdict else (passed, failed + 1)
    print(f"{tier}: {passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    sys.exit(main(*sys.argv[1:]))
