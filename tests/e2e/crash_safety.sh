#!/usr/bin/env bash
# Kills tolva-cli with SIGKILL in the middle of a conversion of a file with 200,000 headers,
# at several points, and checks that the restore file is never partial and that a restore
# afterwards gives the original back byte for byte. Then the same with a killed restore.
# Usage: crash_safety.sh TOLVA_CLI
set -uo pipefail
TOLVA_CLI=$1
source "$(dirname "$0")/lib.sh"

# 200,000 records of 64 bytes: a 16:9, 29.97 fps sequence header and 56 bytes of payload.
printf '\x00\x00\x01\xb3\x2d\x01\xe0\x34' >"$work/record"
head -c 56 /dev/zero | tr '\0' 'U' >>"$work/record"
cp "$work/record" "$work/all"
for _ in $(seq 18); do cat "$work/all" "$work/all" >"$work/twice" && mv "$work/twice" "$work/all"; done
head -c $((200000 * 64)) "$work/all" >"$work/original.m2v"
rm "$work/all" "$work/twice" 2>/dev/null

video=$work/movie.m2v
restore_file=$work/movie\(fps\).ini
# The header at 10,485,760 sits exactly on a pass boundary and is listed twice: the restore file
# holds the old byte and 200,001 positions.
lines=200002
# Kill points: early in the scan, and at times after the restore file appeared, which is right
# before the first byte of the video is written.
kill_points=("start 0.005" "record 0" "record 0.005" "record 0.01" "record 0.02" "record 0.04" "record 0.08")
interrupted=0
for point in "${kill_points[@]}"; do
  read -r after delay <<<"$point"
  cp "$work/original.m2v" "$video"
  rm -f "$restore_file"
  "$TOLVA_CLI" convert --quiet --rate 25 "$video" &
  pid=$!
  if [ "$after" = record ]; then
    for _ in $(seq 5000); do [ -e "$restore_file" ] && break; sleep 0.001; done
  fi
  sleep "$delay"
  kill -KILL "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null

  what="killed $delay s after the $after"
  changed=$(cmp -l "$work/original.m2v" "$video" | wc -l)
  if [ "$changed" -gt 0 ] && [ "$changed" -lt 200000 ]; then interrupted=$((interrupted + 1)); fi
  expect_eq "$what: length" $((200000 * 64)) "$(stat -c %s "$video")"
  if [ -e "$restore_file" ]; then
    expect_eq "$what: restore file whole" "$lines" "$(wc -l <"$restore_file")"
    "$TOLVA_CLI" restore --quiet "$video" || fail "$what: restore"
  else
    expect_eq "$what: nothing written without a restore file" 0 "$changed"
  fi
  expect_eq "$what ($changed bytes had changed): restored" "" "$(cmp "$work/original.m2v" "$video")"
done
checks=$((checks + 1))
[ "$interrupted" -gt 0 ] || fail "no kill fell inside the rewrite"
echo "kills inside the rewrite: $interrupted of ${#kill_points[@]}"

# A restore killed half way is simply run again.
cp "$work/original.m2v" "$video"
rm -f "$restore_file"
"$TOLVA_CLI" convert --quiet --rate 25 "$video" || fail "convert"
"$TOLVA_CLI" restore --quiet "$video" &
pid=$!
sleep 0.2
kill -KILL "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
"$TOLVA_CLI" restore --quiet "$video" || fail "restore again"
expect_eq "restore killed, then run again" "" "$(cmp "$work/original.m2v" "$video")"

finish
