#!/bin/bash
# Real input on a real X server: xdotool moves the pointer and presses keys
# in the probe's full-screen SDL window, and the probe's window procedure
# must see the Windows messages for them.
probe=$1
command -v Xvfb >/dev/null && command -v xdotool >/dev/null || { echo "Xvfb or xdotool missing"; exit 77; }
echo skip-for-now; exit 77
