# Sourced by the end-to-end scripts: `fail MESSAGE` ends the script with status 1 and shows
# what the program under test printed ($tmp/out and $tmp/err, where the script kept them).
fail() {
  echo "FAIL: $*" >&2
  [ -f "$tmp/out" ] && sed 's/^/  out: /' "$tmp/out" >&2
  [ -f "$tmp/err" ] && sed 's/^/  err: /' "$tmp/err" >&2
  exit 1
}
