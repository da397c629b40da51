#!/usr/bin/env bash
# Installs the Debian packages the build, the suite and the Debian package need (only those
# missing), then configures and builds: the targets given (for example "quorin", the program
# alone), or everything (the tests too). "--list-packages" prints the packages and does nothing else.
set -euo pipefail
cd "$(dirname "$0")/.."

# The build: compiler, build tools, and the development files of every library linked (zlib's for
# the workbook library, whose link line asks for -lz).
# postgresql: the tests run the shared history against a server of their own; libpq-dev: its client.
# dpkg-dev and file: the Debian package ("cpack -G DEB") works out its dependencies with them.
# unzip and python3 (with python3-hl7): the suite reads the workbook and the HL7 messages with them.
packages=(g++ cmake ninja-build pkg-config qt6-base-dev qt6-qpa-plugins qt6-translations-l10n
          libgtest-dev libgsl-dev libsqlite3-dev libxlsxwriter-dev zlib1g-dev libpq-dev
          fonts-ipafont-gothic dpkg-dev file postgresql unzip python3 python3-hl7)
if [ "${1-}" = "--list-packages" ]; then
  printf '%s\n' "${packages[@]}"
  exit 0
fi
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y --no-install-recommends "${missing[@]}"
fi

cmake --preset release >/dev/null
targets=()
for target in "$@"; do targets+=(--target "$target"); done
cmake --build --preset release "${targets[@]}"
