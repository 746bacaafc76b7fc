#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those that
# are missing. Sourced by run.sh and test.sh.
set -euo pipefail

QEL_PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libcups2-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-dejavu-core fonts-liberation2 fontconfig
  libxml2-utils xsltproc poppler-utils python3-xlrd
  cups printer-driver-cups-pdf
  xvfb openbox libxcb-xtest0-dev libxcb-xfixes0-dev
)

qel_missing=()
for p in "${QEL_PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    qel_missing+=("$p")
  fi
done

if [ ${#qel_missing[@]} -gt 0 ]; then
  echo "Installing: ${qel_missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${qel_missing[@]}"
fi
