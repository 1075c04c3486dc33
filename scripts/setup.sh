#!/usr/bin/env bash
# Installs every Debian package the project needs. Idempotent and quiet when all is present.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-translations-l10n
  libxml2-dev libxml2-utils libcurl4-openssl-dev libzip-dev zip
  libgtest-dev libgmock-dev libbenchmark-dev
  python3 xvfb xauth time bc mawk locales
  clang libclang-rt-14-dev clang-format
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The users' machines run in the Polish locale (decimal comma); the tests run there too.
if ! locale -a 2>/dev/null | grep -qi '^pl_PL\.utf-\?8$'; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO localedef -i pl_PL -c -f UTF-8 -A /usr/share/locale/locale.alias pl_PL.UTF-8
fi

# The suite passes under any locale; en_US.UTF-8 is there to show it (LANG=en_US.UTF-8 ctest …).
if ! locale -a 2>/dev/null | grep -qi '^en_US\.utf-\?8$'; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO localedef -i en_US -c -f UTF-8 -A /usr/share/locale/locale.alias en_US.UTF-8
fi
