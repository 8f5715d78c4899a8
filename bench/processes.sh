#!/usr/bin/env bash
# The figures only the running program shows: start-up to the window shown (offscreen),
# peak memory and CPU while rolling (the real program under Xvfb, read from /proc), and
# the tick cadence in the real event loop (prizedraw_probe under Xvfb), and the time from a
# stop to the winner shown (prizedraw_probe, offscreen) with 1,000 and 1,000,000 names,
# and CPU while rolling with the stage view open full screen at 1920 x 1080, on its red and
# over a photograph of the operator's, and with ten names a press at 1920 x 1080 and at
# 3840 x 2160. With sound, in a hall of PulseAudio's: start-up with the operator's music
# beside the program, CPU and the tick cadence while rolling with music, breaks in the
# sound heard, and the time from the key to the first sound heard.
#   processes.sh BUILD_DIR OUTPUT_FILE      writes "key value" lines
# Needs Xvfb and xdotool; every process it starts is ended by its id.
set -euo pipefail
build=$1
out=$2
bench=$build/bench
work=$(mktemp -d)
xvfb_pid=""
program_pid=""
recorder_pid=""
cleanup() {
    [ -z "${PULSE_RUNTIME_PATH:-}" ] || stop_hall
    [ -z "$recorder_pid" ] || kill "$recorder_pid" 2>/dev/null || true
    [ -z "$program_pid" ] || kill "$program_pid" 2>/dev/null || true
    [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

journal=抽奖日志.txt

# A program directory: the program beside a bt.txt and a cjk.txt of COUNT names.
prepare() {
    local dir=$work/$1
    mkdir -p "$dir"
    "$bench/bench_input" "$dir" "$2"
    cp "$build/app/prizedraw" "$dir/"
}

median() {
    sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}

# Milliseconds from starting the probe to the main window's first paint, median of five.
# Each start finds no journal, as on a fresh machine.
startup_ms() {
    for _ in 1 2 3 4 5; do
        rm -f "$1/$journal"
        local start end
        start=$(date +%s%N)
        QT_QPA_PLATFORM=offscreen "$bench/prizedraw_probe" startup "$1" >/dev/null 2>&1
        end=$(date +%s%N)
        echo $(((end - start) / 1000000))
    done | median
}

# A fresh X server of SIZE (WIDTHxHEIGHT) on the first free display.
start_xvfb() {
    local n
    for n in $(seq 90 130); do
        [ -e "/tmp/.X$n-lock" ] || break
    done
    export DISPLAY=:$n
    Xvfb "$DISPLAY" -screen 0 "$1x24" -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do
        xdotool getdisplaygeometry >/dev/null 2>&1 && return
        sleep 0.1
    done
    echo "Xvfb did not start" >&2
    exit 1
}

cpu_ticks() {
    awk '{ print $14 + $15 }' "/proc/$program_pid/stat"
}

# Percent of one core the program used over SECONDS.
cpu_percent() {
    local c0 c1 t0 t1
    c0=$(cpu_ticks)
    t0=$(date +%s%N)
    sleep "$1"
    c1=$(cpu_ticks)
    t1=$(date +%s%N)
    awk -v ticks=$((c1 - c0)) -v hz="$(getconf CLK_TCK)" -v ns=$((t1 - t0)) \
        'BEGIN { printf "%.2f", 100 * ticks / hz / (ns / 1e9) }'
}

# Median milliseconds from a stop's click to the winner painted, over 15 stops.
stop_ms() {
    rm -f "$1/$journal"
    QT_QPA_PLATFORM=offscreen "$bench/prizedraw_probe" stop "$1" 15 2>/dev/null |
        awk '/^stop_median_ms / { print $2 }'
}

prepare empty 0
prepare thousand 1000
prepare million 1000000
{
    echo "startup_empty_ms $(startup_ms "$work/empty")"
    echo "startup_million_ms $(startup_ms "$work/million")"
    echo "stop_thousand_ms $(stop_ms "$work/thousand")"
    echo "stop_million_ms $(stop_ms "$work/million")"
} >"$out"

# Starts the million-name program on the current display and gives its window the focus.
start_million() {
    rm -f "$work/million/$journal"
    "$work/million/prizedraw" >/dev/null 2>&1 &
    program_pid=$!
    local window
    window=$(xdotool search --sync --onlyvisible --pid "$program_pid" | head -n 1)
    xdotool windowfocus --sync "$window"
    sleep 2
}

stop_program() {
    kill "$program_pid"
    wait "$program_pid" 2>/dev/null || true
    program_pid=""
}

stop_xvfb() {
    kill "$xvfb_pid"
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=""
}

start_xvfb 1280x800
start_million
echo "cpu_idle_percent $(cpu_percent 5)" >>"$out"
xdotool key space
sleep 2
echo "cpu_rolling_percent $(cpu_percent 10)" >>"$out"
# The stop records a winner: the pool removal over a million names is part of the peak.
xdotool key space
sleep 2
echo "peak_rss_mb $(awk '/VmHWM/ { printf "%.1f", $2 / 1024 }' "/proc/$program_pid/status")" >>"$out"
stop_program

rm -f "$work/million/$journal"
"$bench/prizedraw_probe" cadence "$work/million" 300 2>/dev/null | sed -n 's/^\(tick_[a-z0-9_]*\) /\1 /p' >>"$out"
stop_xvfb

# F5 opens the stage view full screen on the only screen; the key filter takes Space there.
start_xvfb 1920x1080
start_million
xdotool key F5
sleep 1
if [ "$(xdotool search --onlyvisible --pid "$program_pid" | wc -l)" -lt 2 ]; then
    echo "The stage view did not open" >&2
    exit 1
fi
xdotool key space
sleep 2
echo "cpu_stage_rolling_percent $(cpu_percent 10)" >>"$out"
stop_program

# A 12-megapixel photograph beside the program: read once at F5, then only blitted.
convert -seed 7 -size 4000x3000 plasma:gold-firebrick -quality 90 "$work/million/stage.jpg"
start_million
xdotool key F5
sleep 2
xdotool key space
sleep 2
echo "cpu_stage_picture_rolling_percent $(cpu_percent 10)" >>"$out"
stop_program
rm "$work/million/stage.jpg"

# Ten names a press roll together on the stage, at 1920 x 1080 and at 3840 x 2160, beside a
# single name's roll at the larger size.
stage_roll_percent() {
    start_million
    xdotool key F5
    sleep 1
    xdotool key space
    sleep 2
    cpu_percent 10
    stop_program
}
batch_of_ten() {
    printf '3等奖=10\r\n' | iconv -f UTF-8 -t GB18030 >"$work/million/每次抽取人数.txt"
}
batch_of_ten
echo "cpu_stage_batch_rolling_percent $(stage_roll_percent)" >>"$out"
rm "$work/million/每次抽取人数.txt"

# A 96-megapixel photograph: the stage's first frame does not wait for it.
convert -size 12000x8000 gradient:gold-firebrick -quality 90 "$work/million/stage.jpg"
"$bench/prizedraw_probe" stage "$work/million" 2>/dev/null |
    sed -n 's/^\(stage_[a-z_]*\) /\1 /p' >>"$out"
rm "$work/million/stage.jpg"
stop_xvfb

start_xvfb 3840x2160
echo "cpu_stage_4k_rolling_percent $(stage_roll_percent)" >>"$out"
batch_of_ten
echo "cpu_stage_4k_batch_rolling_percent $(stage_roll_percent)" >>"$out"
rm "$work/million/每次抽取人数.txt"
stop_xvfb

# --- Sound ---------------------------------------------------------------------------------
# shellcheck source=../tests/listening/hall.sh
source "$(dirname "$0")/../tests/listening/hall.sh"
start_hall "$work/hall"
# Three minutes of each, as the operator's MP3s would be.
for dir in "$work/empty" "$work/million"; do
    sox -n -r 44100 -c 2 "$dir/抽奖音乐.mp3" synth 180 sine 1000 vol 0.3
    sox -n -r 44100 -c 2 "$dir/中奖音乐.mp3" synth 180 sine 1500 vol 0.3
    sox -n -r 44100 -c 2 "$dir/背景音乐.mp3" synth 180 sine 400 vol 0.3
done
echo "startup_music_ms $(startup_ms "$work/empty")" >>"$out"

start_xvfb 1280x800
start_million
xdotool key space
sleep 2
echo "cpu_music_rolling_percent $(cpu_percent 10)" >>"$out"
stop_program
# Breaks in the sound, heard from the program's start, while its roll music and fanfare are
# read, through 20 s of rolling and the fanfare.
record_hall "$work/start.raw" 2>/dev/null &
recorder_pid=$!
start_million
xdotool key space
sleep 20
xdotool key space
sleep 3
stop_program
kill "$recorder_pid"
wait "$recorder_pid" 2>/dev/null || true
recorder_pid=""
echo "sound_breaks $(dropouts "$work/start.raw")" >>"$out"
rm -f "$work/million/$journal"
"$bench/prizedraw_probe" cadence "$work/million" 300 2>/dev/null |
    sed -n 's/^tick_\([a-z0-9_]*\) /tick_music_\1 /p' >>"$out"

# The key's moment is the recording's length just before it: median of five rolls, each
# after the device has rested. With the built-in sounds: the three-minute files would still
# be heard at the next key.
rm "$work/million/"{抽奖音乐,中奖音乐,背景音乐}.mp3
record_hall "$work/hall.raw" 2>/dev/null &
recorder_pid=$!
start_million
for _ in 1 2 3 4 5; do
    sleep 2
    at=$(hall_seconds "$work/hall.raw")
    xdotool key space
    sleep 1.5
    first_sound_after "$work/hall.raw" "$at"
    xdotool key space
    sleep 4
done | grep -v none | median | sed 's/^/key_to_sound_ms /' >>"$out"
stop_program
stop_xvfb
