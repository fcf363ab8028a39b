"""Trendel line graphs from Python, through ctypes.

A thin, complete wrapper of the library's six exports and of the headless
windows of the portable build::

    import trendel

    with trendel.HeadlessWindow(600, 400) as window:
        graph = trendel.Graph(window)
        graph.set_values(
            title="Sales", series_names=["North", "South"],
            category_names=["Jan", "Feb", "Mar"],
            values=[[12, 18, 9], [7, None, 15]], show_grid=True)
        graph.draw()
        graph.save("sales.gif", 800, 600)

Numbers are passed as floats, ``None`` is a missing value, colours are
``"#RRGGBB"`` strings or ``(red, green, blue)`` tuples. Every failure raises
``TrendelError`` with the library's result code.

The library is looked up in ``$TRENDEL_LIBRARY``, then by the system's usual
rules (``libtrendel.so.1``). Any thread may call at any time: the library
runs one call at a time, and ctypes lets other Python threads run meanwhile.
A save that writes nothing raises ``TrendelError`` with code -6; the file
that was there before is then left as it was.
"""

import ctypes
import math
import os
import threading

__all__ = ["TrendelError", "HeadlessWindow", "Graph", "MISSING_VALUE", "load_library"]

MISSING_VALUE = -1.7976931348623157e308

_RESULT_TEXTS = {
    -1: "the window cannot be bound or drawn into",
    -2: "no graph loaded, drawing disabled, or not a line graph",
    -3: "at least one series name is needed",
    -4: "at least one category name is needed",
    -5: "the value matrix is empty",
    -6: "nothing was saved",
}


class TrendelError(Exception):
    """A failure result of one of the library's calls."""

    def __init__(self, call, code):
        super().__init__(f"{call} failed with {code}: {_RESULT_TEXTS.get(code, 'unknown code')}")
        self.call = call
        self.code = code


_HWND = ctypes.c_void_p
_STRINGS = ctypes.POINTER(ctypes.c_char_p)


def _declare(library):
    """Gives every function of the library its C signature."""
    i32 = ctypes.c_int32
    signatures = {
        "Trendel_SetValues": [
            _HWND, ctypes.c_char_p, ctypes.c_char_p, i32, ctypes.c_char_p, ctypes.c_char_p,
            ctypes.c_char_p, _STRINGS, i32, ctypes.POINTER(ctypes.c_uint32), i32, i32,
            ctypes.c_double, ctypes.c_double, i32, ctypes.c_char_p, ctypes.c_double, i32, i32,
            _STRINGS, i32, ctypes.POINTER(ctypes.c_double), i32, i32],
        "Trendel_DrawGraph": [_HWND],
        "Trendel_MouseMove": [_HWND, i32, i32, i32],
        "Trendel_SetRedraw": [_HWND, i32],
        "Trendel_SaveFile": [_HWND, ctypes.c_char_p, i32, i32],
        "Trendel_Destroy": [_HWND],
        "TrendelHost_ResizeWindow": [_HWND, i32, i32],
        "TrendelHost_GetWindowSize": [_HWND, ctypes.POINTER(i32), ctypes.POINTER(i32)],
        "TrendelHost_ReadPixels": [_HWND, ctypes.POINTER(ctypes.c_uint32), i32, i32],
        "TrendelHost_DestroyWindow": [_HWND],
        "TrendelHost_SetActiveWindow": [_HWND],
        "TrendelHost_GetWindowText": [_HWND, ctypes.c_char_p, i32],
        "TrendelHost_GetClipboardSize": [ctypes.POINTER(i32), ctypes.POINTER(i32)],
        "TrendelHost_ReadClipboard": [ctypes.POINTER(ctypes.c_uint32), i32, i32],
    }
    for name, arguments in signatures.items():
        function = getattr(library, name)
        function.argtypes = arguments
        function.restype = i32
    library.TrendelHost_CreateWindow.argtypes = [i32, i32]
    library.TrendelHost_CreateWindow.restype = _HWND
    library.TrendelHost_GetCapture.argtypes = []
    library.TrendelHost_GetCapture.restype = _HWND
    return library


_library = None
_loading = threading.Lock()


def load_library(path=None):
    """Loads the library once, whichever thread asks first; later calls
    return the same handle."""
    global _library
    with _loading:
        if _library is None:
            _library = _declare(
                ctypes.CDLL(path or os.environ.get("TRENDEL_LIBRARY") or "libtrendel.so.1"))
    return _library


def _check(call, code):
    if code != 0:
        raise TrendelError(call, code)


def _text(value):
    return value.encode("utf-8") if isinstance(value, str) else value


def _texts(values):
    return (ctypes.c_char_p * len(values))(*[_text(value) for value in values])


def _color(value):
    """'#RRGGBB' or (r, g, b) as the library's 0x00BBGGRR."""
    if isinstance(value, str):
        if len(value) != 7 or value[0] != "#":
            raise ValueError(f"colour {value!r} is not written as '#RRGGBB'")
        red, green, blue = (int(value[i:i + 2], 16) for i in (1, 3, 5))
    else:
        red, green, blue = value
    return red | (green << 8) | (blue << 16)


def _number(value):
    if value is None:
        return MISSING_VALUE
    number = float(value)
    return number if math.isfinite(number) else MISSING_VALUE


class HeadlessWindow:
    """A window without a screen: something for the library to draw into."""

    def __init__(self, width, height):
        self._library = load_library()
        self.handle = self._library.TrendelHost_CreateWindow(width, height)
        if not self.handle:
            raise TrendelError("TrendelHost_CreateWindow", -1)

    def __enter__(self):
        return self

    def __exit__(self, *exception):
        self.close()

    def close(self):
        if self.handle:
            self._library.Trendel_Destroy(self.handle)
            self._library.TrendelHost_DestroyWindow(self.handle)
            self.handle = None

    @property
    def size(self):
        width, height = ctypes.c_int32(), ctypes.c_int32()
        _check("TrendelHost_GetWindowSize",
               self._library.TrendelHost_GetWindowSize(self.handle, width, height))
        return width.value, height.value

    def resize(self, width, height):
        _check("TrendelHost_ResizeWindow",
               self._library.TrendelHost_ResizeWindow(self.handle, width, height))

    def read_pixels(self):
        """The client area as rows of 0xRRGGBB integers, top row first."""
        width, height = self.size
        buffer = (ctypes.c_uint32 * (width * height))()
        _check("TrendelHost_ReadPixels",
               self._library.TrendelHost_ReadPixels(self.handle, buffer, width, height))
        return [list(buffer[y * width:(y + 1) * width]) for y in range(height)]

    def activate(self):
        _check("TrendelHost_SetActiveWindow", self._library.TrendelHost_SetActiveWindow(self.handle))

    @property
    def text(self):
        buffer = ctypes.create_string_buffer(256)
        _check("TrendelHost_GetWindowText",
               self._library.TrendelHost_GetWindowText(self.handle, buffer, len(buffer)))
        return buffer.value.decode("utf-8", "replace")

    @property
    def has_capture(self):
        return self._library.TrendelHost_GetCapture() == self.handle


class Graph:
    """The graph of one window: define it, draw it, track the mouse, save it."""

    def __init__(self, window):
        self._library = load_library()
        self._window = window.handle if isinstance(window, HeadlessWindow) else window

    def set_values(self, *, series_names, category_names, values, title="", label_angle=0,
                   category_axis_title="", value_axis_title="", legend_title="",
                   series_colors=(), sort_categories=False, range_min=0.0, range_max=0.0,
                   show_grid=False, scale_mode="", step=0.0, step_count=0, point_markers=True,
                   kind="LINE_GRAPH"):
        """Defines the graph; values has one row per series, one entry per category."""
        columns = max((len(row) for row in values), default=0)
        matrix = (ctypes.c_double * (len(values) * columns))(
            *[_number(row[c]) if c < len(row) else MISSING_VALUE for row in values for c in range(columns)])
        colors = (ctypes.c_uint32 * len(series_colors))(*[_color(c) for c in series_colors])
        _check("Trendel_SetValues", self._library.Trendel_SetValues(
            self._window, _text(kind), _text(title), int(label_angle), _text(category_axis_title),
            _text(value_axis_title), _text(legend_title), _texts(series_names), len(series_names),
            colors, len(series_colors), int(bool(sort_categories)), float(range_min),
            float(range_max), int(bool(show_grid)), _text(scale_mode), float(step),
            int(step_count), int(bool(point_markers)), _texts(category_names), len(category_names),
            matrix, len(values), columns))

    def draw(self):
        _check("Trendel_DrawGraph", self._library.Trendel_DrawGraph(self._window))

    def mouse_move(self, x, y):
        self._library.Trendel_MouseMove(self._window, 0, int(x), int(y))

    def set_redraw(self, enabled):
        _check("Trendel_SetRedraw", self._library.Trendel_SetRedraw(self._window, int(bool(enabled))))

    def save(self, file_name, width, height):
        """Saves as GIF, JPEG or BMP by the name's extension. An existing file
        is replaced only by a complete one."""
        _check("Trendel_SaveFile", self._library.Trendel_SaveFile(
            self._window, _text(os.fspath(file_name)), int(width), int(height)))

    def copy_to_clipboard(self, width, height):
        _check("Trendel_SaveFile", self._library.Trendel_SaveFile(self._window, b"", int(width), int(height)))
