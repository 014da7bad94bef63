#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a temporary root (as dpkg would,
# without installing) and uses the exporter from it: --help, then a render of a
# song with the packaged art.
#
#   debian_package_test.sh BUILD_DIR SOURCE_DIR
set -u
build=$1
source=$2
T=$(mktemp -d "${TMPDIR:-/tmp}/tessaloop-package-XXXXXX")
cleanup() { if [ "${passed:-0}" = 1 ]; then rm -rf "$T"; else echo "test folder kept: $T"; fi; }
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }
command -v dpkg-deb >/dev/null || { echo "SKIP: dpkg-deb is missing"; passed=1; exit 77; }

(cd "$build" && cpack -G DEB -B "$T/package") >"$T/cpack.log" 2>&1 || fail "cpack: $(tail -n 5 "$T/cpack.log")"
deb=$(ls "$T"/package/tessaloop_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || fail "no package was made"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libportaudio2 libsdl2-2.0-0 libsndfile1; do
  echo "$depends" | grep -q "$library" || fail "the package does not depend on $library ($depends)"
done

root=$T/root
dpkg -x "$deb" "$root" || fail "dpkg -x"
for file in usr/bin/tessaloop usr/bin/tessaloop3 usr/bin/tessaloop6 usr/bin/tessaloop-render \
            usr/share/tessaloop/data/text.bmp usr/share/applications/tessaloop.desktop \
            usr/share/man/man1/tessaloop.1; do
  [ -e "$root/$file" ] || fail "$file is not in the package"
done

render=$root/usr/bin/tessaloop-render
"$render" --help >"$T/help.txt" 2>&1 || fail "--help exits with $?"
grep -q "SONG OUT" "$T/help.txt" || fail "--help does not print the usage: $(cat "$T/help.txt")"

work=$T/work
mkdir -p "$work"
ln -s "$root/usr/share/tessaloop/data" "$work/data"
ln -s "$root/usr/share/tessaloop/userbitmaps" "$work/userbitmaps"
cp "$source/fuzz/corpus/songfile/good-rich-3" "$work/song.tlp"
(cd "$work" && "$render" --positions 2 song.tlp out.wav) >"$T/render.log" 2>&1 || fail "render: $(cat "$T/render.log")"
[ -s "$work/out.wav" ] || fail "no output file"
head -c 4 "$work/out.wav" | grep -q RIFF || fail "the output is not a WAV file"

passed=1
echo PASS
