#!/usr/bin/env bash
# Memory and standard error of the window under a flood on its hand-over socket: COUNT
# connections (300) that each push MEGABYTES (4) at once and never finish their request, as any
# program of the user's could. Starts the built program in window mode on Qt's offscreen
# platform with HOME, TMPDIR and the runtime folder in a folder of its own, prints the window's
# resident memory before and its peak after, the lines it wrote on standard error, and whether
# a later start still reaches it.
#
#   bench/hand_over_flood.sh [CLARIVEX] [COUNT] [MEGABYTES]
#
# A benchmark, not a test: the figures depend on the machine. Needs python3.
set -euo pipefail
cd "$(dirname "$0")/.."

program=$(realpath "${1:-build/src/app/clarivex}")
count=${2:-300}
megabytes=${3:-4}

folder=$(mktemp -d)
window_pid=
cleanup() {
    if [ -n "$window_pid" ]; then
        kill "$window_pid" 2>/dev/null || true
        wait "$window_pid" 2>/dev/null || true
    fi
    rm -rf "$folder"
}
trap cleanup EXIT
mkdir -p "$folder/home" "$folder/tmp" "$folder/run"
chmod 700 "$folder/run"
export HOME=$folder/home XDG_RUNTIME_DIR=$folder/run TMPDIR=$folder/tmp QT_QPA_PLATFORM=offscreen
socket=$folder/run/clarivex-$(id -u).socket

"$program" 2>"$folder/err" &
window_pid=$!
for _ in $(seq 100); do
    [ -S "$socket" ] && break
    sleep 0.1
done
sleep 1
memory() { awk -v key="$1:" '$1 == key { print $2 / 1024 " MB" }' "/proc/$window_pid/status"; }
echo "resident before: $(memory VmRSS)"
lines_before=$(wc -l <"$folder/err")

python3 - "$socket" "$count" "$megabytes" <<'PYTHON'
import socket, sys, threading
path, count, megabytes = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
chunk = b"/" * (1 << 20)
held = []
def flood():
    s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    try:
        s.connect(path)
        for _ in range(megabytes):
            s.sendall(chunk)
    except OSError:
        pass
    held.append(s)
threads = [threading.Thread(target=flood) for _ in range(count)]
for thread in threads:
    thread.start()
for thread in threads:
    thread.join()
for s in held:
    s.close()
PYTHON

echo "peak resident: $(memory VmHWM)"
echo "lines on standard error during the flood: $(($(wc -l <"$folder/err") - lines_before))"
if "$program" 2>/dev/null; then
    echo "a later start still hands over: yes"
else
    echo "a later start still hands over: no"
fi
