#!/usr/bin/env bash
# zarmok-render reads the saver's own settings file when no --ini is given: the one in an
# absolute XDG_CONFIG_HOME, else in $HOME/.config, and with no home none at all (the defaults,
# nothing read below the current folder); --ini names any other file.
source "$(dirname "$0")/_lib.sh"
render=${ZARMOK_RENDER_PATH:?ZARMOK_RENDER_PATH must name the built zarmok-render}

# loaded_bugs ENV...: the MaxBugs that a run under that environment loaded.
loaded_bugs() {
  (cd "$WORK/cwd" && env "$@" "$render" --steps 0 --size 40x40 --seed 1 --trace "$WORK/t.jsonl") ||
    fail "$*: zarmok-render failed"
  head -n1 "$WORK/t.jsonl" | grep -o '"loaded": {[^}]*' | grep -o '"MaxBugs": [0-9]*' | grep -o '[0-9]*$'
}

mkdir -p "$WORK/cwd/~/.config/zarmok" "$WORK/home/.config/zarmok" "$WORK/cfg/zarmok"
printf '[Zarmok]\nMaxBugs=9\n' >"$WORK/cwd/~/.config/zarmok/zarmok.ini"
printf '[Zarmok]\nMaxBugs=5\n' >"$WORK/home/.config/zarmok/zarmok.ini"
printf '[Zarmok]\nMaxBugs=7\n' >"$WORK/cfg/zarmok/zarmok.ini"
printf '[Zarmok]\nMaxBugs=11\n' >"$WORK/other.ini"

[ "$(loaded_bugs HOME="$WORK/home" XDG_CONFIG_HOME="$WORK/cfg")" = 7 ] || fail "XDG_CONFIG_HOME not read"
[ "$(loaded_bugs HOME="$WORK/home" XDG_CONFIG_HOME=cfg)" = 5 ] || fail "a relative XDG_CONFIG_HOME counted"
[ "$(loaded_bugs -u HOME -u XDG_CONFIG_HOME)" = 3 ] || fail "no home: not the defaults"
[ "$(loaded_bugs HOME=home XDG_CONFIG_HOME=)" = 3 ] || fail "relative home: not the defaults"
(cd "$WORK/cwd" && HOME="$WORK/home" "$render" --steps 0 --size 40x40 --ini ../other.ini \
  --trace "$WORK/t.jsonl") || fail "--ini run failed"
grep -q '"loaded": {[^}]*"MaxBugs": 11' "$WORK/t.jsonl" || fail "--ini not read"
echo "render_settings_file: ok"
