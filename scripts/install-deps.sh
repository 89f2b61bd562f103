#!/usr/bin/env bash
# Installs the Debian packages Tessaly needs to build, test and run; does nothing when all are present.
set -euo pipefail

# The desktop install's test needs xdg-utils with the MIME lookup it only recommends
# (libfile-mimeinfo-perl), shared-mime-info and desktop-file-utils; the template schema's test
# needs python3-jsonschema.
PACKAGES=(qt6-base-dev qt6-svg-dev libjpeg62-turbo-dev libsqlite3-dev libqt6sql6-sqlite libqt6sql6-psql postgresql
  libfontconfig-dev fonts-liberation2
  fonts-liberation libgtest-dev libbenchmark-dev cmake g++ xvfb xauth imagemagick poppler-utils
  ccache cups libcups2-dev printer-driver-cups-pdf qt6-translations-l10n ninja-build valgrind pkg-config clang libclang-rt-14-dev locales
  xdotool shared-mime-info desktop-file-utils xdg-utils libfile-mimeinfo-perl python3-jsonschema)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
$SUDO apt-get update
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y "${missing[@]}"
