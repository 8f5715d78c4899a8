# The hall for the program's sound, sourced by the test that listens and by the benchmarks:
# a PulseAudio server of the caller's own in folder $1, with a 48 kHz null sink "hall" as
# its default device. Its monitor, hall.monitor, is what the audience would hear.
start_hall() {
    export XDG_RUNTIME_DIR=$1/run PULSE_RUNTIME_PATH=$1/run/pulse HOME=$1/home
    mkdir -p "$XDG_RUNTIME_DIR" "$HOME" && chmod 700 "$XDG_RUNTIME_DIR"
    # As root PulseAudio warns that it is meant for a user; it runs all the same.
    pulseaudio --daemonize=yes --exit-idle-time=-1 -n --log-target=file:"$1/pulse.log" \
        --load=module-native-protocol-unix \
        --load="module-null-sink sink_name=hall rate=48000 channels=2" || return 1
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
# within a second; "none" if there is none.
first_sound_after() {
    sox -t raw -r 48000 -e signed -b 16 -c 2 "$1" -t dat - trim "$2" 1 2>/dev/null |
        awk '!/^;/ && ($2 > 0.01 || $2 < -0.01 || $3 > 0.01 || $3 < -0.01) {
                 printf "%.1f\n", $1 * 1000; found = 1; exit }
             END { if (!found) print "none" }'
}
