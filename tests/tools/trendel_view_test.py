"""The chart viewer on a real X server: the window shows exactly what the
library draws on a headless window for the same pointer position, follows
resizing and edits of its definition, keeps the last good chart after a bad
edit, and saves with S.

It runs only on the display named by TRENDEL_TEST_DISPLAY (the viewer tier of
tools/run-tests.sh starts an Xvfb server for it) and is skipped otherwise, so
that it never takes over a person's screen and pointer. The pointer is moved
with xdotool, the window photographed with ImageMagick's import, and pictures
are decoded with Pillow. Waits are for lines the viewer prints (--stats) or for
the window's title, each with a time limit.
"""

import json
import os
import queue
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import unittest

from PIL import Image, ImageChops

VIEWER = os.environ["TRENDEL_VIEW"]
TRACKED_RENDERING = os.environ["TRENDEL_TRACKED_RENDERING"]
RENDER = os.environ["TRENDEL_RENDER"]
SKIPPED = 77
WAIT_SECONDS = 20

CHART = {
    "title": "Viewer test",
    "categoryAxisTitle": "Month",
    "valueAxisTitle": "Units",
    "legendTitle": "Region",
    "seriesNames": ["North", "South", "East"],
    "categoryNames": ["Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug"],
    "values": [[12, 15, 11, 18, 21, 19, 25, 23],
               [7, None, 9, 12, 10, 14, 13, 16],
               [3, 5, 8, 6, 9, 11, 10, 12]],
    "showGrid": True,
}


def xdotool(*arguments):
    return subprocess.run(["xdotool", *arguments], check=True, capture_output=True,
                          text=True, timeout=WAIT_SECONDS).stdout.strip()


def wait_until(condition, what):
    deadline = time.monotonic() + WAIT_SECONDS
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(0.05)
    raise AssertionError(f"gave up waiting for {what}")


def first_difference(actual, expected):
    """None when the pictures are equal, else where and how they differ."""
    if actual.size != expected.size:
        return f"size {actual.size}, expected {expected.size}"
    box = ImageChops.difference(actual, expected).getbbox()
    if box is None:
        return None
    for y in range(box[1], box[3]):
        for x in range(box[0], box[2]):
            if actual.getpixel((x, y)) != expected.getpixel((x, y)):
                return (f"first difference at ({x}, {y}): {actual.getpixel((x, y))}, "
                        f"expected {expected.getpixel((x, y))}; differences within {box}")
    return f"differences within {box}"


class RunningViewer:
    """One viewer process, its output lines as they come, and its window."""

    def __init__(self, directory, *arguments, size=(480, 360)):
        self.process = subprocess.Popen(
            [VIEWER, *arguments, "--stats", "--size", f"{size[0]}x{size[1]}"],
            cwd=directory, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        self.lines = queue.Queue()
        self.seen = []
        threading.Thread(target=self._read, daemon=True).start()
        try:
            self.wait_for_line("drawn ")
            self.window = wait_until(
                lambda: subprocess.run(["xdotool", "search", "--pid", str(self.process.pid)],
                                       capture_output=True, text=True).stdout.split(),
                "the viewer's window")[0]
        except AssertionError:
            self.process.kill()
            self.process.wait()
            raise

    def _read(self):
        for line in self.process.stdout:
            self.lines.put(line.rstrip("\n"))

    def wait_for_line(self, start):
        """The next line that begins with `start`; earlier lines are passed over."""
        deadline = time.monotonic() + WAIT_SECONDS
        while True:
            try:
                line = self.lines.get(timeout=max(0.0, deadline - time.monotonic()))
            except queue.Empty:
                raise AssertionError(f"no line starting {start!r}; output so far: {self.seen}")
            self.seen.append(line)
            if line.startswith(start):
                return line

    def move(self, x, y):
        xdotool("mousemove", "--window", self.window, str(x), str(y))
        return self.wait_for_line(f"moved {x},{y}:")

    def title(self):
        return xdotool("getwindowname", self.window)

    def wait_for_title(self, predicate, what):
        def matching_title():
            title = self.title()
            return title if predicate(title) else None
        return wait_until(matching_title, what)

    def key(self, name):
        xdotool("key", "--window", self.window, name)

    def screenshot(self, path):
        subprocess.run(["import", "-window", self.window, path], check=True, timeout=WAIT_SECONDS)
        with Image.open(path) as image:
            return image.convert("RGB")

    def close(self, key="q"):
        """Closes the viewer with the key and returns its exit status."""
        try:
            # The window may be gone before xdotool sends the key's release,
            # which it reports as a failure; the exit status is what counts.
            subprocess.run(["xdotool", "key", "--window", self.window, key],
                           capture_output=True, timeout=WAIT_SECONDS)
            return self.process.wait(timeout=WAIT_SECONDS)
        finally:
            if self.process.poll() is None:
                self.process.kill()
                self.process.wait()
            self.process.stdout.close()


class TrendelView(unittest.TestCase):
    def setUp(self):
        self.directory = tempfile.mkdtemp(prefix="trendel-view-")
        self.definition = self.path("chart.json")
        self.write_definition(CHART)
        self.viewer = None

    def tearDown(self):
        if self.viewer is not None:
            self.viewer.close()
        shutil.rmtree(self.directory, ignore_errors=True)

    def path(self, name):
        return os.path.join(self.directory, name)

    def write_definition(self, definition, path=None):
        # Written whole and renamed into place, as editors do, so that the
        # watch never reads half a file.
        path = path or self.definition
        with open(path + ".new", "w", encoding="utf-8") as file:
            file.write(definition if isinstance(definition, str)
                       else json.dumps(definition, ensure_ascii=False))
        os.replace(path + ".new", path)

    def start(self, *options, size=(480, 360)):
        self.viewer = RunningViewer(self.directory, self.definition, *options, size=size)
        return self.viewer

    def headless(self, name, size, *points, definition=None):
        """The library's own picture of the chart at that size after those moves."""
        output = self.path(name + ".ppm")
        subprocess.run([TRACKED_RENDERING, definition or self.definition, f"{size[0]}x{size[1]}",
                        output, *(f"{x},{y}" for x, y in points)], check=True, timeout=60)
        with Image.open(output) as image:
            return image.convert("RGB")

    def assertSamePicture(self, actual, expected, what):
        difference = first_difference(actual, expected)
        if difference is not None:
            actual.save(self.path("actual.png"))
            self.fail(f"{what}: {difference}")

    def test_the_window_shows_the_tracking_of_the_pointer(self):
        viewer = self.start()
        for x, y in [(200, 150), (380, 200), (150, 90)]:
            viewer.move(x, y)
            shown = viewer.screenshot(self.path("tracked.png"))
            self.assertSamePicture(shown, self.headless("tracked", (480, 360), (x, y)),
                                   f"pointer at {x},{y}")
        self.assertIsNotNone(first_difference(shown, self.headless("plain", (480, 360))),
                             "the pointer over the plot shows no tracking")

        # Off the plot but in the window, then out of the window: no tracking.
        viewer.move(3, 3)
        self.assertSamePicture(viewer.screenshot(self.path("corner.png")),
                               self.headless("plain", (480, 360)), "pointer off the plot")
        viewer.move(200, 150)
        xdotool("mousemove", "0", "0")
        viewer.wait_for_line("moved -1,-1:")
        self.assertSamePicture(viewer.screenshot(self.path("left.png")),
                               self.headless("plain", (480, 360)), "pointer out of the window")
        self.assertEqual(viewer.close("Escape"), 0)
        self.viewer = None

    def test_resizing_draws_at_the_new_size_under_the_same_pointer(self):
        viewer = self.start()
        viewer.move(300, 150)
        xdotool("windowsize", viewer.window, "400", "300")
        viewer.wait_for_line("drawn 400x300:")
        self.assertSamePicture(viewer.screenshot(self.path("smaller.png")),
                               self.headless("smaller", (400, 300), (300, 150)),
                               "after resizing to 400x300")
        xdotool("windowsize", viewer.window, "640", "420")
        viewer.wait_for_line("drawn 640x420:")
        self.assertSamePicture(viewer.screenshot(self.path("larger.png")),
                               self.headless("larger", (640, 420), (300, 150)),
                               "after resizing to 640x420")

    def test_watch_follows_edits_and_keeps_the_last_good_chart(self):
        viewer = self.start("--watch")
        self.assertEqual(viewer.title(), "Viewer test")
        viewer.move(250, 160)

        edited = dict(CHART, title="Edited", values=[[5] * 8, [9] * 8, [2] * 8])
        self.write_definition(edited)
        viewer.wait_for_line("reloaded ")
        viewer.wait_for_line("drawn 480x360:")
        self.assertEqual(viewer.title(), "Edited")
        good = viewer.screenshot(self.path("edited.png"))
        self.assertSamePicture(good, self.headless("edited", (480, 360), (250, 160)),
                               "after the edit")

        # A row one short, then a kind the library refuses: neither replaces
        # the chart, and each error shows in the title bar.
        self.write_definition(dict(edited, values=[[5] * 8, [9] * 7, [2] * 8]))
        viewer.wait_for_line("trendel-view: not reloaded: ")
        self.assertIn("chart.json: values[1]: expected 8 numbers or nulls", viewer.title())
        self.assertSamePicture(viewer.screenshot(self.path("bad.png")), good,
                               "after a bad edit")
        self.write_definition(dict(edited, kind="PIE_GRAPH"))
        viewer.wait_for_line("trendel-view: not reloaded: ")
        self.assertIn("refused the definition (code -2)", viewer.title())
        self.assertSamePicture(viewer.screenshot(self.path("refused.png")), good,
                               "after a refused edit")

        self.write_definition(CHART)
        viewer.wait_for_line("reloaded ")
        viewer.wait_for_line("drawn 480x360:")
        self.assertEqual(viewer.title(), "Viewer test")

    def test_reload_key_reads_the_file_again(self):
        viewer = self.start()
        # Beyond ASCII, so that the title's way through Xlib's character set shows.
        self.write_definition(dict(CHART, title="Umsätze – read again"))
        viewer.key("r")
        viewer.wait_for_line("reloaded ")
        viewer.wait_for_line("drawn ")
        self.assertEqual(viewer.title(), "Umsätze – read again")

    def test_save_key_writes_beside_the_input_without_overwriting(self):
        viewer = self.start("--save-format", "gif", size=(420, 300))
        viewer.move(200, 150)
        for expected in ["chart.gif", "chart-2.gif"]:
            viewer.key("s")
            line = viewer.wait_for_line("saved ")
            self.assertEqual(os.path.basename(line[len("saved "):]), expected)
            viewer.wait_for_title(lambda title: title.startswith("Saved " + expected),
                                  f"the title to name {expected}")
            with Image.open(self.path(expected)) as image:
                self.assertEqual((image.format, image.size), ("GIF", (420, 300)))
        # The notice goes again after a while.
        viewer.wait_for_title(lambda title: title == "Viewer test", "the notice to go")
        self.assertEqual(viewer.close(), 0)

        self.viewer = RunningViewer(self.directory, self.definition, "--save-format", "jpeg",
                                    size=(300, 200))
        self.viewer.key("s")
        saved = self.viewer.wait_for_line("saved ")[len("saved "):]
        self.assertTrue(saved.endswith("chart.jpg"), saved)
        with Image.open(saved) as image:
            self.assertEqual((image.format, image.size), ("JPEG", (300, 200)))
        self.assertEqual(sorted(name for name in os.listdir(self.directory)
                                if not name.endswith(".ppm")),
                         ["chart-2.gif", "chart.gif", "chart.jpg", "chart.json"])

    def test_csv_data_names_the_window_after_its_file_and_saves_beside_it(self):
        with open(self.path("sales.csv"), "w") as csv:
            csv.write("series,Jan,Feb,Mar\nNorth,1,2,\nSouth,3,,5\n")
        self.viewer = RunningViewer(self.directory, "--csv", "sales.csv", "--save-format", "bmp",
                                    size=(320, 240))
        self.assertEqual(self.viewer.title(), "sales.csv")
        self.viewer.key("s")
        saved = self.viewer.wait_for_line("saved ")[len("saved "):]
        self.assertEqual(saved, "sales.bmp")
        with Image.open(self.path(saved)) as image:
            self.assertEqual((image.format, image.size), ("BMP", (320, 240)))

    def test_a_bad_definition_at_the_start_fails_as_in_the_chart_command(self):
        self.write_definition(dict(CHART, values=[[1, 2], [3], [4]]))
        viewer = subprocess.run([VIEWER, "chart.json"], cwd=self.directory, capture_output=True,
                                text=True, timeout=WAIT_SECONDS)
        render = subprocess.run([RENDER, "chart.json", "-o", "chart.gif"], cwd=self.directory,
                                capture_output=True, text=True, timeout=WAIT_SECONDS)
        self.assertEqual((viewer.returncode, render.returncode), (2, 2))
        self.assertEqual(viewer.stderr.replace("trendel-view:", "trendel-render:"), render.stderr)
        self.assertEqual(viewer.stderr.count("\n"), 1)


if __name__ == "__main__":
    display = os.environ.get("TRENDEL_TEST_DISPLAY")
    if not display:
        print("skipped: set TRENDEL_TEST_DISPLAY to an X display the test may use")
        sys.exit(SKIPPED)
    os.environ["DISPLAY"] = display
    result = unittest.main(verbosity=2, exit=False).result
    # A test can fail and then err in its clean-up too; it counts once.
    failed = len({id(test) for test, _ in result.failures + result.errors})
    # The summary line the test tiers count (tools/count-test-results.py).
    print(f"trendel_view_test: {result.testsRun - failed} passed, {failed} failed")
    sys.exit(1 if failed else 0)
