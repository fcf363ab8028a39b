#!/bin/sh
# Prints the library's speed table in one run, each figure beside the
# baselines measured in the same run: cjpeg for the JPEG save, gnuplot's GIF
# output where gnuplot is installed, and a minimal process for the cold
# start. Times are only comparable within one run on one machine.
#
#   bench/speed-table.sh [BUILD]
#
# BUILD is a build folder with the benchmarks (default build/bench, made as
# a Release build when it holds none). Needs hyperfine and /usr/bin/python3;
# cjpeg and gnuplot are optional.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/bench}
runs=3

if [ ! -x "$build/bench/bench_draw" ] || [ ! -x "$build/tools/trendel-render" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTRENDEL_BUILD_BENCH=ON \
    -DTRENDEL_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$build" -j 2 --target bench_draw bench_save trendel-render >/dev/null

work=$(mktemp -d /tmp/trendel-speed-XXXXXX)
trap 'rm -rf "$work"' EXIT

# The charts of the benchmarks as chart definitions: the small and the large
# save chart (bench/SaveBench.cpp), and gnuplot scripts drawing the same data.
/usr/bin/python3 - "$work" <<'EOF'
import json, math, sys
work = sys.argv[1]
for name, series, categories in (("small", 5, 100), ("large", 20, 2000)):
    values = [[100.0 + 50.0 * math.sin(c * 0.05 + r) + r * 10.0 for c in range(categories)]
              for r in range(series)]
    chart = {"title": "Benchmark", "categoryAxisTitle": "Category", "valueAxisTitle": "Value",
             "legendTitle": "Series", "seriesNames": ["Series %d" % i for i in range(series)],
             "categoryNames": ["C%d" % i for i in range(categories)], "values": values,
             "showGrid": True, "pointMarkers": False}
    with open("%s/%s.json" % (work, name), "w") as out:
        json.dump(chart, out)
    with open("%s/%s.dat" % (work, name), "w") as out:
        for c in range(categories):
            out.write(" ".join("%.6f" % row[c] for row in values) + "\n")
    size = "600,400" if name == "small" else "1920,1080"
    with open("%s/%s.gp" % (work, name), "w") as out:
        out.write('set terminal gif size %s\nset output "%s/%s-gnuplot.gif"\nset grid\n'
                  'set title "Benchmark"\nplot ' % (size, work, name) +
                  ", ".join('"%s/%s.dat" using 0:%d with lines title "Series %d"' %
                            (work, name, i + 1, i) for i in range(series)) + "\n")
EOF

render=$build/tools/trendel-render
"$render" "$work/large.json" -o "$work/large.bmp" --size 1920x1080

# Google Benchmark runs, as JSON, for the table below.
"$build/bench/bench_draw" --benchmark_repetitions=$runs --benchmark_min_time=0.5 \
  --benchmark_format=json >"$work/draw.json" 2>/dev/null
"$build/bench/bench_save" --benchmark_repetitions=$runs --benchmark_min_time=0.5 \
  --benchmark_filter='Save|CompressLargeJpeg' --benchmark_format=json >"$work/save.json" 2>/dev/null

# Whole processes, through hyperfine.
processes="true|true
help|$render --help
render-small-gif|$render $work/small.json -o $work/small.gif --size 600x400"
if command -v cjpeg >/dev/null; then
  processes="$processes
cjpeg-version|cjpeg -version
cjpeg-large|cjpeg -quality 100 -outfile $work/large-cjpeg.jpg $work/large.bmp"
fi
if command -v gnuplot >/dev/null; then
  processes="$processes
gnuplot-start|gnuplot -e exit
gnuplot-small-gif|gnuplot $work/small.gp
gnuplot-large-gif|gnuplot $work/large.gp"
fi
# The library keeps fontconfig's answer in a font file cache of its own here:
# warm for the process rows once hyperfine's warm-up ran, emptied before
# every run of the first-ever start.
export TRENDEL_FONT_CACHE_DIR="$work/font-cache"
echo "$processes" | while IFS='|' read -r name command; do
  hyperfine -N --warmup 3 --runs 20 --export-json "$work/process-$name.json" "$command" >/dev/null 2>&1 ||
    hyperfine --warmup 3 --runs 20 --export-json "$work/process-$name.json" "$command" >/dev/null 2>&1
done
hyperfine -N --warmup 3 --runs 20 --prepare "rm -rf $TRENDEL_FONT_CACHE_DIR" \
  --export-json "$work/process-render-small-gif-first.json" \
  "$render $work/small.json -o $work/small.gif --size 600x400" >/dev/null 2>&1

# The disk's own pace, as files of the saves' sizes:
#  - the large BMP save: a file written and renamed over the previous one,
#    again and again. The rename makes the file system start writing the new
#    file out and wait until the old one is written, so a loop of saves can
#    go no faster than this;
#  - each GIF save: its temporary BMP written, read back and deleted, then
#    the GIF written and renamed over the previous one: the file work alone,
#    before any pixel is drawn or encoded.
"$render" "$work/small.json" -o "$work/small.bmp" --size 600x400
"$render" "$work/large.json" -o "$work/large.gif" --size 1920x1080
/usr/bin/python3 - "$work" >"$work/disk.txt" <<'EOF2'
import os, statistics, sys, time
work = sys.argv[1]
size = lambda name: os.path.getsize(os.path.join(work, name))

def write(path, data, flags=os.O_CREAT | os.O_TRUNC):
    out = os.open(path, os.O_WRONLY | flags, 0o644)
    os.write(out, data)
    os.close(out)

def replace(data, target):
    staging = os.path.join(work, "disk.tmp")
    write(staging, data)
    os.rename(staging, os.path.join(work, target))

def gif_file_work(bitmap, gif, target):
    temporary = os.path.join(work, "disk-temporary.bmp")
    write(temporary, bitmap, os.O_CREAT | os.O_EXCL)
    with open(temporary, "rb") as back:
        back.read()
    os.unlink(temporary)
    replace(gif, target)

def median_ms(work_once):
    times = []
    for attempt in range(23):
        start = time.perf_counter()
        work_once()
        times.append((time.perf_counter() - start) * 1000.0)
    return "%.1f" % statistics.median(times[3:])

large_bmp = bytes(size("large.bmp"))
small = bytes(size("small.bmp")), bytes(size("small.gif"))
large_gif = bytes(size("large.gif"))
print(median_ms(lambda: replace(large_bmp, "disk.bmp")))
print(median_ms(lambda: gif_file_work(small[0], small[1], "disk-small.gif")))
print(median_ms(lambda: gif_file_work(large_bmp, large_gif, "disk-large.gif")))
EOF2

# Peak memory of a large GIF save, above the same process saving a 1 x 1 image:
# the largest resident set in KiB, each process run as often as the others.
peak() { /usr/bin/time -f %M "$render" "$work/large.json" -o "$work/peak.gif" --size "$1" 2>&1 >/dev/null | tail -1; }
for run in $(seq $runs); do echo "$(peak 1920x1080) $(peak 1x1)"; done >"$work/peak.txt"

/usr/bin/python3 - "$work" "$runs" <<'EOF'
import json, os, sys
work, runs = sys.argv[1], sys.argv[2]

def benchmarks(name):
    found = {}
    for entry in json.load(open(os.path.join(work, name)))["benchmarks"]:
        if entry.get("run_type") == "iteration":
            scale = {"ms": 1.0, "us": 1e-3, "ns": 1e-6}[entry["time_unit"]]
            found.setdefault(entry["run_name"], []).append(entry["real_time"] * scale)
            cpu.setdefault(entry["run_name"], []).append(entry["cpu_time"] * scale)
    return found

cpu = {}

times = benchmarks("draw.json")
times.update(benchmarks("save.json"))

def process(name):
    path = os.path.join(work, "process-%s.json" % name)
    if not os.path.exists(path):
        return None
    result = json.load(open(path))["results"][0]
    return result["median"] * 1000.0, result["min"] * 1000.0

def span(values):
    return "%.2f-%.2f ms" % (min(values), max(values))

def row(work_name, now, target, baseline=""):
    print("| %-48s | %-26s | %-26s | %s" % (work_name, now, target, baseline))

print("Speed table, %s runs each (min-max of the runs; processes: median, min)" % runs)
print()
row("Work", "Now", "Target", "Baseline in this run")
row("-" * 48, "-" * 26, "-" * 26, "-" * 20)
row("draw S (600 x 400, 5 x 100)", span(times["DrawGraph/600/400/5/100"]), "<= 0.10 ms")
row("draw L (1920 x 1080, 20 x 2,000, markers)", span(times["DrawGraph/1920/1080/20/2000"]), "<= 3 ms")
row("draw XL (1920 x 1080, 10 x 15,000, markers)", span(times["DrawGraph/1920/1080/10/15000"]), "<= 10 ms")
row("mouse move with tracking redraw, L", span(times["MouseMove/1920/1080/20/2000"]), "<= 3 ms")
gnuplot_small, gnuplot_large = process("gnuplot-small-gif"), process("gnuplot-large-gif")
gnuplot_start = process("gnuplot-start")
def gnuplot(result):
    if result is None:
        return "gnuplot not installed"
    text = "gnuplot GIF process %.1f ms" % result[0]
    if gnuplot_start is not None:
        text += " (%.1f ms above its own start-up)" % (result[0] - gnuplot_start[0])
    return text
disk, disk_small_gif, disk_large_gif = open(os.path.join(work, "disk.txt")).read().split()
file_work = "; its file work alone: %s ms"
row("save GIF S, rendering included", span(times["SaveSmallGif"]), "<= 1 ms",
    gnuplot(gnuplot_small) + file_work % disk_small_gif)
row("save GIF L, rendering included", span(times["SaveLargeGif"]), "<= 15 ms",
    gnuplot(gnuplot_large) + file_work % disk_large_gif)
row("save BMP L", span(times["SaveLargeBmp"]), "<= 6 ms",
    "CPU %s; writing and renaming a file of its size over the last: %s ms" % (
        span(cpu["SaveLargeBmp"]), disk))
rendering = times["SaveLargeToClipboard"]
jpeg = times["SaveLargeJpeg"]
cjpeg = process("cjpeg-large")
writer = [j - min(rendering) for j in jpeg]
jpeg_text = "%s (rendering %s)" % (span(jpeg), span(rendering))
if cjpeg is not None:
    jpeg_target = "rendering <= 3 ms + <= 1.1 x cjpeg"
    baseline = "cjpeg -quality 100 process %.1f ms; writer %.2f x cjpeg; libjpeg alone %s" % (
        cjpeg[0], min(writer) / cjpeg[0], span(times["CompressLargeJpeg"]))
else:
    jpeg_target, baseline = "rendering <= 3 ms", "cjpeg not installed"
row("save JPEG L", jpeg_text, jpeg_target, baseline)
render, help_text, true = process("render-small-gif"), process("help"), process("true")
cjpeg_version = process("cjpeg-version")
baseline = "true %.1f ms, --help %.1f ms" % (true[0], help_text[0])
if cjpeg_version is not None:
    baseline += ", cjpeg -version %.1f ms" % cjpeg_version[0]
if gnuplot_small is not None:
    baseline += ", gnuplot S GIF %.1f ms" % gnuplot_small[0]
row("trendel-render S as GIF, whole process", "%.1f ms (min %.1f)" % render, "<= 20 ms", baseline)
row("  the same, first-ever start (font cache empty)", "%.1f ms (min %.1f)" % process("render-small-gif-first"),
    "", "fontconfig loads its configuration")
peaks = sorted((int(large) - int(tiny)) * 1024 / 1e6
               for large, tiny in (line.split() for line in open(os.path.join(work, "peak.txt"))))
frame = 1920 * 1080 * 4 / 1e6
row("peak memory of a large GIF save", "%.1f MB above a 1 x 1 save (median)" % peaks[len(peaks) // 2],
    "<= %.1f MB (3 frames)" % (3 * frame),
    "one 32-bit frame %.1f MB; trendel-render, whose window is one pixel" % frame)
EOF
