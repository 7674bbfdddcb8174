#!/usr/bin/env bash
# Other processes on the same file: a file held with flock is neither converted nor restored,
# and two conversions at once leave it consistent and restorable.
# Usage: concurrency.sh TOLVA_CLI FIXTURE_DIR
set -uo pipefail
TOLVA_CLI=$1
FIXTURES=$2
source "$(dirname "$0")/lib.sh"

original=$FIXTURES/mpeg2_720x480_2997_16x9.m2v
video=$work/movie.m2v

# Held by another process: convert, then restore, are refused and change nothing.
cp "$original" "$video"
exec 9<"$video"
flock -x 9  # this shell holds the file, as another program would
output=$("$TOLVA_CLI" convert --rate 25 "$video" 2>&1)
expect_eq "held: convert exit status" 1 $?
expect_eq "held: convert message" "ファイル $video は開けません." "$output"
expect_eq "held: convert changed nothing" "" "$(cmp "$original" "$video")"
expect_eq "held: no restore file" no "$([ -e "$work/movie(fps).ini" ] && echo yes || echo no)"
exec 9<&-

"$TOLVA_CLI" convert --quiet --rate 25 "$video" || fail "convert"
cp "$video" "$work/converted.m2v"
exec 9<"$video"
flock -x 9
output=$("$TOLVA_CLI" restore "$video" 2>&1)
expect_eq "held: restore exit status" 1 $?
expect_eq "held: restore message" "ファイル $video は開けません." "$(tail -n1 <<<"$output")"
expect_eq "held: restore changed nothing" "" "$(cmp "$work/converted.m2v" "$video")"
exec 9<&-

# Two conversions at once, to different rates, several times over.
for round in 1 2 3 4 5; do
  cp "$original" "$video"
  rm -f "$work/movie(fps).ini"
  "$TOLVA_CLI" convert --quiet --rate 25 "$video" 2>/dev/null &
  first=$!
  "$TOLVA_CLI" convert --quiet --rate 24 "$video" 2>/dev/null &
  second=$!
  wait "$first"
  wait "$second"
  codes=$(cmp -l "$original" "$video" | awk '{print $3}' | sort -u | tr '\n' ' ')
  checks=$((checks + 1))
  case "$codes" in
    "" | "62 " | "63 ") ;;  # untouched, or every header at 24 (0x32) or 25 (0x33)
    *) fail "round $round: headers disagree: $codes" ;;
  esac
  if [ -e "$work/movie(fps).ini" ]; then
    expect_eq "round $round: old byte recorded" 52 "$(head -n1 "$work/movie(fps).ini" | tr -d '\r')"
    "$TOLVA_CLI" restore --quiet "$video" || fail "round $round: restore"
  fi
  expect_eq "round $round: restorable" "" "$(cmp "$original" "$video")"
done

finish
