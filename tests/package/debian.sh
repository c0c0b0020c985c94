#!/usr/bin/env bash
# cpack -G DEB: the package holds the game in /usr/games with its share
# folder, depends on the libraries it links and on the audio libraries it
# opens at the first sound and on Qt's translations, recommends the
# soundfont, and lintian finds no error in it.
set -euo pipefail
build=$1
out=$(mktemp -d "${TMPDIR:-/tmp}/tessaron-deb-XXXXXX")
trap 'rm -rf "$out"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 || { cat "$out/cpack.log"; fail "cpack"; }
deb=$(ls "$out"/tessaron_*.deb)
info=$(dpkg-deb -I "$deb")
grep -q '^ Depends:.*libqt6widgets6' <<< "$info" || fail "the dependencies do not name the Qt libraries"
for audio in libsdl2-2.0-0 libfluidsynth3 qt6-translations-l10n; do
  grep -q "^ Depends:.*$audio" <<< "$info" || fail "the dependencies do not name $audio"
done
grep -q '^ Recommends: timgm6mb-soundfont' <<< "$info" || fail "the soundfont is not recommended"
contents=$(dpkg-deb -c "$deb")
for path in ./usr/games/tessaron ./usr/share/tessaron/pics/puzzle01.jpg \
  ./usr/share/applications/example.marlpit.Tessaron.desktop ./usr/share/metainfo/example.marlpit.Tessaron.metainfo.xml \
  ./usr/share/man/man6/tessaron.6.gz ./usr/share/doc/tessaron/copyright; do
  grep -q " $path\$" <<< "$contents" || fail "the package lacks $path"
done
# Network play is in the program: the libraries it links among the dependencies.
grep -q '^ Depends:.*libqt6network6' <<< "$info" || fail "the dependencies do not name Qt Network"
if command -v lintian >/dev/null; then
  lintian --no-tag-display-limit "$deb" >"$out/lintian.log" 2>&1 || true
  if grep -q '^E: ' "$out/lintian.log"; then cat "$out/lintian.log"; fail "lintian reports errors"; fi
fi
echo "the Debian package is whole"
