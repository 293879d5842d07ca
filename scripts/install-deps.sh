#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the benchmarks need, when missing.
set -euo pipefail
pkgs=(cmake g++ make qt6-base-dev qt6-svg-dev fonts-dejavu-core dbus-daemon libcap2-bin libgtest-dev libgmock-dev libbenchmark-dev
      iproute2 net-tools tftp-hpa socat python3 clang clang-format libclang-rt-14-dev)
# The real-display tests: a virtual X server, XTEST input, a window manager, X queries and
# the screenshot of a failure.
pkgs+=(xvfb xdotool openbox x11-utils imagemagick)
# What a screen reader hears, read over the accessibility bus.
pkgs+=(at-spi2-core python3-pyatspi)
# Packaging and its checks: make package, the package and service tests.
pkgs+=(dpkg-dev desktop-file-utils appstream systemd libcap2-bin gzip groff-base)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
