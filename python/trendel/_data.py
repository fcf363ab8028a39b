"""Turning the caller's data and options into what the library takes.

Every check happens here, before the library is called, and names the
argument it is about. NumPy and pandas are looked at only when the caller's
data comes from them: neither is imported by this package.
"""

import math
import numbers
import sys
from dataclasses import dataclass
from typing import Any, List, Optional, Sequence, Tuple, Union

from ._library import MISSING_VALUE

Color = Union[str, Tuple[int, int, int]]
"""``"#RRGGBB"`` or ``(red, green, blue)`` with each part from 0 to 255."""

INT32_MAX = 2**31 - 1


@dataclass(frozen=True)
class Table:
    """Names and values as the library takes them: one row per series."""

    series_names: List[str]
    category_names: List[str]
    values: List[float]  # row by row, series j in category h at j * columns + h

    @property
    def row_count(self) -> int:
        return len(self.series_names)

    @property
    def column_count(self) -> int:
        return len(self.category_names)


def _type_name(value: Any) -> str:
    return type(value).__name__


def _module_object(module: str, name: str) -> Any:
    """A class of an already imported module, or None."""
    loaded = sys.modules.get(module)
    return getattr(loaded, name, None) if loaded is not None else None


def _is_instance(value: Any, module: str, name: str) -> bool:
    cls = _module_object(module, name)
    return cls is not None and isinstance(value, cls)


def number(value: Any, where: str) -> float:
    """A value of the matrix: None, NaN and infinities are missing."""
    if value is None:
        return MISSING_VALUE
    if isinstance(value, (bool, str, bytes)) or not isinstance(value, numbers.Real):
        raise TypeError(f"{where}: expected a number or None, got {_type_name(value)}")
    result = float(value)
    return result if math.isfinite(result) else MISSING_VALUE


def _rows_of_array(array: Any, where: str) -> List[List[float]]:
    """Rows of a NumPy array: one row for 1-D, the array's rows for 2-D."""
    if array.dtype.kind not in "iuf":
        raise TypeError(f"{where}: expected an array of numbers, got dtype {array.dtype}")
    if array.ndim == 1:
        array = array.reshape(1, -1)
    elif array.ndim != 2:
        raise ValueError(f"{where}: expected a 1-D or 2-D array, got {array.ndim} dimensions")
    floats = array.astype("float64")
    floats[~_module_object("numpy", "isfinite")(floats)] = MISSING_VALUE
    return floats.tolist()


def _rows_of_sequence(data: Sequence[Any], where: str) -> List[List[float]]:
    """Rows of a list: a flat list is one series, a list of lists many."""
    if all(not _is_row(item) for item in data):
        return [[number(value, f"{where}[{i}]") for i, value in enumerate(data)]]
    rows = []
    for j, row in enumerate(data):
        if not _is_row(row):
            raise TypeError(f"{where}[{j}]: expected a row of values like the others, "
                            f"got {_type_name(row)}")
        if _is_instance(row, "numpy", "ndarray"):
            rows.extend(_rows_of_array(row, f"{where}[{j}]"))
        else:
            rows.append([number(value, f"{where}[{j}][{i}]") for i, value in enumerate(row)])
    return rows


def _is_row(item: Any) -> bool:
    return isinstance(item, (list, tuple)) or _is_instance(item, "numpy", "ndarray")


def _frame_rows(frame: Any) -> Tuple[List[List[float]], List[str], List[str]]:
    """A DataFrame's columns as series over its index as categories."""
    for name, column in frame.items():
        if column.dtype.kind not in "iuf":
            raise TypeError(f"data[{name!r}]: expected a column of numbers, got dtype {column.dtype}")
    rows = _rows_of_array(frame.to_numpy(dtype="float64", na_value=math.nan).T, "data")
    return rows, [str(name) for name in frame.columns], [str(label) for label in frame.index]


def _series_rows(series: Any) -> Tuple[List[List[float]], List[str], List[str]]:
    """A pandas Series as one series over its index."""
    if series.dtype.kind not in "iuf":
        raise TypeError(f"data: expected a Series of numbers, got dtype {series.dtype}")
    rows = _rows_of_array(series.to_numpy(dtype="float64", na_value=math.nan), "data")
    name = "Series 1" if series.name is None else str(series.name)
    return rows, [name], [str(label) for label in series.index]


def _names(values: Any, where: str, count: int) -> List[str]:
    if isinstance(values, (str, bytes)) or not hasattr(values, "__iter__"):
        raise TypeError(f"{where}: expected a list of names, got {_type_name(values)}")
    names = [str(value) for value in values]
    if len(names) != count:
        raise ValueError(f"{where}: expected {count} names, got {len(names)}")
    for i, name in enumerate(names):
        text(name, f"{where}[{i}]")
    return names


def table(data: Any, categories: Optional[Sequence[Any]],
          series: Optional[Sequence[Any]]) -> Table:
    """The caller's data as names and a matrix.

    ``data`` is a pandas DataFrame (index: categories, columns: series), a
    pandas Series, a NumPy array (rows: series), a dict of series name to
    values, a list of rows, or a flat list (one series). ``categories`` and
    ``series``, when given, replace the names the data brings.
    """
    series_names: Optional[List[str]] = None
    category_names: Optional[List[str]] = None
    if _is_instance(data, "pandas", "DataFrame"):
        rows, series_names, category_names = _frame_rows(data)
    elif _is_instance(data, "pandas", "Series"):
        rows, series_names, category_names = _series_rows(data)
    elif _is_instance(data, "numpy", "ndarray"):
        rows = _rows_of_array(data, "data")
    elif isinstance(data, dict):
        series_names = [str(name) for name in data]
        rows = _rows_of_sequence(list(data.values()), "data") if data else []
        if len(rows) != len(series_names):
            raise ValueError("data: expected one row of values for each name of the dict")
    elif isinstance(data, (list, tuple)):
        rows = _rows_of_sequence(data, "data")
    else:
        raise TypeError("data: expected a list, a dict, a NumPy array or a pandas DataFrame, "
                        f"got {_type_name(data)}")
    if not rows or not rows[0]:
        raise ValueError("data: expected at least one series with at least one value")
    for j, row in enumerate(rows):
        if len(row) != len(rows[0]):
            raise ValueError(f"data[{j}]: expected {len(rows[0])} values (one per category), "
                             f"got {len(row)}")
    if categories is not None:
        category_names = _names(categories, "categories", len(rows[0]))
    elif category_names is None:
        category_names = [str(i) for i in range(len(rows[0]))]
    if series is not None:
        series_names = _names(series, "series", len(rows))
    elif series_names is None:
        series_names = [f"Series {j + 1}" for j in range(len(rows))]
    for where, names in (("categories", category_names), ("series", series_names)):
        for i, name in enumerate(names):
            text(name, f"{where}[{i}]")
    if len(rows) > INT32_MAX or len(rows[0]) > INT32_MAX:
        raise ValueError("data: too many values for the library")
    return Table(series_names, category_names, [value for row in rows for value in row])


def text(value: Any, where: str) -> str:
    """A text for the library: a str without NUL characters."""
    if not isinstance(value, str):
        raise TypeError(f"{where}: expected a str, got {_type_name(value)}")
    if "\0" in value:
        raise ValueError(f"{where}: a text cannot hold a NUL character")
    return value


def color(value: Any, where: str) -> int:
    """A colour as the library's 0x00BBGGRR."""
    if isinstance(value, str):
        digits = value[1:]
        if len(value) != 7 or value[0] != "#" or any(c not in "0123456789abcdefABCDEF"
                                                     for c in digits):
            raise ValueError(f"{where}: {value!r} is not a colour written as '#RRGGBB'")
        red, green, blue = (int(digits[i:i + 2], 16) for i in (0, 2, 4))
    elif isinstance(value, tuple):
        if len(value) != 3:
            raise ValueError(f"{where}: expected (red, green, blue), got {len(value)} parts")
        for part in value:
            if isinstance(part, bool) or not isinstance(part, numbers.Integral):
                raise TypeError(f"{where}: expected whole numbers, got {_type_name(part)}")
            if not 0 <= part <= 255:
                raise ValueError(f"{where}: {part} is outside 0 to 255")
        red, green, blue = (int(part) for part in value)
    else:
        raise TypeError(f"{where}: expected '#RRGGBB' or (red, green, blue), "
                        f"got {_type_name(value)}")
    return red | (green << 8) | (blue << 16)


def colors(values: Sequence[Color], where: str) -> List[int]:
    if isinstance(values, str) or (isinstance(values, tuple) and values
                                   and isinstance(values[0], numbers.Integral)):
        raise TypeError(f"{where}: expected a list of colours, got one colour")
    if not hasattr(values, "__iter__"):
        raise TypeError(f"{where}: expected a list of colours, got {_type_name(values)}")
    return [color(value, f"{where}[{i}]") for i, value in enumerate(values)]


def whole_number(value: Any, where: str) -> int:
    if isinstance(value, bool) or not isinstance(value, numbers.Integral):
        raise TypeError(f"{where}: expected a whole number, got {_type_name(value)}")
    if not -INT32_MAX - 1 <= value <= INT32_MAX:
        raise ValueError(f"{where}: {value} does not fit in 32 bits")
    return int(value)


def finite(value: Any, where: str) -> float:
    if isinstance(value, bool) or not isinstance(value, numbers.Real):
        raise TypeError(f"{where}: expected a number, got {_type_name(value)}")
    if not math.isfinite(float(value)):
        raise ValueError(f"{where}: expected a finite number, got {value}")
    return float(value)


def switch(value: Any, where: str) -> bool:
    if not isinstance(value, bool) and not _is_instance(value, "numpy", "bool_"):
        raise TypeError(f"{where}: expected True or False, got {_type_name(value)}")
    return bool(value)


def size(value: Any, where: str = "size") -> Tuple[int, int]:
    """An image size: (width, height), each from 1 to 32,767 pixels."""
    if not isinstance(value, (tuple, list)) or len(value) != 2:
        raise TypeError(f"{where}: expected (width, height), got {value!r}")
    width, height = (whole_number(part, where) for part in value)
    if not (1 <= width <= 32767 and 1 <= height <= 32767):
        raise ValueError(f"{where}: each side must be from 1 to 32767 pixels, got {value!r}")
    return width, height
