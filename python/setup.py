"""Builds the package with its own libtrendel.so.

The library is built from the clone this folder sits in (or from
$TRENDEL_SOURCE_DIR) with CMake: the shared library target only, Release,
in build/python of the clone, and copied into the package. The package is
therefore specific to this platform, not pure Python.
"""
import os
import shutil
import subprocess
from pathlib import Path

from setuptools import setup
from setuptools.command.build_py import build_py
from setuptools.dist import Distribution

PACKAGE_FOLDER = Path(__file__).resolve().parent
SOURCE = Path(os.environ.get("TRENDEL_SOURCE_DIR", PACKAGE_FOLDER.parent))
BUILD = SOURCE / "build" / "python"


def build_library():
    """Configures and builds the shared library; returns its path."""
    if not (SOURCE / "include" / "trendel.h").is_file():
        raise SystemExit(f"trendel: no Trendel source tree at {SOURCE} (set TRENDEL_SOURCE_DIR)")
    jobs = os.environ.get("TRENDEL_JOBS", str(os.cpu_count() or 1))
    subprocess.run(["cmake", "-S", str(SOURCE), "-B", str(BUILD), "-DCMAKE_BUILD_TYPE=Release",
                    "-DTRENDEL_BUILD_TESTS=OFF", "-DTRENDEL_BUILD_TOOLS=OFF"], check=True)
    subprocess.run(["cmake", "--build", str(BUILD), "--target", "trendel", "-j", jobs], check=True)
    return BUILD / "src" / "api" / "libtrendel.so"


class BuildWithLibrary(build_py):
    """The Python files, and the library beside them."""

    def run(self):
        super().run()
        library = build_library()
        target = Path(self.build_lib) / "trendel" / "libtrendel.so"
        target.parent.mkdir(parents=True, exist_ok=True)
        # The file itself, not the symbolic link the build names it by.
        shutil.copyfile(library.resolve(), target)


class PlatformDistribution(Distribution):
    """A wheel that carries a shared library is tagged with the platform."""

    def has_ext_modules(self):
        return True


setup(cmdclass={"build_py": BuildWithLibrary}, distclass=PlatformDistribution)
