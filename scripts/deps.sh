#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need. Run as root.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config git clang-format
  googletest libgtest-dev libgmock-dev
  libx11-dev libxext-dev libxrandr-dev libxinerama-dev libxss-dev libpng-dev libsimpleini-dev libfltk1.3-dev libfontconfig-dev libxft-dev
  libwayland-dev libwayland-bin wayland-protocols librust-wayland-protocols-dev plasma-wayland-protocols
  g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64
  xvfb xserver-xephyr xauth xdotool x11-utils x11-xserver-utils imagemagick
  python3 xscreensaver xsecurelock xss-lock openbox fluxbox wmctrl dbus-daemon python3-dbusmock
  sway swayidle grim wtype
  fonts-ipafont-gothic fonts-liberation locales
  dpkg-dev lintian file man-db
)
# Extras on request, any of them together: --bench (Google Benchmark, cairo) and --fuzz (clang
# with libFuzzer and the sanitizer runtimes).
for extra in "$@"; do
  case $extra in
    --bench) packages+=(libbenchmark-dev libcairo2-dev) ;;
    --fuzz) packages+=(clang libclang-rt-14-dev) ;;
    *)
      echo "deps.sh: unknown option $extra (known: --bench, --fuzz)" >&2
      exit 2
      ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "deps.sh: these packages are missing and installing them needs root: ${missing[*]}" >&2
    exit 1
  fi
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The Japanese locales, in both encodings a Japanese desktop uses: the window-title tests run
# the dialog in each.
wanted_locales=()
for name in ja_JP.UTF-8 ja_JP.EUC-JP; do
  normal=$(tr 'A-Z' 'a-z' <<<"${name/.EUC-JP/.eucjp}" | sed 's/utf-8/utf8/')
  locale -a 2>/dev/null | tr 'A-Z' 'a-z' | grep -qx "$normal" || wanted_locales+=("$name")
done
if [ ${#wanted_locales[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "deps.sh: generating the locales ${wanted_locales[*]} needs root" >&2
    exit 1
  fi
  for name in "${wanted_locales[@]}"; do
    case $name in
      *.UTF-8) charset=UTF-8 ;;
      *) charset=EUC-JP ;;
    esac
    localedef -i "${name%%.*}" -c -f "$charset" "$name"
  done
fi
