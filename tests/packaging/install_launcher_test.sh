#!/usr/bin/env bash
# Installs into a temporary prefix and runs the launcher twice, headless (the
# dummy video driver, an ALSA device that keeps nothing): the first run
# prepares the user's folder, the second finds it prepared and changes none of
# the user's files; nothing installed is written to.
#
#   install_launcher_test.sh BUILD_DIR SOURCE_DIR
set -u
build=$1
T=$(mktemp -d "${TMPDIR:-/tmp}/tessaloop-install-XXXXXX")
APP=""
cleanup() {
  [ -n "$APP" ] && kill "$APP" 2>/dev/null && wait "$APP" 2>/dev/null
  if [ "${passed:-0}" = 1 ]; then rm -rf "$T"; else echo "test folder kept: $T"; fi
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; [ -f "$folder/debug.txt" ] && tail -n 5 "$folder/debug.txt"; exit 1; }

prefix=$T/prefix
cmake --install "$build" --prefix "$prefix" >"$T/install.log" 2>&1 || fail "cmake --install: $(tail -n 3 "$T/install.log")"
installed_sums() { (cd "$prefix" && find . -type f -exec md5sum {} + | sort); }
installed_sums >"$T/installed.before"

cat >"$T/asound.conf" <<CONF
pcm.!default {
    type file
    slave.pcm { type null }
    file "/dev/null"
    format "raw"
}
CONF
export HOME=$T/home XDG_DATA_HOME=$T/xdg ALSA_CONFIG_PATH=$T/asound.conf SDL_VIDEODRIVER=dummy
mkdir -p "$HOME"
folder=$XDG_DATA_HOME/tessaloop

# Runs the launcher until the program has listed its folders (the last line
# of its start-up), then ends it the way a session ends (SIGTERM, which the
# program takes from its event queue whenever it comes), which stops the
# sound and quits with 0.
run_launcher() {
  rm -f "$folder/debug.txt"
  "$prefix/bin/tessaloop" "$@" >"$T/app.log" 2>&1 &
  APP=$!
  local i
  for i in $(seq 200); do
    grep -q "reading directory" "$folder/debug.txt" 2>/dev/null && break
    kill -0 "$APP" 2>/dev/null || break
    sleep 0.05
  done
  grep -q "reading directory" "$folder/debug.txt" 2>/dev/null || fail "the program did not start: $(cat "$T/app.log")"
  kill -TERM "$APP"
  wait "$APP"
  local status=$?
  APP=""
  [ "$status" = 0 ] || fail "the program ended with $status: $(cat "$T/app.log")"
}

"$prefix/bin/tessaloop" --help | grep -q -- "--six" || fail "--help does not describe --six"
"$prefix/bin/tessaloop" --bogus 2>/dev/null
[ $? = 2 ] || fail "an unknown option does not exit with 2"

# First run: the folder is prepared.
run_launcher
[ -d "$folder/songs" ] || fail "no songs/ folder"
[ "$(readlink "$folder/data")" = "$prefix/share/tessaloop/data" ] || fail "data/ does not point at the installed art"
examples=$(cd "$prefix/share/tessaloop/userbitmaps" && ls)
[ -n "$examples" ] || fail "no examples installed"
for example in $examples; do
  cmp -s "$folder/userbitmaps/$example" "$prefix/share/tessaloop/userbitmaps/$example" || fail "$example was not seeded"
done
grep -q "^Done Setup$" "$folder/debug.txt" || fail "debug.txt is not in the user's folder"
grep -q "Bitmap invalid" "$folder/debug.txt" && fail "the installed art did not load"

# The user's own changes: an example replaced, one deleted, a picture added.
first=$(echo "$examples" | head -n 1)
second=$(echo "$examples" | sed -n 2p)
echo "the user's own picture" >"$folder/userbitmaps/$first"
rm "$folder/userbitmaps/$second"
cp "$prefix/share/tessaloop/data/square.bmp" "$folder/userbitmaps/mine.bmp"
echo "song" >"$folder/songs/kept.tlp"

# Second run, the six-track program: nothing of the user's is touched.
run_launcher --six
[ "$(cat "$folder/userbitmaps/$first")" = "the user's own picture" ] || fail "a user's file was overwritten"
[ ! -e "$folder/userbitmaps/$second" ] || fail "a deleted example came back"
[ -f "$folder/userbitmaps/mine.bmp" ] && [ -f "$folder/songs/kept.tlp" ] || fail "a user's file went missing"
grep -q "^Video driver: dummy$" "$folder/debug.txt" || fail "the second run did not start the program"

installed_sums >"$T/installed.after"
cmp -s "$T/installed.before" "$T/installed.after" || fail "an installed file was written to: $(diff "$T/installed.before" "$T/installed.after" | head -n 4)"

passed=1
echo PASS
