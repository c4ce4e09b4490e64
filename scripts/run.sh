#!/usr/bin/env bash
# Installs what is needed, builds and starts the program beside a virtual master module.
# Without a display (no DISPLAY, no WAYLAND_DISPLAY) it shows the main job instead: a virtual
# master module receives the transfer of the example project, and its decoded table is printed.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh -DVZ_BUILD_TESTS=OFF
bin=build/bin
work=$(mktemp -d)
sim_pid=""
cleanup() {
    if [ -n "$sim_pid" ] && kill -0 "$sim_pid" 2>/dev/null; then
        kill -TERM "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# Starts "vzctl sim" with its report going to $1 and sets $com to the number it took.
start_sim() {
    "$bin/vzctl" sim >"$1" 2>&1 &
    sim_pid=$!
    com=""
    for _ in $(seq 50); do
        com=$(sed -n 's/^virtual master module on COM\([0-9]*\) .*/\1/p' "$1" 2>/dev/null | head -n1)
        [ -n "$com" ] && return 0
        sleep 0.1
    done
    echo "The virtual master module did not start:" >&2
    cat "$1" >&2
    exit 2
}

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: showing the transfer to a virtual master module instead."
    echo
    start_sim "$work/sim.txt"
    demo="$bin/examples/demo.kvx"
    echo "\$ vzctl check $demo"
    "$bin/vzctl" check "$demo"
    echo "\$ vzctl send $demo --port $com --idle 1"
    "$bin/vzctl" send "$demo" --port "$com" --idle 1
    echo "\$ vzctl fire --route mm --port $com 21"
    "$bin/vzctl" fire --route mm --port "$com" 21
    sleep 0.3
    kill -TERM "$sim_pid"
    wait "$sim_pid" || true
    sim_pid=""
    echo
    echo "What the virtual master module received (time in s, @offset, event):"
    cat "$work/sim.txt"
    exit 0
fi

# With a display: the program, and a virtual master module reporting in this terminal.
"$bin/vzctl" sim &
sim_pid=$!
sleep 0.5
"$bin/vestro-zandor" "$@"
