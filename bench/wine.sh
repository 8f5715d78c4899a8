#!/usr/bin/env bash
# The Windows program's figures: the ZIP's size, and start-up to the main window shown
# under Wine (code page 936) on an X server with a window manager, with 1,000 and 1,000,000
# names, median of three starts, each without a journal.
#   wine.sh BUILD_DIR ZIP OUTPUT_FILE      appends "key value" lines
# Needs Wine, Xvfb, openbox and xdotool (scripts/windows installs them).
set -euo pipefail
build=$(cd "$1" && pwd)
zip=$(realpath "$2")
out=$3
work=$(mktemp -d)
export WINEPREFIX=$work/wine WINEDEBUG=-all LC_ALL=zh_CN.UTF-8
unset WINEPATH WINEQT_PLUGIN_PATH WINEQT_QPA_PLATFORM WINEQT_QPA_FONTDIR
pids=()
cleanup() {
    wineserver -k 2>/dev/null || true
    for p in ${pids[@]+"${pids[@]}"}; do
        kill "$p" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

exec 3< <(exec Xvfb -displayfd 1 -screen 0 1280x800x24 -nolisten tcp 2>/dev/null)
pids+=($!)
read -r -t 30 display <&3
export DISPLAY=:$display
openbox >/dev/null 2>&1 &
pids+=($!)
# Wine's first start in a prefix sets it up: not part of any figure.
wineboot -i >/dev/null 2>&1

median() {
    sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}

# Milliseconds from `wine prizedraw.exe` to its main window mapped on the display.
startup_ms() {
    local dir=$1
    for _ in 1 2 3; do
        rm -f "$dir/抽奖日志.txt"
        local start end pid
        start=$(date +%s%N)
        (cd "$dir" && exec wine prizedraw.exe) >/dev/null 2>&1 &
        pid=$!
        until xdotool search --onlyvisible --class prizedraw.exe >/dev/null 2>&1; do
            kill -0 "$pid" 2>/dev/null || { echo "prizedraw.exe ended at start-up" >&2; exit 1; }
            sleep 0.02
        done
        end=$(date +%s%N)
        echo $(((end - start) / 1000000))
        wine taskkill /F /IM prizedraw.exe >/dev/null 2>&1
        wait "$pid" 2>/dev/null || true
    done | median
}

for size in thousand:1000 million:1000000; do
    name=${size%%:*}
    dir=$work/$name
    mkdir -p "$dir"
    (cd "$dir" && cmake -E tar xf "$zip")
    mv "$dir"/prizedraw-*/* "$dir/"
    "$build/bench/bench_input" "$dir" "${size##*:}"
    echo "wine_startup_${name}_ms $(startup_ms "$dir")" >>"$out"
done
echo "zip_size_mb $(awk -v b="$(stat -c %s "$zip")" 'BEGIN { printf "%.1f", b / 1048576 }')" >>"$out"
