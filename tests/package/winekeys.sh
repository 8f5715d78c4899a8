# Keys for a window of a program under Wine, sourced by the Wine tests.

# Asks the window manager to give window $1 the focus and waits until it has: a key typed
# while Wine is still mapping a new window goes nowhere. Each try is bounded: a menu never
# takes the focus (it has the keyboard all the same), and --sync would wait for it for ever.
focus() {
    for _ in $(seq 10); do
        timeout 1 xdotool windowactivate --sync "$1" >/dev/null 2>&1 || true
        [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ] && return 0
        sleep 0.2
    done
    return 0
}

# A key for window $1, once it has the focus.
press() {
    focus "$1"
    xdotool key --clearmodifiers "$2"
}

# Enter on the program's box over the main window $1: once the box has the focus, as a
# key sent before would go to no window on a loaded machine.
answer_box() {
    local box
    box=$(xdotool search --onlyvisible --class prizedraw.exe | grep -vx "$1" | tail -n 1)
    press "$box" Return
}
