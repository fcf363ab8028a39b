"""The pictures: PNG decodes to exactly the rendering, as a palette image or
in true colour; every format comes out as itself; Jupyter gets PNG."""

import pytest

import trendel
from conftest import SALES_CATEGORIES, SALES_SERIES, SALES_VALUES, decode, rgb_bytes


def sales_chart(sales_options):
    return trendel.Chart(SALES_VALUES, categories=SALES_CATEGORIES, series=SALES_SERIES,
                         **sales_options)


def many_colors_chart():
    """300 series of 300 different colours: more than a palette holds."""
    colors = [(index % 256, index // 256 * 100, 255 - index % 256) for index in range(300)]
    values = [[index + column % 3 for column in range(4)] for index in range(300)]
    return trendel.Chart(values, colors=colors, point_markers=False)


def test_palette_png_equals_the_rendering(sales_options):
    chart = sales_chart(sales_options)
    png = decode(chart.to_png((400, 300)))
    assert (png.format, png.mode, png.size) == ("PNG", "P", (400, 300))
    assert png.convert("RGB").tobytes() == rgb_bytes(chart.to_bmp((400, 300)))


def test_true_color_png_equals_the_rendering():
    chart = many_colors_chart()
    png = decode(chart.to_png((500, 400)))
    assert (png.format, png.mode) == ("PNG", "RGB")
    assert len(png.getcolors(100_000)) > 256
    assert png.tobytes() == rgb_bytes(chart.to_bmp((500, 400)))


@pytest.mark.parametrize("name, format_name", [
    ("a.png", "PNG"), ("b.PNG", "PNG"), ("c.gif", "GIF"), ("d.jpg", "JPEG"),
    ("e.JPEG", "JPEG"), ("f.bmp", "BMP")])
def test_save_picks_the_format_by_extension(tmp_path, sales_options, name, format_name):
    path = tmp_path / "new folder" / name
    sales_chart(sales_options).save(path, size=(210, 140))
    image = decode(path.read_bytes())
    assert (image.format, image.size) == (format_name, (210, 140))
    assert sorted(p.name for p in path.parent.iterdir()) == [name]


def test_save_replaces_an_existing_file(tmp_path, sales_options):
    path = tmp_path / "chart.gif"
    path.write_bytes(b"old")
    sales_chart(sales_options).save(str(path), size=(100, 80))
    assert decode(path.read_bytes()).format == "GIF"


def test_bytes_of_every_format_and_the_default_size(sales_options):
    chart = sales_chart(sales_options)
    for method, format_name in [(chart.to_png, "PNG"), (chart.to_gif, "GIF"),
                                (chart.to_jpeg, "JPEG"), (chart.to_bmp, "BMP")]:
        image = decode(method())
        assert (image.format, image.size) == (format_name, (800, 600))
    assert decode(trendel.Chart([1, 2], size=(300, 200)).to_gif()).size == (300, 200)


def test_jupyter_gets_png_bytes(sales_options):
    chart = sales_chart(sales_options)
    data = chart._repr_png_()
    assert data.startswith(b"\x89PNG\r\n\x1a\n")
    assert data == chart.to_png(chart.size)
