#!/usr/bin/env bash
# Installs the Debian packages the build needs (only those missing), then configures and builds:
# the targets given (for example "quorin", the program alone), or everything (the tests too).
set -euo pipefail
cd "$(dirname "$0")/.."

# postgresql: the tests run the shared history against a server of their own; libpq-dev: its client.
# dpkg-dev and file: the Debian package ("cpack -G DEB") works out its dependencies with them.
packages=(g++ cmake ninja-build qt6-base-dev qt6-qpa-plugins libgtest-dev libgsl-dev libsqlite3-dev
          fonts-ipafont-gothic dpkg-dev file libxlsxwriter-dev pkg-config unzip
          qt6-translations-l10n postgresql libpq-dev)
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
