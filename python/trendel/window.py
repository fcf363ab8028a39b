"""HeadlessWindow: the lower level for interactive hosts.

A headless window is a client area in memory that the library draws into as
into a real window: show a chart in it, forward mouse moves to get the
tracking line and value box, and read the pixels back.
"""

import ctypes
from typing import Any, List, Optional, Tuple, Union

from . import _data, _saving
from ._library import LOCK, TrendelError, check, library
from .chart import Chart, Size


class HeadlessWindow:
    """A window without a screen, ``width`` x ``height`` pixels, white until
    something is drawn. Use it as a context manager, or call ``close``."""

    def __init__(self, width: int, height: int) -> None:
        width, height = _data.size((width, height), "width, height")
        self._library = library()
        with LOCK:
            self._handle: Optional[int] = self._library.TrendelHost_CreateWindow(width, height)
        if not self._handle:
            raise TrendelError("TrendelHost_CreateWindow", -1)

    def __enter__(self) -> "HeadlessWindow":
        return self

    def __exit__(self, *exception: Any) -> None:
        self.close()

    def __del__(self) -> None:
        # At interpreter exit the library may be gone already; the process
        # ending frees the window anyway.
        try:
            if getattr(self, "_handle", None):
                self.close()
        except Exception:
            pass

    def close(self) -> None:
        """Forgets the graph and destroys the window; later calls fail."""
        with LOCK:
            if self._handle:
                self._library.Trendel_Destroy(self._handle)
                self._library.TrendelHost_DestroyWindow(self._handle)
                self._handle = None

    @property
    def handle(self) -> int:
        """The window's handle, for calling the library directly."""
        if not self._handle:
            raise ValueError("the window is closed")
        return self._handle

    @property
    def size(self) -> Size:
        """The client area's (width, height)."""
        width, height = ctypes.c_int32(), ctypes.c_int32()
        with LOCK:
            check("TrendelHost_GetWindowSize",
                  self._library.TrendelHost_GetWindowSize(self.handle, ctypes.byref(width),
                                                          ctypes.byref(height)))
        return width.value, height.value

    def resize(self, width: int, height: int) -> None:
        """A new client area, white until the next ``draw``."""
        width, height = _data.size((width, height), "width, height")
        with LOCK:
            check("TrendelHost_ResizeWindow",
                  self._library.TrendelHost_ResizeWindow(self.handle, width, height))

    def show(self, chart: Chart) -> None:
        """Makes the chart this window's graph and draws it."""
        if not isinstance(chart, Chart):
            raise TypeError(f"chart: expected a trendel.Chart, got {type(chart).__name__}")
        with LOCK:
            chart.load_into(self.handle)
            self.draw()

    def draw(self) -> None:
        """Draws the graph again, as a host does when its window is painted."""
        with LOCK:
            check("Trendel_DrawGraph", self._library.Trendel_DrawGraph(self.handle))

    def mouse_move(self, x: int, y: int) -> None:
        """Forwards a mouse move (client pixels): over the plot the library
        draws the tracking line and the value box; outside it they go."""
        x = _data.whole_number(x, "x")
        y = _data.whole_number(y, "y")
        with LOCK:
            self._library.Trendel_MouseMove(self.handle, 0, x, y)

    def set_redraw(self, enabled: bool) -> None:
        """Allows or stops drawing (saving is not affected)."""
        enabled = _data.switch(enabled, "enabled")
        with LOCK:
            check("Trendel_SetRedraw", self._library.Trendel_SetRedraw(self.handle, int(enabled)))

    def pixels(self) -> Union[Any, List[List[int]]]:
        """The client area, top row first: with NumPy an array of shape
        (height, width, 3) of red, green and blue bytes; without it, rows of
        0xRRGGBB integers."""
        width, height = self.size
        try:
            import numpy
        except ImportError:
            numpy = None
        if numpy is None:
            buffer = (ctypes.c_uint32 * (width * height))()
        else:
            words = numpy.empty((height, width), dtype=numpy.uint32)
            buffer = words.ctypes.data_as(ctypes.POINTER(ctypes.c_uint32))
        with LOCK:
            check("TrendelHost_ReadPixels",
                  self._library.TrendelHost_ReadPixels(self.handle, buffer, width, height))
        if numpy is None:
            return [list(buffer[y * width:(y + 1) * width]) for y in range(height)]
        rgb = numpy.empty((height, width, 3), dtype=numpy.uint8)
        for channel, shift in enumerate((16, 8, 0)):
            rgb[:, :, channel] = (words >> shift) & 0xFF
        return rgb

    def activate(self) -> None:
        """Makes this the active window, whose text shows the pointer's
        position when no category is under it."""
        with LOCK:
            check("TrendelHost_SetActiveWindow",
                  self._library.TrendelHost_SetActiveWindow(self.handle))

    @property
    def text(self) -> str:
        """The window's text."""
        buffer = ctypes.create_string_buffer(1024)
        with LOCK:
            check("TrendelHost_GetWindowText",
                  self._library.TrendelHost_GetWindowText(self.handle, buffer, len(buffer)))
        return buffer.value.decode("utf-8", "replace")

    @property
    def has_capture(self) -> bool:
        """Whether the window holds the mouse capture (the pointer is in it)."""
        with LOCK:
            return self._library.TrendelHost_GetCapture() == self.handle

    def save(self, path: _saving.PathLike, size: Optional[Size] = None) -> None:
        """Saves the window's graph like ``Chart.save``, without the tracking
        overlay, at ``size`` or the window's own size."""
        _saving.extension_of(path)
        picture_size = self.size if size is None else _data.size(size)
        with LOCK:
            _saving.save(self._library, self.handle, path, picture_size)

    def to_png(self, size: Optional[Size] = None) -> bytes:
        """The window's graph as PNG bytes, at ``size`` or the window's size."""
        picture_size: Tuple[int, int] = self.size if size is None else _data.size(size)
        with LOCK:
            return _saving.encode_png(self._library, self.handle, picture_size)
