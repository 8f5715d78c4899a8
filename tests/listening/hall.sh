# The hall for the program's sound, sourced by the tests that listen and by the benchmarks:
# a PulseAudio server of the caller's own in folder $1, with a 48 kHz null sink "hall" as
# its default device. Its monitor, hall.monitor, is what the audience would hear.
start_hall() {
    export XDG_RUNTIME_DIR=$1/run PULSE_RUNTIME_PATH=$1/run/pulse HOME=$1/home
    mkdir -p "$XDG_RUNTIME_DIR" "$HOME" && chmod 700 "$XDG_RUNTIME_DIR"
    # As root PulseAudio warns that it is meant for a user; it runs all the same.
    pulseaudio --daemonize=yes --exit-idle-time=-1 -n --log-target=file:"$1/pulse.log" \
        --load=module-native-protocol-unix \
        --load="module-null-sink sink_name=hall rate=48000 channels=2" || return 1
    # Every client finds this server, whatever server the caller's environment names.
    export PULSE_SERVER=unix:$PULSE_RUNTIME_PATH/native
    for _ in $(seq 50); do
        pactl info >/dev/null 2>&1 && break
        sleep 0.1
    done
    pactl set-default-sink hall
}

stop_hall() {
    pactl exit 2>/dev/null || true
}

# Records the hall into file $1 until killed; every 10 ms of sound is written as heard, so
# the file's length tells the time (192,000 bytes a second).
record_hall() {
    exec parec --device=hall.monitor --raw --format=s16le --rate=48000 --channels=2 \
        --latency-msec=10 >"$1"
}

# Seconds of sound in the recording $1 so far.
hall_seconds() {
    awk -v bytes="$(stat -c %s "$1")" 'BEGIN { printf "%.3f", bytes / 192000 }'
}

# Milliseconds from second $2 of the recording $1 to its first sample louder than -40 dBFS,
# within a second; "none" if there is none. awk reads to the end, as below.
first_sound_after() {
    sox -t raw -r 48000 -e signed -b 16 -c 2 "$1" -t dat - trim "$2" 1 2>/dev/null |
        awk '!found && !/^;/ && ($2 > 0.01 || $2 < -0.01 || $3 > 0.01 || $3 < -0.01) {
                 printf "%.1f\n", $1 * 1000; found = 1 }
             END { if (!found) print "none" }'
}

# Milliseconds from second $2 of the recording $1 to its first sample louder than -40 dBFS,
# within $3 seconds (up to the recording's end); nothing if there is none. awk reads to the
# end: a reader that stops early fails the pipe, and the caller's errexit with it.
sound_within() {
    sox -t raw -r 48000 -e signed -b 16 -c 2 "$1" -t dat - trim "$2" "$3" 2>/dev/null |
        awk '!found && !/^;/ && ($2 > 0.01 || $2 < -0.01 || $3 > 0.01 || $3 < -0.01) {
                 printf "%.1f\n", $1 * 1000; found = 1 }'
}

# Milliseconds from second $2 of the recording $1 to its last sample louder than -40 dBFS
# within $3 seconds; nothing if there is none.
last_sound_within() {
    sox -t raw -r 48000 -e signed -b 16 -c 2 "$1" -t dat - trim "$2" "$3" 2>/dev/null |
        awk '!/^;/ && ($2 > 0.01 || $2 < -0.01 || $3 > 0.01 || $3 < -0.01) { last = $1 }
             END { if (last != "") printf "%.1f\n", last * 1000 }'
}

# Breaks in the recording $1: runs of at least 1 ms of exact silence after its first sound
# and before its last. A stream that ran dry is filled with exact silence; music never is.
dropouts() {
    sox -t raw -r 48000 -e signed -b 16 -c 2 "$1" -t dat - 2>/dev/null |
        awk '!/^;/ { if ($2 == 0 && $3 == 0) { run++; next }
                     if (heard && run >= 48) breaks++
                     run = 0; heard = 1 }
             END { print breaks + 0 }'
}

# --- Measures of the recording, for the tests that listen --------------------------------
# They read the recording $recording and keep their marks in the log $timeline, both
# named by the caller; expect and wait_recorded end the test with the caller's fail.
silent=0.002
loud=0.02
# A tone's neighbour bands never quite reach silence through the filter.
quiet_band=0.005

plus() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a + b }'; }
# Marks the name $1 at the recording's present length; a step done again marks it anew.
mark() { echo "$1 $(hall_seconds "$recording")" >>"$timeline"; }
at() { awk -v k="$1" '$1 == k { v = $2 } END { print v }' "$timeline"; }

# Waits until the recording is $1 seconds long: the sound after a step is measured once
# it was heard, however slowly this machine runs. Fails 30 s later than it should be.
wait_recorded() {
    local until=$1 limit
    limit=$(awk -v u="$until" -v n="$(hall_seconds "$recording")" \
        'BEGIN { printf "%d", (u - n) * 10 + 300 }')
    for _ in $(seq "$limit"); do
        awk -v u="$until" -v n="$(hall_seconds "$recording")" 'BEGIN { exit !(n >= u) }' && return 0
        sleep 0.1
    done
    fail "the recording did not reach $until s (parec stopped?)"
}

# The RMS amplitude (0 to 1) of the recording from $1 for $2 seconds, optionally of the
# band $3 ("900-1100", a steep band-pass: 30 Hz from pass to stop).
rms() {
    sox -t raw -r 48000 -e signed -b 16 -c 2 "$recording" -n trim "$1" "$2" \
        ${3:+sinc -t 30 "$3"} stat 2>&1 | awk '/^RMS +amplitude/ { print $3 }'
}

# Fails unless the RMS of $2 s from $1 (band $3) compares to $4 as $5 ("above"/"below").
expect() {
    local from=$1 length=$2 band=$3 limit=$4 how=$5 what=$6 value
    value=$(rms "$from" "$length" "$band")
    echo "$what: RMS $value from $from s for $length s${band:+ in $band Hz}" >>"$timeline"
    if [ "$how" = above ]; then
        awk -v v="$value" -v l="$limit" 'BEGIN { exit !(v > l) }' || fail "$what: RMS $value, not above $limit"
    else
        awk -v v="$value" -v l="$limit" 'BEGIN { exit !(v < l) }' || fail "$what: RMS $value, not below $limit"
    fi
}
