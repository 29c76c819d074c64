#!/usr/bin/env bash
# Crash consistency, the long form: builds, then kills the crash worker while it
# saves (before each write of every kind of save, then at random moments) until
# KILLS kills (1000 unless given), checking the file after each kill.
#   bash scripts/crashtest.sh [KILLS] [more crash_driver options, e.g. --seed 7]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
exec build/tests/reliability/crash_driver --kills "${1:-1000}" "${@:2}"
