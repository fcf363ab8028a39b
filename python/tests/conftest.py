"""Shared pieces of the package's tests: decoding with Pillow, and charts."""

import io

import pytest
from PIL import Image


def decode(data: bytes) -> Image.Image:
    """The picture in a file's bytes, decoded by Pillow."""
    image = Image.open(io.BytesIO(data))
    image.load()
    return image


def rgb_bytes(data: bytes) -> bytes:
    return decode(data).convert("RGB").tobytes()


SALES_VALUES = [[12.0, 18.0, 9.0, 14.5], [7.0, None, 15.0, 11.0]]
SALES_CATEGORIES = ["Jan", "Feb", "Mar", "Apr"]
SALES_SERIES = ["North", "South"]


@pytest.fixture
def sales_options():
    return {"title": "Sales", "show_grid": True, "value_axis_title": "Units"}
