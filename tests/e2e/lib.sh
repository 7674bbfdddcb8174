# Helpers of the end-to-end tests. Sourced; TOLVA_CLI names the binary.

failures=0
checks=0

# A folder of the test's own, removed when it ends.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# expect_eq WHAT EXPECTED ACTUAL
expect_eq() {
  checks=$((checks + 1))
  if [ "$2" != "$3" ]; then
    fail "$1: expected [$2], got [$3]"
  fi
}

# The byte at a 0-based position, as two hex digits.
byte_at() { od -An -tx1 -j "$2" -N1 "$1" | tr -d ' \n'; }

# The four bytes before byte 7 of a header whose byte 7 is at the position.
start_code_before() { od -An -tx1 -j "$(($2 - 7))" -N4 "$1" | tr -d ' \n'; }

# The frame rate ffprobe reads from the first video stream.
probe_rate() {
  ffprobe -v error -select_streams v:0 -show_entries stream=r_frame_rate -of csv=p=0 "$1" |
    head -n1 | tr -d ',\r'
}

finish() {
  echo "$((checks - failures)) passed, $failures failed"
  [ "$failures" -eq 0 ]
}
