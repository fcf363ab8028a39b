"""Line graphs from lists, NumPy arrays and pandas DataFrames.

::

    import pandas, trendel

    sales = pandas.DataFrame({"North": [12, 18, 9], "South": [7, None, 15]},
                             index=["Jan", "Feb", "Mar"])
    chart = trendel.Chart(sales, title="Sales", show_grid=True)
    chart.save("sales.png", size=(800, 600))

``Chart`` makes a chart from data and options and saves it as PNG, GIF, JPEG
or BMP, or gives the file's bytes (``to_png``, ``to_gif``, ``to_jpeg``,
``to_bmp``); Jupyter shows it inline. ``HeadlessWindow`` is the level below,
for interactive hosts: a window in memory to draw into, follow the mouse in
and read pixels from. Library failures raise ``TrendelError``.

The library comes with the package; ``$TRENDEL_LIBRARY`` names another one.
Every function may be called from any thread.
"""

from ._data import Color
from ._library import MISSING_VALUE, TrendelError, library_path
from .chart import Chart
from .window import HeadlessWindow

__all__ = ["Chart", "Color", "HeadlessWindow", "MISSING_VALUE", "TrendelError", "library_path"]
__version__ = "1.0.0"
