"""Saving a window's graph: PNG through the library's PNG exports, GIF, JPEG
and BMP through Trendel_SaveFile. Callers hold the package's lock."""

import ctypes
import os
import tempfile
from pathlib import Path
from typing import Any, Tuple, Union

from ._library import check

PathLike = Union[str, "os.PathLike[str]"]

# Extension (lower case) to the name Trendel_SaveFile reads it by.
_SAVE_FILE_FORMATS = {".gif": ".gif", ".jpg": ".jpg", ".jpeg": ".jpg", ".bmp": ".bmp"}
FORMATS = ".png, .gif, .jpg, .jpeg or .bmp"


def encode_png(library: Any, handle: int, size: Tuple[int, int]) -> bytes:
    data = ctypes.POINTER(ctypes.c_uint8)()
    length = ctypes.c_size_t()
    check("TrendelHost_EncodePng",
          library.TrendelHost_EncodePng(handle, size[0], size[1], ctypes.byref(data),
                                        ctypes.byref(length)))
    try:
        return ctypes.string_at(data, length.value)
    finally:
        library.TrendelHost_FreePng(data)


def _save_file(library: Any, handle: int, path: str, size: Tuple[int, int]) -> None:
    """Trendel_SaveFile: it answers TRENDEL_SAVE_FAILED when nothing was
    saved, and replaces the file under `path` in one step."""
    check("Trendel_SaveFile", library.Trendel_SaveFile(handle, os.fsencode(path), *size))


def encode(library: Any, handle: int, extension: str, size: Tuple[int, int]) -> bytes:
    """The picture as the bytes of a file of the given extension."""
    if extension == ".png":
        return encode_png(library, handle, size)
    with tempfile.TemporaryDirectory(prefix="trendel-") as folder:
        path = os.path.join(folder, "chart" + _SAVE_FILE_FORMATS[extension])
        _save_file(library, handle, path, size)
        return Path(path).read_bytes()


def extension_of(path: PathLike) -> str:
    """The format's extension, lower case; ValueError for any other."""
    extension = os.path.splitext(os.fspath(path))[1].lower()
    if extension != ".png" and extension not in _SAVE_FILE_FORMATS:
        raise ValueError(f"path: {os.fspath(path)!r} does not end in {FORMATS}")
    return extension


def save(library: Any, handle: int, path: PathLike, size: Tuple[int, int]) -> None:
    """Writes the picture under `path`, whose extension picks the format.

    The name shows its old content or the whole new file: the library writes
    a staging file in the same folder and renames it over the name.
    """
    target = os.fspath(path)
    if isinstance(target, bytes):
        raise TypeError("path: expected a str or os.PathLike, got bytes")
    extension = extension_of(target)
    if extension == ".png":
        check("TrendelHost_SavePng",
              library.TrendelHost_SavePng(handle, os.fsencode(target), *size))
        return
    # Trendel_SaveFile makes the missing folders on the way.
    _save_file(library, handle, target, size)
