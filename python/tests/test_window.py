"""The headless window: drawing, mouse tracking, pixels, saving what it shows."""

import numpy

import trendel
from conftest import SALES_CATEGORIES, SALES_VALUES, decode


def test_mouse_tracking_changes_the_pixels_and_goes_again():
    chart = trendel.Chart(SALES_VALUES, categories=SALES_CATEGORIES, title="Tracked")
    with trendel.HeadlessWindow(400, 300) as window:
        assert (window.pixels() == 255).all()
        window.show(chart)
        drawn = window.pixels()
        assert drawn.shape == (300, 400, 3) and drawn.dtype == numpy.uint8
        window.mouse_move(200, 150)
        assert window.has_capture
        assert (window.pixels() != drawn).any()
        window.mouse_move(-5, 150)
        assert not window.has_capture
        assert (window.pixels() == drawn).all()


def test_saving_and_resizing_a_window(tmp_path):
    chart = trendel.Chart([[1, 5, 2]], title="Window")
    with trendel.HeadlessWindow(200, 100) as window:
        window.show(chart)
        assert decode(window.to_png()).size == (200, 100)
        window.resize(300, 120)
        assert window.size == (300, 120)
        assert (window.pixels() == 255).all()
        window.draw()
        assert decode(window.to_png()).convert("RGB").tobytes() == window.pixels().tobytes()
        window.save(tmp_path / "window.jpg", size=(90, 60))
        assert decode((tmp_path / "window.jpg").read_bytes()).size == (90, 60)
