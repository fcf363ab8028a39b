"""Charts rendered from many threads at once come out as they do from one."""

from concurrent.futures import ThreadPoolExecutor

import trendel


def render(index):
    chart = trendel.Chart([[index, index * 2 % 7, 3], [1, 2, index % 5]],
                          title=f"Thread {index}", point_markers=index % 2 == 0)
    size = (160 + index % 4 * 10, 120)
    return chart.to_png(size) if index % 3 else chart.to_gif(size)


def test_threads_render_what_one_thread_renders():
    expected = [render(index) for index in range(24)]
    with ThreadPoolExecutor(max_workers=8) as pool:
        for _ in range(3):
            assert list(pool.map(render, range(24))) == expected


def test_windows_used_from_threads():
    def work(index):
        with trendel.HeadlessWindow(120, 90) as window:
            window.show(trendel.Chart([index, 2, 3]))
            window.mouse_move(60, 45)
            return window.pixels().shape
    with ThreadPoolExecutor(max_workers=6) as pool:
        assert set(pool.map(work, range(30))) == {(90, 120, 3)}
