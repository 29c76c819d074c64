#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test; then the same suite under
# AddressSanitizer and UndefinedBehaviorSanitizer, and each fuzz target briefly
# (CORVANA_FUZZ_SECONDS each, 20 by default). Both of those run even when the
# other fails, and either failing fails the whole.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
(cd build && ctest --output-on-failure -j "$(nproc)")
status=0
scripts/sanitize.sh || status=1
scripts/fuzz.sh "${CORVANA_FUZZ_SECONDS:-20}" || status=1
exit "$status"
