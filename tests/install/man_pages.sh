#!/usr/bin/env bash
# Every installed program has a manual page that renders without a warning and names every
# option and command that the program's own help lists.
#   man_pages.sh INSTALLED BINDIR MANDIR PROGRAM-LIST
set -u
installed="$1" bindir="$2" mandir="$3"
read -r -a programs <"$4"
err="$(mktemp)"
trap 'rm -f "$err"' EXIT
status=0
for program in "${programs[@]}"; do
  page="$installed/$mandir/man6/$program.6.gz"
  if [ ! -f "$page" ]; then
    echo "FAIL: $program has no manual page" >&2
    status=1
    continue
  fi
  # The C locale renders hyphens as plain '-', so options read as typed.
  text="$(LC_ALL=C MANWIDTH=100 man --warnings -P cat -l "$page" 2>"$err")"
  if [ -s "$err" ] || [ -z "$text" ]; then
    echo "FAIL: $program's page does not render cleanly:" >&2
    cat "$err" >&2
    status=1
  fi
  help="$("$installed/$bindir/$program" --help 2>&1)"
  words="$(grep -oE -- "--[a-z][a-z-]*" <<<"$help"; grep -oE "^ *(usage: )?$program [a-z][a-z-]*" <<<"$help" | awk '{print $NF}')"
  for word in $(sort -u <<<"$words"); do
    if ! grep -qwF -- "$word" <<<"$text"; then
      echo "FAIL: $program's page does not mention $word" >&2
      status=1
    fi
  done
done
[ "$status" -eq 0 ] && echo "ok: ${programs[*]}"
exit "$status"
