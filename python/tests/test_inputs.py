"""Lists, NumPy arrays, DataFrames, Series and dicts of the same data give
the same picture; missing values may be None or NaN."""

import math

import numpy
import pandas

import trendel
from conftest import SALES_CATEGORIES, SALES_SERIES, SALES_VALUES, rgb_bytes

SIZE = (320, 200)


def picture(data, **options):
    return rgb_bytes(trendel.Chart(data, **options).to_png(SIZE))


def test_every_input_form_gives_the_same_picture(sales_options):
    expected = picture(SALES_VALUES, categories=SALES_CATEGORIES, series=SALES_SERIES,
                       **sales_options)
    with_nan = [[math.nan if value is None else value for value in row] for row in SALES_VALUES]
    frame = pandas.DataFrame(dict(zip(SALES_SERIES, with_nan)), index=SALES_CATEGORIES)
    forms = {
        "tuples": (tuple(tuple(row) for row in SALES_VALUES),
                   {"categories": SALES_CATEGORIES, "series": SALES_SERIES}),
        "NumPy": (numpy.array(with_nan), {"categories": SALES_CATEGORIES, "series": SALES_SERIES}),
        "NumPy rows": ([numpy.array(row) for row in with_nan],
                       {"categories": SALES_CATEGORIES, "series": SALES_SERIES}),
        "dict": (dict(zip(SALES_SERIES, SALES_VALUES)), {"categories": SALES_CATEGORIES}),
        "DataFrame": (frame, {}),
        "DataFrame with nullable integers": (
            pandas.DataFrame({"North": [12.0, 18.0, 9.0, 14.5],
                              "South": pandas.array([7, None, 15, 11], dtype="Int64")},
                             index=SALES_CATEGORIES), {}),
        "infinity as missing": ([[12.0, 18.0, 9.0, 14.5], [7.0, math.inf, 15.0, 11.0]],
                                {"categories": SALES_CATEGORIES, "series": SALES_SERIES}),
    }
    for name, (data, names) in forms.items():
        assert picture(data, **names, **sales_options) == expected, name


def test_a_single_series_from_a_flat_list_a_1d_array_and_a_pandas_series():
    values = [3.0, 1.0, 4.0, 1.0, 5.0]
    labels = ["a", "b", "c", "d", "e"]
    expected = picture(values, categories=labels, series=["Pi"])
    assert picture(numpy.array(values), categories=labels, series=["Pi"]) == expected
    assert picture(pandas.Series(values, index=labels, name="Pi")) == expected


def test_default_names_and_names_the_data_brings():
    chart = trendel.Chart([[1, 2, 3], [4, 5, 6]])
    assert chart.categories == ("0", "1", "2")
    assert chart.series == ("Series 1", "Series 2")
    frame = pandas.DataFrame({"x": [1, 2]}, index=pandas.to_datetime(["2024-01-01", "2024-02-01"]))
    assert trendel.Chart(frame).categories == ("2024-01-01 00:00:00", "2024-02-01 00:00:00")
    assert trendel.Chart(frame, categories=["Jan", "Feb"]).categories == ("Jan", "Feb")


def test_options_change_the_picture(sales_options):
    plain = picture(SALES_VALUES, categories=SALES_CATEGORIES)
    for options in [{"title": "T"}, {"show_grid": True}, {"colors": ["#112233"]},
                    {"colors": [(1, 2, 3)]}, {"label_angle": 45}, {"step": 2.5},
                    {"step_count": 3}, {"range_min": -50}, {"range_max": 100},
                    {"sort_categories": True}, {"point_markers": False},
                    {"category_axis_title": "Month"}, {"value_axis_title": "Units"},
                    {"legend_title": "Region"}]:
        assert picture(SALES_VALUES, categories=SALES_CATEGORIES, **options) != plain, options
