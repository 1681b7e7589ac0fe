#!/usr/bin/env bash
# Installs whatever build, run and test packages are missing (Debian 12). Safe to run again.
set -euo pipefail
pkgs=(build-essential cmake pkg-config qt6-base-dev qt6-declarative-dev qt6-webengine-dev qt6-pdf-dev libgl-dev libpcre2-dev
      libjpeg62-turbo-dev libjpeg-turbo-progs fonts-noto-cjk qt6-translations-l10n xvfb xauth xdg-utils
      appstream desktop-file-utils x11-utils  # the desktop entry and metainfo checks; the installed-window test
      openbox xdotool  # the window, key and start tests run under a window manager
      lintian  # ./run package checks the packages against Debian's policy
      dbus at-spi2-core python3-pyatspi  # the screen-reader test reads the window through AT-SPI
      clang-14 libclang-rt-14-dev  # these two: the fuzz targets (libFuzzer and its sanitizers)
      clang-format-14  # the formatting check of CI: the tree as the project's .clang-format writes it
      unicode-data bzip2  # the search's fold classes, written at build time from Unihan_Variants.txt.bz2
      libturbojpeg0-dev  # the export's scan crops: cut losslessly from the JPEG with TurboJPEG's transform
      libxml2-utils chromium  # the export tests: xmllint checks the TEI, headless Chromium opens the site
      locales libc-l10n)  # system error reasons in Chinese: the test builds the zh_TW.UTF-8 locale below
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -q
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
# The C library gives its messages in Chinese only in a Chinese locale that has been built.
if ! locale -a 2>/dev/null | grep -qix 'zh_TW.utf8'; then
  $SUDO localedef -i zh_TW -f UTF-8 zh_TW.UTF-8
fi
