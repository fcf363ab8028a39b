#!/usr/bin/python3
"""Count the results of a test tier in one line, and total the tiers.

usage: count-test-results.py TIER [CTEST_JUNIT.xml [CROSS_CHECK_REPORT.txt]]
                             [--passed N] [--failed N] [--skipped N] [--pytest]
       count-test-results.py --total SUMMARY

The first form prints "TIER: N passed, N failed" (", N skipped" when
something was skipped) and, when the environment names a summary file in
TRENDEL_TEST_SUMMARY, appends the line there; it exits with 1 when anything
failed. A CTest test whose output ends in a GoogleTest summary line
("PROGRAM: N passed, N failed", from tests/e2e/TestMain.cpp) counts with its
test cases; any other CTest test counts as one check, and so does the
cross-check of the builds when its report is given; a test CTest skipped
counts as skipped. --passed, --failed and --skipped add checks the caller
counted itself; skipped checks never count as passed. With --pytest the
JUnit file is pytest's: each test case counts once, and a case pytest
skipped counts as skipped.

The second form prints the total of a summary's lines as "N passed, N
failed" (", N skipped" when any) and exits with 1 when anything failed.
"""
import argparse
import os
import re
import sys
import xml.etree.ElementTree as ElementTree

SUMMARY = re.compile(r"^\S+: (\d+) passed, (\d+) failed$", re.MULTILINE)
TIER_LINE = re.compile(r"^.+: (\d+) passed, (\d+) failed(?:, (\d+) skipped)?$")


def count_ctest(path):
    passed = failed = skipped = 0
    for case in ElementTree.parse(path).getroot().iter("testcase"):
        # A test that told CTest it could not run here (SKIP_RETURN_CODE) is
        # skipped, never passed.
        if case.get("status") == "notrun" and case.find("skipped") is not None:
            skipped += 1
            continue
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
    return passed, failed, skipped


def count_pytest(path):
    passed = failed = skipped = 0
    for case in ElementTree.parse(path).getroot().iter("testcase"):
        if case.find("failure") is not None or case.find("error") is not None:
            failed += 1
        elif case.find("skipped") is not None:
            skipped += 1
        else:
            passed += 1
    return passed, failed, skipped


def cross_check_passed(report):
    try:
        with open(report, encoding="utf-8") as text:
            return "cross-check passed" in text.read()
    except OSError:
        return False


def counts_text(passed, failed, skipped):
    text = f"{passed} passed, {failed} failed"
    return text + f", {skipped} skipped" if skipped else text


def count_tier(arguments):
    passed, failed, skipped = arguments.passed, arguments.failed, arguments.skipped
    if arguments.junit is not None:
        counter = count_pytest if arguments.pytest else count_ctest
        try:
            junit_counts = counter(arguments.junit)
        except (OSError, ElementTree.ParseError) as error:
            # The runner did not run, or died while writing: one failed check.
            print(f"{arguments.junit}: {error}", file=sys.stderr)
            junit_counts = (0, 1, 0)
        passed, failed, skipped = (ours + theirs for ours, theirs in
                                   zip((passed, failed, skipped), junit_counts))
    if arguments.report is not None:
        if cross_check_passed(arguments.report):
            passed += 1
        else:
            failed += 1
    line = f"{arguments.tier}: {counts_text(passed, failed, skipped)}"
    print(line)
    summary = os.environ.get("TRENDEL_TEST_SUMMARY")
    if summary:
        with open(summary, "a", encoding="utf-8") as lines:
            lines.write(line + "\n")
    return 1 if failed else 0


def total(summary):
    passed = failed = skipped = 0
    with open(summary, encoding="utf-8") as lines:
        for line in lines:
            match = TIER_LINE.match(line.rstrip("\n"))
            if match is None:
                # A line nobody can read is a tier nobody can vouch for.
                failed += 1
                continue
            passed += int(match.group(1))
            failed += int(match.group(2))
            skipped += int(match.group(3) or 0)
    print(counts_text(passed, failed, skipped))
    return 1 if failed else 0


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--total":
        return total(sys.argv[2])
    parser = argparse.ArgumentParser(usage=__doc__)
    parser.add_argument("tier")
    parser.add_argument("junit", nargs="?")
    parser.add_argument("report", nargs="?")
    for option in ("--passed", "--failed", "--skipped"):
        parser.add_argument(option, type=int, default=0)
    parser.add_argument("--pytest", action="store_true")
    return count_tier(parser.parse_args())


if __name__ == "__main__":
    sys.exit(main())
