"""The chart command end to end: formats by extension, standard input, CSV,
and nothing half-written when a save fails. Images are decoded with Pillow."""

import io
import os
import subprocess
import sys
import tempfile
import unittest

from PIL import Image

COMMAND = os.environ["TRENDEL_RENDER"]
CASES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "cases")
DEFINITION = os.path.join(CASES, "valid.json")


def render(*arguments, stdin=None):
    return subprocess.run([COMMAND, *arguments], input=stdin, capture_output=True, timeout=60)


class TrendelRender(unittest.TestCase):
    def setUp(self):
        self.directory = tempfile.mkdtemp(prefix="trendel-render-")

    def path(self, name):
        return os.path.join(self.directory, name)

    def test_the_extension_picks_the_format(self):
        for name, format_name in [("a.gif", "GIF"), ("b.GIF", "GIF"), ("c.jpg", "JPEG"),
                                  ("d.JPEG", "JPEG"), ("e.bmp", "BMP"), ("f.png", "PNG"), ("F.PNG", "PNG"),
                                  ("g", "BMP")]:
            result = render(DEFINITION, "-o", self.path(name), "--size", "321x123")
            self.assertEqual(result.returncode, 0, result.stderr)
            with Image.open(self.path(name)) as image:
                self.assertEqual(image.format, format_name, name)
                self.assertEqual(image.size, (321, 123), name)

    def test_standard_input_and_csv(self):
        with open(DEFINITION, "rb") as definition:
            result = render("-", "-o", self.path("stdin.gif"), stdin=definition.read())
        self.assertEqual(result.returncode, 0, result.stderr)
        with Image.open(self.path("stdin.gif")) as image:
            self.assertEqual(image.size, (800, 600))

        with open(self.path("data.csv"), "w") as csv:
            csv.write("series,Jan,Feb,Mar\nNorth,1,2,\nSouth,3,,5\n")
        settings = self.path("settings.json")
        with open(settings, "w") as json_file:
            json_file.write('{"title": "From CSV", "showGrid": true}')
        result = render(settings, "--csv", self.path("data.csv"), "-o", self.path("csv.jpg"))
        self.assertEqual(result.returncode, 0, result.stderr)
        with Image.open(self.path("csv.jpg")) as image:
            self.assertEqual(image.format, "JPEG")

    def test_a_failed_save_leaves_nothing_behind(self):
        blocker = self.path("not-a-directory")
        with open(blocker, "w") as file:
            file.write("a file where the output directory should be")
        result = render(DEFINITION, "-o", os.path.join(blocker, "chart.gif"))
        self.assertEqual(result.returncode, 3)
        self.assertIn("could not be written", result.stderr.decode())
        self.assertEqual(sorted(os.listdir(self.directory)), ["not-a-directory"])

    def test_a_failed_save_keeps_the_previous_file(self):
        output = self.path("chart.gif")
        result = render(DEFINITION, "-o", output, "--size", "200x100")
        self.assertEqual(result.returncode, 0, result.stderr)
        with open(output, "rb") as previous:
            before = previous.read()
        # Wider than a GIF can describe: the writer refuses it.
        result = render(DEFINITION, "-o", output, "--size", "70000x10")
        self.assertEqual(result.returncode, 3)
        with open(output, "rb") as kept:
            self.assertEqual(kept.read(), before)
        self.assertEqual(os.listdir(self.directory), ["chart.gif"])

    def test_standard_output_takes_the_picture_through_a_pipe(self):
        result = render(DEFINITION, "-o", "/dev/stdout", "--size", "120x80")
        self.assertEqual(result.returncode, 0, result.stderr)
        with Image.open(io.BytesIO(result.stdout)) as image:
            self.assertEqual(image.format, "BMP")
            self.assertEqual(image.size, (120, 80))
        pipeline = subprocess.run(
            "'%s' '%s' -o /dev/stdout --size 64x48 | cat > '%s'"
            % (COMMAND, DEFINITION, self.path("piped.bmp")),
            shell=True, capture_output=True, timeout=60)
        self.assertEqual(pipeline.returncode, 0, pipeline.stderr)
        with Image.open(self.path("piped.bmp")) as image:
            self.assertEqual(image.size, (64, 48))

    def test_bad_input_leaves_no_output(self):
        result = render(os.path.join(CASES, "bad-row.json"), "-o", self.path("x.gif"))
        self.assertEqual(result.returncode, 2)
        self.assertEqual(os.listdir(self.directory), [])


if __name__ == "__main__":
    unittest.main(verbosity=2)
