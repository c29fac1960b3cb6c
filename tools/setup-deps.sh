#!/bin/sh
# Installs the Debian 12 packages Quarvenix needs to build, test and run,
# when any is missing (with the argument "package": to make the package). Runs apt-get as root directly, otherwise through sudo.
set -eu
# Printing needs Qt's CUPS print plugin (libqt6printsupport6) and the CUPS
# client library; the print tests run their own CUPS scheduler with a queue
# that writes PDF (cups, printer-driver-cups-pdf, ghostscript) and read PDF
# files back with pdftotext (poppler-utils). The statistics window draws its
# charts with Qt Charts (qt6-charts-dev, GPLv3; its CMake package needs
# libqt6opengl6-dev). The server tests make their certificates with openssl
# and read libpq's messages in Japanese too (the ja_JP.UTF-8 locale).
# Printed listings and reports use IPA Gothic (fonts-ipafont-gothic), whose PDF
# text gives 月 and 日 rather than the look-alike radicals.
PACKAGES="build-essential cmake ninja-build pkg-config
qt6-base-dev qt6-base-dev-tools qt6-serialport-dev qt6-charts-dev libqt6opengl6-dev libqt6serialport6
libsqlite3-dev libgl-dev fonts-noto-cjk fonts-ipafont-gothic xvfb xauth
libqt6printsupport6 libcups2-dev cups printer-driver-cups-pdf ghostscript poppler-utils
libpq-dev postgresql openssl locales
qt6-translations-l10n"
# `setup-deps.sh package`: what makes the Debian package (dpkg-dev) and checks
# it (lintian), instead of the above.
if [ "${1:-}" = package ]; then
    PACKAGES="dpkg-dev lintian"
fi
missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done
if [ "$(id -u)" -eq 0 ]; then SUDO=""; else SUDO="sudo"; fi
if [ -n "$missing" ]; then
    echo "Installing:$missing"
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update -qq
    # shellcheck disable=SC2086
    $SUDO apt-get install -y -qq --no-install-recommends $missing
fi
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    echo "Generating the locale ja_JP.UTF-8"
    $SUDO localedef -i ja_JP -f UTF-8 ja_JP.UTF-8 ||
        echo "ja_JP.UTF-8 could not be generated; the tests that need it are skipped"
fi
