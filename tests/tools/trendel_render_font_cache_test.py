"""The font file cache seen from outside: whatever state the cache is in
(empty, warm, damaged, naming the wrong files, stale after the configuration
changed, impossible to write, filled by several processes at once), the chart
comes out with exactly the pixels of a run without the cache."""

import glob
import os
import shutil
import subprocess
import tempfile
import time
import unittest

COMMAND = os.environ["TRENDEL_RENDER"]
CASES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "cases")
DEFINITION = os.path.join(CASES, "valid.json")
FONTS = "/usr/share/fonts/truetype/liberation2"


def age(path, seconds_ago):
    """Backdates a file so that the cache trusts its stamp."""
    moment = time.time() - seconds_ago
    os.utime(path, (moment, moment))


class FontFileCache(unittest.TestCase):
    def setUp(self):
        self.directory = tempfile.mkdtemp(prefix="trendel-font-cache-")
        self.cache = os.path.join(self.directory, "cache")
        # The configuration's folder is watched too: it holds nothing else.
        os.mkdir(os.path.join(self.directory, "configuration"))
        self.configuration = os.path.join(self.directory, "configuration", "fonts.conf")
        self.write_configuration('<include ignore_missing="no">/etc/fonts/fonts.conf</include>', 100)
        self.reference = self.render("reference.bmp", cache="")

    def tearDown(self):
        shutil.rmtree(self.directory)

    def write_configuration(self, body, seconds_ago):
        with open(self.configuration, "w") as out:
            out.write('<?xml version="1.0"?>\n<fontconfig>%s</fontconfig>\n' % body)
        age(self.configuration, seconds_ago)
        age(os.path.dirname(self.configuration), seconds_ago)

    def render(self, name, cache=None, expect_stderr=b""):
        """Renders the chart to a BMP and returns its bytes."""
        environment = dict(os.environ, FONTCONFIG_FILE=self.configuration,
                           TRENDEL_FONT_CACHE_DIR=self.cache if cache is None else cache)
        output = os.path.join(self.directory, name)
        result = subprocess.run([COMMAND, DEFINITION, "-o", output, "--size", "320x240"],
                                env=environment, capture_output=True, timeout=60)
        self.assertEqual(result.returncode, 0, result.stderr)
        if expect_stderr is not None:
            self.assertEqual(result.stderr, expect_stderr)
        with open(output, "rb") as image:
            return image.read()

    def cache_file(self):
        files = glob.glob(os.path.join(self.cache, "fonts-*.txt"))
        self.assertEqual(len(files), 1, files)
        return files[0]

    def read_cache(self):
        with open(self.cache_file()) as cache:
            return cache.read()

    def write_cache(self, text):
        with open(self.cache_file(), "w") as cache:
            cache.write(text)

    def test_cold_and_warm_runs_draw_the_same_pixels(self):
        self.assertEqual(self.render("cold.bmp"), self.reference)
        written = self.read_cache()
        self.assertIn("face\t400\t", written)
        self.assertIn("face\t700\t", written)
        self.assertIn("stamp\t1\t", written)
        self.assertEqual(self.render("warm.bmp"), self.reference)
        self.assertEqual(self.read_cache(), written)

    def test_a_damaged_cache_is_rewritten(self):
        self.render("cold.bmp")
        good = self.read_cache()
        for damaged in ["", "garbage\n", good[: len(good) // 2], "\0" * 100]:
            self.write_cache(damaged)
            self.assertEqual(self.render("damaged.bmp"), self.reference, repr(damaged[:20]))
            self.assertEqual(self.read_cache(), good)

    def test_a_cache_naming_the_wrong_file_cannot_change_the_face(self):
        self.render("cold.bmp")
        good = self.read_cache()
        regular = os.path.join(FONTS, "LiberationSans-Regular.ttf")
        bold = os.path.join(FONTS, "LiberationSans-Bold.ttf")
        self.assertIn(regular, good)
        wrong_files = {
            "swapped weights": good.replace(regular, "@").replace(bold, regular).replace("@", bold),
            "a face of other metrics": good.replace(regular, os.path.join(FONTS, "LiberationSerif-Regular.ttf")),
            "a missing file": good.replace(regular, os.path.join(self.directory, "gone.ttf")),
        }
        for name, text in wrong_files.items():
            self.write_cache(text)
            self.assertEqual(self.render("wrong.bmp"), self.reference, name)

    def test_a_changed_configuration_is_followed(self):
        self.render("cold.bmp")
        # A configuration whose only font folder is empty names no face at
        # all: the chart loses its text, as it does without a cache.
        empty = os.path.join(self.directory, "no-fonts")
        os.mkdir(empty)
        self.write_configuration("<dir>%s</dir><cachedir>%s</cachedir>" %
                                 (empty, os.path.join(self.directory, "fontconfig")), 50)
        without_fonts = self.render("without-fonts.bmp", cache="", expect_stderr=None)
        self.assertNotEqual(without_fonts, self.reference)
        self.assertEqual(self.render("stale.bmp", expect_stderr=None), without_fonts)
        self.write_configuration('<include ignore_missing="no">/etc/fonts/fonts.conf</include>', 20)
        self.assertEqual(self.render("restored.bmp"), self.reference)
        self.assertEqual(self.render("warm-again.bmp"), self.reference)

    def test_a_configuration_that_tests_the_program_is_not_cached(self):
        # The cache is shared by every program, so an answer that may
        # depend on the program's name is never kept.
        self.write_configuration('<include ignore_missing="no">/etc/fonts/fonts.conf</include>'
                                 '<match><test name="prgname"><string>other</string></test>'
                                 '<edit name="family"><string>Liberation Serif</string></edit></match>',
                                 100)
        self.assertEqual(self.render("program.bmp"), self.reference)
        self.assertFalse(os.path.exists(self.cache))

    def test_a_cache_that_cannot_be_written_is_harmless(self):
        blocker = os.path.join(self.directory, "plain-file")
        with open(blocker, "w") as out:
            out.write("a file where the cache folder should be")
        self.assertEqual(self.render("unwritable.bmp", cache=os.path.join(blocker, "cache")),
                         self.reference)

    def test_processes_starting_together_share_the_cache(self):
        environment = dict(os.environ, FONTCONFIG_FILE=self.configuration,
                           TRENDEL_FONT_CACHE_DIR=self.cache)
        outputs = [os.path.join(self.directory, "together-%d.bmp" % i) for i in range(4)]
        processes = [subprocess.Popen([COMMAND, DEFINITION, "-o", output, "--size", "320x240"],
                                      env=environment, stderr=subprocess.PIPE) for output in outputs]
        for process in processes:
            self.assertEqual(process.wait(timeout=60), 0, process.stderr.read())
            process.stderr.close()
        for output in outputs:
            with open(output, "rb") as image:
                self.assertEqual(image.read(), self.reference, output)
        self.assertEqual(os.listdir(self.cache), [os.path.basename(self.cache_file())])
        self.assertEqual(self.render("after.bmp"), self.reference)


if __name__ == "__main__":
    unittest.main()
