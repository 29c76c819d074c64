#!/usr/bin/env bash
# Installs the Debian 12 packages that Corvana's build, tests and screenshots need.
set -euo pipefail
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends \
  g++ cmake ninja-build \
  qt6-base-dev libqt6sql6-sqlite libsqlite3-dev libqt6opengl6-dev qt6-charts-dev \
  fonts-dejavu-core xvfb xauth poppler-utils imagemagick >/dev/null
