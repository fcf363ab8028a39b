"""The shared library: finding it, its C signatures, result codes, the lock."""

import ctypes
import os
import threading
from pathlib import Path
from typing import Optional

MISSING_VALUE = -1.7976931348623157e308
"""The library's missing value, the lowest finite double."""

RESULT_MEANINGS = {
    -1: "the window cannot be bound or drawn into",
    -2: "no graph loaded, drawing disabled, or not a line graph",
    -3: "at least one series name is needed",
    -4: "at least one category name is needed",
    -5: "the value matrix is empty",
    -6: "nothing was saved",
}

SAVE_FAILED = -6

LOCK = threading.RLock()
"""Held around every use of the library.

The library keeps process-wide state (the point-marker switch set by every
load, the tracking state), so a load and the save after it must not be
interleaved with another thread's load; and until the library's exports take
a lock of their own, calls must not overlap at all. Every function of this
package holds this lock for the whole sequence of calls it makes.
"""


class TrendelError(RuntimeError):
    """A failure result of one of the library's calls.

    ``call`` names the export, ``code`` is its result code and ``meaning``
    what the code says.
    """

    def __init__(self, call: str, code: int) -> None:
        self.call = call
        self.code = code
        self.meaning = RESULT_MEANINGS.get(code, "unknown result code")
        super().__init__(f"{call} failed with {code}: {self.meaning}")


_HWND = ctypes.c_void_p
_STRINGS = ctypes.POINTER(ctypes.c_char_p)
_I32 = ctypes.c_int32

_SIGNATURES = {
    "Trendel_SetValues": (_I32, [
        _HWND, ctypes.c_char_p, ctypes.c_char_p, _I32, ctypes.c_char_p, ctypes.c_char_p,
        ctypes.c_char_p, _STRINGS, _I32, ctypes.POINTER(ctypes.c_uint32), _I32, _I32,
        ctypes.c_double, ctypes.c_double, _I32, ctypes.c_char_p, ctypes.c_double, _I32, _I32,
        _STRINGS, _I32, ctypes.POINTER(ctypes.c_double), _I32, _I32]),
    "Trendel_DrawGraph": (_I32, [_HWND]),
    "Trendel_MouseMove": (_I32, [_HWND, _I32, _I32, _I32]),
    "Trendel_SetRedraw": (_I32, [_HWND, _I32]),
    "Trendel_SaveFile": (_I32, [_HWND, ctypes.c_char_p, _I32, _I32]),
    "Trendel_Destroy": (_I32, [_HWND]),
    "TrendelHost_CreateWindow": (_HWND, [_I32, _I32]),
    "TrendelHost_ResizeWindow": (_I32, [_HWND, _I32, _I32]),
    "TrendelHost_GetWindowSize": (_I32, [_HWND, ctypes.POINTER(_I32), ctypes.POINTER(_I32)]),
    "TrendelHost_ReadPixels": (_I32, [_HWND, ctypes.POINTER(ctypes.c_uint32), _I32, _I32]),
    "TrendelHost_DestroyWindow": (_I32, [_HWND]),
    "TrendelHost_SetActiveWindow": (_I32, [_HWND]),
    "TrendelHost_GetWindowText": (_I32, [_HWND, ctypes.c_char_p, _I32]),
    "TrendelHost_GetCapture": (_HWND, []),
    "TrendelHost_SavePng": (_I32, [_HWND, ctypes.c_char_p, _I32, _I32]),
    "TrendelHost_EncodePng": (_I32, [_HWND, _I32, _I32,
                                     ctypes.POINTER(ctypes.POINTER(ctypes.c_uint8)),
                                     ctypes.POINTER(ctypes.c_size_t)]),
    "TrendelHost_FreePng": (None, [ctypes.POINTER(ctypes.c_uint8)]),
}

_library: Optional[ctypes.CDLL] = None


def library_path() -> str:
    """Where the library is loaded from.

    ``$TRENDEL_LIBRARY`` when set; else the copy installed with the package;
    else the system's usual search for ``libtrendel.so.1``.
    """
    override = os.environ.get("TRENDEL_LIBRARY")
    if override:
        return override
    bundled = Path(__file__).resolve().parent / "libtrendel.so"
    return str(bundled) if bundled.is_file() else "libtrendel.so.1"


def library() -> ctypes.CDLL:
    """The loaded library with every function's signature declared."""
    global _library
    with LOCK:
        if _library is None:
            loaded = ctypes.CDLL(library_path())
            for name, (result, arguments) in _SIGNATURES.items():
                function = getattr(loaded, name)
                function.restype = result
                function.argtypes = arguments
            _library = loaded
        return _library


def check(call: str, code: int) -> None:
    """Raises TrendelError for a failure result."""
    if code != 0:
        raise TrendelError(call, code)
