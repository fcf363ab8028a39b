"""Wrong arguments raise TypeError or ValueError naming the argument, before
the library is called; failures of the library raise TrendelError."""

import numpy
import pandas
import pytest

import trendel

GOOD = [[1, 2, 3], [4, 5, 6]]

WRONG_DATA = [
    # (data, extra arguments, exception, words the message must hold)
    ([[1, 2, 3], [4, 5]], {}, ValueError, "data[1]: expected 3 values"),
    ([], {}, ValueError, "data: expected at least one series"),
    ([[]], {}, ValueError, "data: expected at least one series"),
    ({}, {}, ValueError, "data: expected at least one series"),
    ([1, "2", 3], {}, TypeError, "data[1]: expected a number or None, got str"),
    ([[1, 2], [3, True]], {}, TypeError, "data[1][1]: expected a number or None, got bool"),
    ([[1, 2], 3], {}, TypeError, "data[1]: expected a row of values"),
    ("123", {}, TypeError, "data: expected a list"),
    (42, {}, TypeError, "data: expected a list"),
    (numpy.zeros((2, 2, 2)), {}, ValueError, "data: expected a 1-D or 2-D array"),
    (numpy.array([["a", "b"]]), {}, TypeError, "data: expected an array of numbers"),
    (pandas.DataFrame({"x": ["a", "b"]}), {}, TypeError, "data['x']: expected a column of numbers"),
    (GOOD, {"categories": ["a", "b"]}, ValueError, "categories: expected 3 names, got 2"),
    (GOOD, {"series": ["only one"]}, ValueError, "series: expected 2 names, got 1"),
    (GOOD, {"series": "ab"}, TypeError, "series: expected a list of names"),
    (GOOD, {"categories": ["a", "b\0", "c"]}, ValueError, "categories[1]: a text cannot hold"),
]


@pytest.mark.parametrize("data, arguments, exception, message", WRONG_DATA)
def test_wrong_data_names_the_argument(data, arguments, exception, message):
    with pytest.raises(exception) as raised:
        trendel.Chart(data, **arguments)
    assert message in str(raised.value)


WRONG_OPTIONS = [
    ({"title": 5}, TypeError, "title: expected a str, got int"),
    ({"legend_title": b"x"}, TypeError, "legend_title: expected a str"),
    ({"colors": ["#12345"]}, ValueError, "colors[0]: '#12345' is not a colour"),
    ({"colors": ["#GG0000"]}, ValueError, "colors[0]: '#GG0000' is not a colour"),
    ({"colors": ["red"]}, ValueError, "colors[0]: 'red' is not a colour"),
    ({"colors": ["#FF0000", (1, 2)]}, ValueError, "colors[1]: expected (red, green, blue)"),
    ({"colors": [(1, 2, 256)]}, ValueError, "colors[0]: 256 is outside 0 to 255"),
    ({"colors": [(1.5, 2, 3)]}, TypeError, "colors[0]: expected whole numbers"),
    ({"colors": [0xFF0000]}, TypeError, "colors[0]: expected '#RRGGBB' or (red, green, blue)"),
    ({"colors": "#FF0000"}, TypeError, "colors: expected a list of colours, got one colour"),
    ({"colors": (255, 0, 0)}, TypeError, "colors: expected a list of colours, got one colour"),
    ({"label_angle": 4.5}, TypeError, "label_angle: expected a whole number"),
    ({"label_angle": 2**40}, ValueError, "label_angle: 1099511627776 does not fit in 32 bits"),
    ({"step_count": "3"}, TypeError, "step_count: expected a whole number"),
    ({"range_min": "0"}, TypeError, "range_min: expected a number"),
    ({"range_max": float("nan")}, ValueError, "range_max: expected a finite number"),
    ({"step": float("inf")}, ValueError, "step: expected a finite number"),
    ({"show_grid": 1}, TypeError, "show_grid: expected True or False"),
    ({"point_markers": "no"}, TypeError, "point_markers: expected True or False"),
    ({"size": (800,)}, TypeError, "size: expected (width, height)"),
    ({"size": (0, 600)}, ValueError, "size: each side must be from 1 to 32767"),
    ({"size": (800.0, 600)}, TypeError, "size: expected a whole number"),
]


@pytest.mark.parametrize("options, exception, message", WRONG_OPTIONS)
def test_wrong_options_name_the_argument(options, exception, message):
    with pytest.raises(exception) as raised:
        trendel.Chart(GOOD, **options)
    assert message in str(raised.value)


def test_wrong_save_arguments(tmp_path):
    chart = trendel.Chart(GOOD)
    with pytest.raises(ValueError, match=r"path: .* does not end in \.png, \.gif"):
        chart.save(tmp_path / "chart.tiff")
    with pytest.raises(ValueError, match="size: each side"):
        chart.to_png((10, 40000))
    with pytest.raises(TypeError, match="size: expected"):
        chart.save(tmp_path / "chart.png", size=800)
    assert list(tmp_path.iterdir()) == []


@pytest.mark.parametrize("name", ["chart.png", "chart.gif", "chart.jpg", "chart.bmp"])
def test_a_failed_save_raises_and_leaves_nothing(tmp_path, name):
    blocker = tmp_path / "not-a-folder"
    blocker.write_text("a file where a folder should be")
    with pytest.raises(trendel.TrendelError) as raised:
        trendel.Chart(GOOD).save(blocker / name, size=(50, 40))
    assert raised.value.code == -6
    assert raised.value.meaning == "nothing was saved"
    assert "-6" in str(raised.value)
    assert sorted(path.name for path in tmp_path.iterdir()) == ["not-a-folder"]


def test_library_failures_carry_code_and_meaning():
    with trendel.HeadlessWindow(40, 30) as window:
        with pytest.raises(trendel.TrendelError) as raised:
            window.draw()
    assert raised.value.code == -2
    assert raised.value.call == "Trendel_DrawGraph"
    assert "no graph loaded" in str(raised.value)
    with pytest.raises(ValueError, match="closed"):
        window.draw()
