# Sourced by the idle benchmarks: start_xvfb WxH starts an X server of that screen size for
# this run, sets xvfb_pid and exports DISPLAY; it fails (DISPLAY unchanged) when none started.
# The caller ends xvfb_pid. cpu_ticks PID prints a process's user + system time in clock ticks.
xvfb_pid=
start_xvfb() {
    local display_file display
    display_file=$(mktemp)
    # Xvfb must not hold our standard output open, or a pipe after us would never end.
    Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do
        [ -s "$display_file" ] && break
        sleep 0.1
    done
    display=$(cat "$display_file")
    rm -f "$display_file"
    [ -n "$display" ] || return 1
    export DISPLAY=":$display"
}
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
