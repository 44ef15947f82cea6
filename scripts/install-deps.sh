#!/bin/bash
# Installs every Debian package vetch needs to build, run and test.
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ pkg-config ccache dpkg-dev desktop-file-utils
  qt6-base-dev qt6-translations-l10n
  unixodbc unixodbc-dev odbcinst libsqliteodbc odbc-postgresql
  sqlite3 postgresql-15 mariadb-server odbc-mariadb
  googletest libgtest-dev libbenchmark-dev
  xvfb xauth fonts-ipafont-gothic xclip xdotool x11-xserver-utils imagemagick
  clang libclang-rt-14-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  SUDO=""
  [[ $(id -u) -ne 0 ]] && SUDO="sudo"
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
