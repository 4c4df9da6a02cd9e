#!/usr/bin/env bash
# Installs the Debian packages Zarmok needs: with --saver only what building and running the
# saver needs (the run command's), else also everything the tests need (the test command's).
# Missing packages are installed with apt-get: by root directly, by anyone else through sudo,
# which is said first. Nothing else here needs root, and nothing is done when all is in place.
#   bash scripts/deps.sh [--saver] [--bench] [--fuzz] [--list]
# --list prints the packages, one a line, and installs nothing.
set -euo pipefail

# The compiler, CMake and Ninja; the X11, Wayland, FLTK and PNG development files; a Japanese
# font for the dialog's captions; xdpyinfo, which run.sh asks whether the X display opens.
saver_packages=(
  build-essential cmake ninja-build pkg-config
  libx11-dev libxext-dev libxrandr-dev libxinerama-dev libxss-dev libpng-dev libfltk1.3-dev libfontconfig-dev libxft-dev
  libwayland-dev libwayland-bin wayland-protocols librust-wayland-protocols-dev plasma-wayland-protocols
  libsystemd-dev
  fonts-ipafont-gothic x11-utils
)
# The tests: GoogleTest, the INI library the settings reader is checked against, the Windows
# cross-build and Wine, X servers, window managers, screen-saver hosts, a headless compositor
# and its tools, the packaging checks, the fonts and locales the pictures and titles are checked
# in.
test_packages=(
  git clang-format googletest libgtest-dev libgmock-dev libsimpleini-dev
  g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64
  xvfb xserver-xephyr xauth xdotool x11-xserver-utils imagemagick
  python3 xscreensaver xsecurelock xss-lock openbox fluxbox wmctrl dbus-daemon python3-dbusmock
  sway swayidle grim wtype
  mutter gnome-shell weston python3-gi gir1.2-glib-2.0 libglib2.0-bin procps
  fonts-liberation fontconfig locales
  dpkg-dev lintian file man-db unzip
)

saver_only=
list_only=
extras=()
for option in "$@"; do
  case $option in
    --saver) saver_only=1 ;;
    --list) list_only=1 ;;
    # Google Benchmark and cairo for the benchmarks; clang with libFuzzer and the sanitizer
    # runtimes for the fuzz targets.
    --bench) extras+=(libbenchmark-dev libcairo2-dev) ;;
    --fuzz) extras+=(clang libclang-rt-14-dev) ;;
    *)
      echo "deps.sh: unknown option $option (known: --saver, --bench, --fuzz, --list)" >&2
      exit 2
      ;;
  esac
done
packages=("${saver_packages[@]}" "${extras[@]}")
if [ -z "$saver_only" ]; then packages+=("${test_packages[@]}"); fi
if [ -n "$list_only" ]; then
  printf '%s\n' "${packages[@]}"
  exit 0
fi

# as_root WHAT CMD...: runs CMD as root, through sudo unless this is root already.
as_root() {
  local what=$1
  shift
  if [ "$(id -u)" -eq 0 ]; then
    "$@"
  elif command -v sudo >/dev/null; then
    echo "deps.sh: $what needs root: asking sudo (it may ask for your password)." >&2
    sudo "$@"
  else
    echo "deps.sh: $what needs root, and sudo is not installed: run this script as root." >&2
    exit 1
  fi
}

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  as_root "installing ${missing[*]}" sh -c \
    'apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$@"' \
    apt-get "${missing[@]}"
fi
if [ -n "$saver_only" ]; then exit 0; fi

# The Japanese locales, in both encodings a Japanese desktop uses: the window-title tests run
# the dialog in each.
wanted_locales=()
for name in ja_JP.UTF-8 ja_JP.EUC-JP; do
  normal=$(tr 'A-Z' 'a-z' <<<"${name/.EUC-JP/.eucjp}" | sed 's/utf-8/utf8/')
  locale -a 2>/dev/null | tr 'A-Z' 'a-z' | grep -qx "$normal" || wanted_locales+=("$name")
done
for name in "${wanted_locales[@]}"; do
  case $name in
    *.UTF-8) charset=UTF-8 ;;
    *) charset=EUC-JP ;;
  esac
  as_root "generating the locale $name" localedef -i "${name%%.*}" -c -f "$charset" "$name"
done
