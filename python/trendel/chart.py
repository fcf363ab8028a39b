"""Chart: a line graph made from the caller's data, rendered on demand."""

import ctypes
from array import array
from contextlib import contextmanager
from typing import Any, Iterator, Optional, Sequence, Tuple

from . import _data, _saving
from ._library import LOCK, TrendelError, check, library

Size = Tuple[int, int]


def _c_texts(texts: Sequence[str]) -> "ctypes.Array[ctypes.c_char_p]":
    return (ctypes.c_char_p * len(texts))(*[value.encode("utf-8") for value in texts])


class Chart:
    """A line graph: one line per series over the categories.

    ``data`` is any of:

    - a pandas DataFrame: its index gives the categories, its columns the
      series (each column a line);
    - a pandas Series: one line over its index;
    - a NumPy array, 1-D (one line) or 2-D (one row per line);
    - a dict of series name to values;
    - a list of rows (one per line), or a flat list of numbers (one line).

    ``None``, NaN and infinities are missing values: the line has a gap
    there. ``categories`` and ``series`` name the categories and the lines;
    they replace the names a DataFrame brings, and default to ``"0"``,
    ``"1"``, ... and ``"Series 1"``, ``"Series 2"``, ... otherwise.

    Options, all keyword-only:

    - ``title``, ``category_axis_title``, ``value_axis_title``,
      ``legend_title``: texts.
    - ``colors``: colours of the first lines, each ``"#RRGGBB"`` or
      ``(red, green, blue)``; the other lines take the library's defaults.
    - ``label_angle``: degrees the category labels are turned
      counter-clockwise (0 keeps them horizontal).
    - ``sort_categories``: order the categories by label.
    - ``range_min``, ``range_max``: values the scale always includes; it
      widens to every value present.
    - ``show_grid``: dotted lines at the value ticks.
    - ``step``: a tick every ``step`` values; when None (the default), the
      range is divided into ``step_count`` steps instead.
    - ``point_markers``: a small circle at every point. The library applies
      the most recent chart's choice to every drawing.
    - ``size``: the (width, height) in pixels that ``save``, the ``to_*``
      methods and Jupyter use when given no size.

    A wrong type raises TypeError and a wrong value or shape ValueError,
    naming the argument; a failure of the library raises TrendelError.
    A chart is not changed after it is made, and can be rendered from any
    thread.
    """

    def __init__(self, data: Any, *, categories: Optional[Sequence[Any]] = None,
                 series: Optional[Sequence[Any]] = None, title: str = "",
                 category_axis_title: str = "", value_axis_title: str = "",
                 legend_title: str = "", colors: Sequence[_data.Color] = (),
                 label_angle: int = 0, sort_categories: bool = False,
                 range_min: float = 0.0, range_max: float = 0.0, show_grid: bool = False,
                 step: Optional[float] = None, step_count: int = 10,
                 point_markers: bool = True, size: Size = (800, 600)) -> None:
        self._table = _data.table(data, categories, series)
        self._title = _data.text(title, "title")
        self._category_axis_title = _data.text(category_axis_title, "category_axis_title")
        self._value_axis_title = _data.text(value_axis_title, "value_axis_title")
        self._legend_title = _data.text(legend_title, "legend_title")
        self._colors = _data.colors(colors, "colors")
        self._label_angle = _data.whole_number(label_angle, "label_angle")
        self._sort_categories = _data.switch(sort_categories, "sort_categories")
        self._range_min = _data.finite(range_min, "range_min")
        self._range_max = _data.finite(range_max, "range_max")
        self._show_grid = _data.switch(show_grid, "show_grid")
        self._step = None if step is None else _data.finite(step, "step")
        self._step_count = _data.whole_number(step_count, "step_count")
        self._point_markers = _data.switch(point_markers, "point_markers")
        self._size = _data.size(size)
        # The matrix stays with the chart: the library copies it on every load.
        self._values = array("d", self._table.values)
        self._arguments = self._library_arguments()

    @property
    def series(self) -> Tuple[str, ...]:
        """The series names, one per line."""
        return tuple(self._table.series_names)

    @property
    def categories(self) -> Tuple[str, ...]:
        """The category names, in the order given."""
        return tuple(self._table.category_names)

    @property
    def size(self) -> Size:
        """The default (width, height) of pictures."""
        return self._size

    def _library_arguments(self) -> Tuple[Any, ...]:
        """Trendel_SetValues' arguments after the window, made once."""
        table = self._table
        return (
            b"LINE_GRAPH", self._title.encode("utf-8"), self._label_angle,
            self._category_axis_title.encode("utf-8"), self._value_axis_title.encode("utf-8"),
            self._legend_title.encode("utf-8"), _c_texts(table.series_names), table.row_count,
            (ctypes.c_uint32 * len(self._colors))(*self._colors), len(self._colors),
            int(self._sort_categories), self._range_min, self._range_max, int(self._show_grid),
            b"BY_STEP" if self._step is not None else b"",
            self._step if self._step is not None else 0.0, self._step_count,
            int(self._point_markers), _c_texts(table.category_names), table.column_count,
            (ctypes.c_double * len(self._values)).from_buffer(self._values), table.row_count,
            table.column_count)

    def load_into(self, handle: int) -> None:
        """Defines this chart as the graph of a library window (a handle)."""
        with LOCK:
            check("Trendel_SetValues", library().Trendel_SetValues(handle, *self._arguments))

    @contextmanager
    def _loaded(self) -> Iterator[Tuple[Any, int]]:
        """A window holding this chart, for one save. Saves render at their
        own size, so the window itself is a single pixel."""
        loaded = library()
        with LOCK:
            handle = loaded.TrendelHost_CreateWindow(1, 1)
            if not handle:
                raise TrendelError("TrendelHost_CreateWindow", -1)
            try:
                self.load_into(handle)
                yield loaded, handle
            finally:
                loaded.Trendel_Destroy(handle)
                loaded.TrendelHost_DestroyWindow(handle)

    def _picture_size(self, size: Optional[Size]) -> Size:
        return self._size if size is None else _data.size(size)

    def save(self, path: _saving.PathLike, size: Optional[Size] = None) -> None:
        """Saves the chart; the extension picks the format: .png, .gif,
        .jpg or .jpeg, .bmp (any letter case). Missing folders are made.

        The file is replaced whole or not at all. TrendelError when nothing
        could be saved.
        """
        _saving.extension_of(path)
        picture_size = self._picture_size(size)
        with self._loaded() as (loaded, handle):
            _saving.save(loaded, handle, path, picture_size)

    def to_png(self, size: Optional[Size] = None) -> bytes:
        """The chart as a PNG file's bytes: lossless, 8-bit palette when it
        has at most 256 colours."""
        return self._encode(".png", size)

    def to_gif(self, size: Optional[Size] = None) -> bytes:
        """The chart as a GIF file's bytes (256 colours chosen for it)."""
        return self._encode(".gif", size)

    def to_jpeg(self, size: Optional[Size] = None) -> bytes:
        """The chart as a JPEG file's bytes (quality 100)."""
        return self._encode(".jpg", size)

    def to_bmp(self, size: Optional[Size] = None) -> bytes:
        """The chart as a BMP file's bytes (32 bits per pixel)."""
        return self._encode(".bmp", size)

    def _encode(self, extension: str, size: Optional[Size]) -> bytes:
        picture_size = self._picture_size(size)
        with self._loaded() as (loaded, handle):
            return _saving.encode(loaded, handle, extension, picture_size)

    def _repr_png_(self) -> bytes:
        """Jupyter shows the chart inline, at the chart's size."""
        return self.to_png()

    def __repr__(self) -> str:
        return (f"<trendel.Chart {self._title!r}: {self._table.row_count} series x "
                f"{self._table.column_count} categories>")
