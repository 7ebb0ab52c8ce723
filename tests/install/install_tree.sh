#!/usr/bin/env bash
# Installs the build into a scratch root, as `cmake --install` with DESTDIR does for a
# package, and checks that every file an install must hold is there.
#   install_tree.sh BUILD ROOT INSTALLED EXPECTED-LIST
set -u
build="$1" root="$2" installed="$3" expected="$4"

rm -rf "$root"
if ! DESTDIR="$root" cmake --install "$build" >"$root.log" 2>&1; then
  cat "$root.log" >&2
  echo "FAIL: cmake --install" >&2
  exit 1
fi
missing=0
while read -r file; do
  [ -z "$file" ] && continue
  if [ ! -s "$installed/$file" ]; then
    echo "FAIL: $file is not installed" >&2
    missing=1
  fi
done <"$expected"
[ "$missing" -eq 0 ] || exit 1
echo "ok: $(find "$root" -type f | wc -l) files installed"
