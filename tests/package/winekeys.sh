# Keys for a window of a program under Wine, sourced by the Wine tests.

# A key for window $1, once the window manager has given it the focus: a key typed while
# Wine is still mapping a new window goes nowhere. Each try is bounded: a menu never takes
# the focus (it has the keyboard all the same), and --sync would wait for it for ever.
press() {
    for _ in $(seq 10); do
        timeout 1 xdotool windowactivate --sync "$1" >/dev/null 2>&1 || true
        [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ] && break
        sleep 0.2
    done
    xdotool key --clearmodifiers "$2"
}
