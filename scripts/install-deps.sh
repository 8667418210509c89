#!/usr/bin/env bash
# Installs what building and testing need on Debian 12, and nothing when it is all there.
# Recommended packages come too: Wine draws its windows with the X libraries and fonts
# among them, and the window tests were made with them.
# locales holds the sources the end-to-end suite makes its Polish locale of (no root needed).
# libhivex-bin reads the test hives back independently of our own writer and reader.
# osslsigncode and python3-cryptography sign the test catalogs the build makes.
set -euo pipefail

packages=(cmake ninja-build g++ python3 googletest clang-format libhivex-bin g++-mingw-w64-i686-posix
          g++-mingw-w64-x86-64-posix wine wine32:i386 wine64 xvfb xauth imagemagick x11-apps locales
          osslsigncode python3-cryptography)

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

if ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
    need_update=1
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ] || [ -n "${need_update:-}" ]; then
    echo "Installing: ${missing[*]}"
    # A mirror being synced makes an update fail for a while; what the lists already hold is
    # often enough, and the install says so when it is not.
    for attempt in 1 2 3; do
        as_root apt-get update -qq && break
        [ "$attempt" -lt 3 ] && sleep 20
    done
    install() { as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$@" >/dev/null; }
    if ! install "${missing[@]}"; then
        # The 32-bit packages come from lists of their own, which a mirror may serve out of step
        # with the 64-bit ones for a while. Without them the 64-bit program is still tested, and
        # the test command says that the 32-bit one was not run and why.
        native=()
        for p in "${missing[@]}"; do [[ "$p" == *:i386 ]] || native+=("$p"); done
        [ ${#native[@]} -lt ${#missing[@]} ] || exit 1
        echo "The 32-bit packages could not be installed; installing the others." >&2
        [ ${#native[@]} -eq 0 ] || install "${native[@]}"
    fi
fi
