#!/usr/bin/env bash
# Files near the size limit, made sparse so that they cost no disk: a real sequence header at
# positions past 2 GiB and 3 GB and in the last full 10 MiB chunk of the largest accepted file
# is converted and restored exactly; a file of 4 GiB is refused and left untouched.
# Usage: large_files.sh TOLVA_CLI FIXTURE_DIR
set -uo pipefail
TOLVA_CLI=$1
FIXTURES=$2
source "$(dirname "$0")/lib.sh"

# The first sequence header of the MPEG-2 fixture with the bytes after it: 16:9, 29.97 fps.
source_stream="$FIXTURES/mpeg2_720x480_2997_16x9.m2v"
expect_eq "fixture starts with its sequence header" 000001b3 "$(start_code_before "$source_stream" 7)"
head -c 64 "$source_stream" >"$work/header"

put_header() { dd if="$work/header" of="$1" bs=1 seek="$2" conv=notrunc status=none; }

largest=$work/largest.m2v
truncate -s 4294967295 "$largest"
chunk=10485760
last_full_chunk=$((408 * chunk))  # chunk 409 is the short final one
starts=(2147483645 3000000000 $((last_full_chunk + 1000)))
for start in "${starts[@]}"; do put_header "$largest" "$start"; done
cp --sparse=always "$largest" "$work/original.m2v"

"$TOLVA_CLI" convert --quiet --rate 25 "$largest" || fail "convert the largest file"
expect_eq "largest: length" 4294967295 "$(stat -c %s "$largest")"
for start in "${starts[@]}"; do
  expect_eq "largest: byte 7 at $start" 33 "$(byte_at "$largest" $((start + 7)))"
  expect_eq "largest: byte 6 at $start" "$(byte_at "$work/original.m2v" $((start + 6)))" \
    "$(byte_at "$largest" $((start + 6)))"
done
expect_eq "largest: restore file" "$(printf '%s\r\n' 52 2147483652 3000000007 $((last_full_chunk + 1007)))" \
  "$(cat "$work/largest(fps).ini")"

"$TOLVA_CLI" restore --quiet "$largest" || fail "restore the largest file"
expect_eq "largest: length after restore" 4294967295 "$(stat -c %s "$largest")"
expect_eq "largest: restored exactly" "" "$(cmp "$work/original.m2v" "$largest")"

too_large=$work/too_large.m2v
truncate -s 4294967296 "$too_large"
put_header "$too_large" 0
output=$("$TOLVA_CLI" convert --rate 25 "$too_large")
expect_eq "4 GiB: exit status" 1 $?
expect_eq "4 GiB: refused" "ファイルサイズが大きすぎて扱えません。" "$output"
expect_eq "4 GiB: untouched" 34 "$(byte_at "$too_large" 7)"
expect_eq "4 GiB: no restore file" no "$([ -e "$work/too_large(fps).ini" ] && echo yes || echo no)"

finish
