#!/usr/bin/env bash
# Installs the Debian packages Mirvane needs to build, run and test.
# Idempotent: does nothing when every package is already installed.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6svg6
  libgtest-dev libgmock-dev libbenchmark-dev
  libcurl4-openssl-dev libjpeg-dev libicu-dev
  fonts-ipafont-gothic fonts-ipafont-mincho
  python3 python3-fonttools fonts-symbola unicode-data fonts-unifont
  python3-aiosmtpd openssl curl
  media-types
  xvfb xauth
  strace util-linux
  qt6-base-private-dev
  openbox xdotool x11-utils libxcb1-dev
  desktop-file-utils fontconfig libfontconfig-dev
  clang libclang-rt-14-dev
  unicode-cldr-core
  dbus dbus-daemon dbus-bin at-spi2-core python3-pyatspi qt6ct
  qt6-translations-l10n
  dpkg-dev file lintian appstream man-db
  libmime-tools-perl ruby-mail nodejs
  x11-session-utils x11-xserver-utils
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

# npm comes with some builds of nodejs (and conflicts with Debian's npm package then).
if ! command -v npm >/dev/null 2>&1; then
  missing+=(npm)
fi

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
