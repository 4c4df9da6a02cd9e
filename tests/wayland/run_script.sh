#!/usr/bin/env bash
# The run command as a desktop user meets it, in a copy of the tree that an ordinary user owns:
# only the saver's packages are asked for, through sudo and said first (a stand-in sudo records
# the request; a stand-in dpkg-query says some of the saver's and the tests' packages are
# missing); the build is the user's own; with no display it says so and renders the picture; in
# the sway session it runs the saver on the compositor.
source "$(dirname "$0")/_lib.sh"
[ -d "${ZARMOK_SOURCE_DIR:-}/scripts" ] || fail "ZARMOK_SOURCE_DIR does not name the source tree"
start_sway

tree="$WORK/home/zarmok"
mkdir -p "$tree"
tar -C "$ZARMOK_SOURCE_DIR" --exclude='./build*' --exclude=./out --exclude=./.git -cf - . |
  tar -C "$tree" -xf -
fake="$WORK/fake"
mkdir -p "$fake"
cat >"$fake/sudo" <<EOF
#!/bin/sh
echo "\$*" >>"$WORK/home/sudo.log"
EOF
cat >"$fake/dpkg-query" <<'EOF'
#!/bin/sh
for package; do :; done
case $package in fonts-ipafont-gothic | wine | sway | googletest) exit 1 ;; esac
exec /usr/bin/dpkg-query "$@"
EOF
chmod 0755 "$fake" "$fake/sudo" "$fake/dpkg-query"
if [ "$(id -u)" = 0 ]; then chown -R 65534:65534 "$tree"; fi
user_id=$(as_user id -u)

# No display at all: the packages asked for are the saver's alone, the build is the user's, and
# the picture is rendered instead.
code=0
as_user env -u WAYLAND_DISPLAY PATH="$fake:/usr/bin:/bin" bash "$tree/scripts/run.sh" \
  >"$WORK/run.out" 2>&1 || code=$?
[ "$code" = 0 ] || fail "run.sh without a display: exit $code: $(tail -n 20 "$WORK/run.out")"
grep -q 'needs root: asking sudo' "$WORK/run.out" || fail "sudo was not announced: $(cat "$WORK/run.out")"
grep -q 'apt-get.* fonts-ipafont-gothic' "$WORK/home/sudo.log" || fail "sudo was not asked to install"
if grep -Eq ' (wine|sway|googletest)( |$)' "$WORK/home/sudo.log"; then
  fail "the run command asked for the tests' packages: $(cat "$WORK/home/sudo.log")"
fi
grep -q 'neither WAYLAND_DISPLAY nor DISPLAY is set' "$WORK/run.out" || fail "no word of the display"
picture="$tree/build/zarmok-saver.png"
[ "$(stat -c %u "$tree/build/release/build.ninja" "$picture" | sort -u)" = "$user_id" ] ||
  fail "the build or the picture is not the user's"
read -r coloured _ <<<"$(pixel_stats "$picture")"
[ "$coloured" -gt 100 ] || fail "the picture shows no swarm ($coloured coloured pixels)"

# The sway session: the saver covers both outputs, and a key ends it and the script.
as_user exec_user env PATH="$fake:/usr/bin:/bin" bash "$tree/scripts/run.sh" >"$WORK/run.out" 2>&1 &
run=$!
CLEANUP_PIDS+=("$run")
wait_covered 60 HEADLESS-1 HEADLESS-2
grep -q 'Starting the saver in the Wayland session' "$WORK/run.out" || fail "$(cat "$WORK/run.out")"
press_key
wait_exit "$run" 10 || fail "a key did not end the saver started by run.sh"
[ "$EXIT_CODE" = 0 ] || fail "run.sh in the sway session: exit $EXIT_CODE: $(cat "$WORK/run.out")"
echo "sway session: the saver covered both outputs and a key ended it"

echo "PASS"
