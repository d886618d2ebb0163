#!/bin/sh
# Runs GUI tests that need a real display: under Xvfb with a screen of the size given first
# (WIDTHxHEIGHT) and the light window manager openbox, which frames the windows as a desktop
# does. The test program and its arguments follow. Exit 77 (skipped) without Xvfb or openbox.
size=$1
shift
if ! command -v xvfb-run >/dev/null || ! command -v openbox >/dev/null; then
    echo "xvfb-run or openbox is not installed"
    exit 77
fi
# The window manager's output is closed: CTest would wait for the end of what it leaves running.
exec xvfb-run -a -s "-screen 0 ${size}x24" sh -c 'openbox >/dev/null 2>&1 </dev/null & exec "$@"' on-screen "$@"
