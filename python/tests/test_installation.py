"""The package as installed: imported from outside the clone, with the
library it carries."""

import os
from pathlib import Path

import trendel


def test_imports_the_installed_package_with_its_library():
    package = Path(trendel.__file__).resolve().parent
    if os.environ.get("TRENDEL_EXPECT_INSTALLED"):
        assert "site-packages" in package.parts
        assert not os.environ.get("TRENDEL_LIBRARY")
        assert Path(trendel.library_path()) == package / "libtrendel.so"
    assert Path.cwd().resolve() != package.parent


def test_renders_from_another_folder(tmp_path, monkeypatch):
    monkeypatch.chdir(tmp_path)
    trendel.Chart([1, 3, 2], title="Anywhere").save("chart.png", size=(120, 90))
    assert (tmp_path / "chart.png").read_bytes().startswith(b"\x89PNG\r\n\x1a\n")


def test_trendel_library_names_another_library(monkeypatch):
    monkeypatch.setenv("TRENDEL_LIBRARY", "/somewhere/else/libtrendel.so")
    assert trendel.library_path() == "/somewhere/else/libtrendel.so"
