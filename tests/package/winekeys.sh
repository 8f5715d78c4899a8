# Keys for a window of a program under Wine, sourced by the Wine tests.

# A key for window $1, once the window manager has given it the focus: a key typed while
# Wine is still mapping a new window goes nowhere.
press() {
    for _ in $(seq 50); do
        xdotool windowactivate --sync "$1" >/dev/null 2>&1 || true
        [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ] && break
        sleep 0.2
    done
    xdotool key --clearmodifiers "$2"
}
