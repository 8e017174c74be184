#!/usr/bin/env bash
# Replay fidelity of GNU Xnee's cnee, the X11 macro tool Debian packages that
# replays with timing, measured as X11ReplayFidelityBench
# measures Brevanor: in a private Xvfb, xdotool performs the same 200-event
# task while cnee records it and the outside harness logger writes the
# reference; cnee replays it 10 times while the logger watches, and
# brevanor-cli compare judges the runs. Like the benchmark, every program of
# the chain runs on one processor at real-time priority where allowed.
#
#   bench/cnee-fidelity.sh [BUILD_DIR]
#
# Needs the Debian packages cnee, xvfb and xdotool, and a build with the tests
# (for brevanor-harness-logger).
set -euo pipefail
build=$(realpath "${1:-build/release}")
logger=$build/tools/brevanor-harness-logger
cli=$build/cli/brevanor-cli
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
cd "$work"

# Each program runs as `$chain program` so that $! is the program itself.
chain="taskset -c 0"
chrt -f 1 true 2>/dev/null && chain="chrt -f 1 taskset -c 0"

# Waits until a log has stopped growing: the logger has seen every event sent.
settle() { local last=-1 size; while size=$(stat -c %s "$1"); [ "$size" != "$last" ]; do last=$size; sleep 0.4; done; }

# The benchmark's task: 40 clicks reached by short glides, 50 keystrokes, 20 scroll notches.
{
  printf 'mousemove 100 100\nsleep 0.2\n'
  for click in $(seq 0 39); do
    button=1; ((click % 7 == 6)) && button=3
    for _ in 1 2 3; do printf 'mousemove_relative -- 8 5\nsleep 0.01\n'; done
    printf 'mousedown %s\nsleep 0.03\nmouseup %s\nsleep 0.04\n' $button $button
  done
  printf "sleep 0.2\ntype --delay 40 'replay fidelity of fifty keys typed in a row is ok'\nsleep 0.2\n"
  for notch in $(seq 0 19); do
    button=5; ((notch % 4 == 3)) && button=4
    printf 'click %s\nsleep 0.05\n' $button
  done
  printf 'sleep 0.2\n'
} >task.xdo

exec 3>display
$chain Xvfb -displayfd 3 -screen 0 1280x800x24 -noreset -nolisten tcp >/dev/null 2>&1 &
exec 3>&-
until [ -s display ]; do sleep 0.1; done
export DISPLAY=:$(cat display)

$chain "$logger" --output reference.jsonl --synthetic never &
logging=$!
until [ -e reference.jsonl ]; do sleep 0.1; done
$chain cnee --record --mouse --keyboard -o recording -e record.log &
recording=$!
sleep 1
$chain xdotool task.xdo
settle reference.jsonl
kill $logging; wait $logging 2>/dev/null || true
# cnee ends on SIGINT (or dies of it, having written its file).
kill -INT $recording 2>/dev/null || true
sleep 0.5
kill -KILL $recording 2>/dev/null || true
wait $recording 2>/dev/null || true

xdotool mousemove 640 400
$chain "$logger" --output replay.jsonl --synthetic always &
logging=$!
until [ -e replay.jsonl ]; do sleep 0.1; done
for _ in $(seq 10); do
  $chain cnee --replay -f recording -e replay.log
  sleep 0.5
done
settle replay.jsonl
kill $logging; wait $logging 2>/dev/null || true
"$cli" compare reference.jsonl replay.jsonl --expected-count 200 || true
