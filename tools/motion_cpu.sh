#!/usr/bin/env bash
# CPU use of the built game while the pointer moves over the board and nothing is clicked:
# XTest motion at RATE events a second (default 200) during the sampling time of
# tools/idle_cpu.sh, which does the rest.
#
# usage: tools/motion_cpu.sh [GAME] [SECONDS] [RATE]   (default: build/ixo-shogi, 10, 200)
# Needs what tools/idle_cpu.sh needs, and the Debian python3 with python3-xlib.
set -euo pipefail
IXO_MOTION_RATE=${3:-200} exec "$(dirname "$0")/idle_cpu.sh" "${1:-}" "${2:-10}"
