#!/usr/bin/env bash
# Builds the Debian package and inspects it: its name and section, library dependencies
# found by the package tools, and every program with its page, the data, the desktop files
# and the icons under /usr.
#   package_deb.sh BUILD PROGRAM-LIST
set -u
build="$1"
read -r -a programs <"$2"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$tmp" >"$tmp/cpack.log" 2>&1 ||
  fail "cpack: $(cat "$tmp/cpack.log")"
deb="$(ls "$tmp"/*.deb 2>/dev/null | head -n 1)"
[ -n "$deb" ] || fail "no package made"
info="$(dpkg-deb --info "$deb")" || fail "dpkg-deb --info"
contents="$(dpkg-deb --contents "$deb" | awk '{print $6}')" || fail "dpkg-deb --contents"

grep -q "^ Package: bermrider$" <<<"$info" || fail "package name: $info"
grep -q "^ Section: games$" <<<"$info" || fail "section: $info"
depends="$(grep "^ Depends:" <<<"$info")"
# Computed from the programs' libraries, plus the one loaded at run time.
for lib in libc6 libsdl2-2.0-0 libode8 libpng16-16 libgl1; do
  grep -qE "[ ,]$lib( |,|$)" <<<"$depends" || fail "$lib missing from $depends"
done
for program in "${programs[@]}"; do
  grep -qx "./usr/bin/$program" <<<"$contents" || fail "no /usr/bin/$program"
  grep -qx "./usr/share/man/man6/$program.6.gz" <<<"$contents" || fail "no page for $program"
done
for file in ./usr/share/bermrider/zzzz.saf \
  ./usr/share/applications/org.bermrider.Bermrider.desktop \
  ./usr/share/metainfo/org.bermrider.Bermrider.metainfo.xml \
  ./usr/share/icons/hicolor/48x48/apps/org.bermrider.Bermrider.png; do
  grep -qx "$file" <<<"$contents" || fail "no $file"
done
if grep -q "^./usr/local" <<<"$contents"; then fail "files under /usr/local"; fi
if [[ " ${programs[*]} " == *" bermrider-server "* ]]; then
  grep -qx ./usr/lib/systemd/system/bermrider-server.service <<<"$contents" || fail "no unit"
  dpkg-deb --ctrl-tarfile "$deb" | tar -xO ./conffiles | grep -qx /etc/bermrider/server.conf ||
    fail "the server's configuration is no conffile"
fi
echo "ok: $(basename "$deb") $(stat -c %s "$deb") bytes"
