#!/usr/bin/env bash
# Converts and restores streams that a real encoder made, and checks the result with a real
# decoder: the declared rate changes to the target, only byte 7 of sequence headers changes
# (its aspect-ratio nibble kept), the length stays, and a restore gives the original back.
# Usage: real_streams.sh TOLVA_CLI FIXTURE_DIR
set -uo pipefail
TOLVA_CLI=$1
FIXTURES=$2
source "$(dirname "$0")/lib.sh"
command -v ffprobe >/dev/null || { echo "ffprobe is missing (Debian package ffmpeg)" >&2; exit 1; }

rate_names=(_ 23.976 24 25 29.97 30 50 59.94)
rate_fractions=(_ 24000/1001 24/1 25/1 30000/1001 30/1 50/1 60000/1001)
display_names=(_ 23.976fps 24fps 25fps 29.97fps 30fps 50fps 59.94fps)

# fixture | its own rate code | how ffprobe sees the video: es (directly) or copied out
fixtures=(
  "mpeg1_352x240_2997.m1v 4 es"
  "mpeg2_720x480_2997_16x9.m2v 4 es"
  "mpeg2_720x576_25.mpg 3 copied"
  "mpeg2_1280x720_5994.ts 7 copied"
)

declared_rate() {
  local file=$1 how=$2
  if [ "$how" = es ]; then
    probe_rate "$file"
  else
    # The container keeps its own timestamps, which the copy complains of: quiet it.
    ffmpeg -hide_banner -loglevel fatal -y -i "$file" -map 0:v -c copy -f mpeg2video "$work/video.m2v"
    probe_rate "$work/video.m2v"
  fi
}

# Every differing byte is byte 7 of a sequence header, keeps its high nibble and carries the
# target code; the restore file lists the old byte, then exactly those positions.
check_changes() {
  local original=$1 converted=$2 code=$3 restore=$4 what=$5
  local positions=() position old new
  while read -r position old new; do
    position=$((position - 1))
    positions+=("$position")
    old=$((8#$old))
    new=$((8#$new))
    expect_eq "$what: start code before $position" 000001b3 "$(start_code_before "$original" "$position")"
    expect_eq "$what: aspect nibble at $position" $((old & 0xF0)) $((new & 0xF0))
    expect_eq "$what: rate code at $position" "$code" $((new & 0x0F))
  done < <(cmp -l "$original" "$converted")
  checks=$((checks + 1))
  [ "${#positions[@]}" -gt 1 ] || fail "$what: fewer than two headers changed"
  local first_old
  first_old=$((16#$(byte_at "$original" "${positions[0]}")))
  expect_eq "$what: restore file" "$(printf '%s\r\n' "$first_old" "${positions[@]}")" \
    "$(cat "$restore")"
}

for entry in "${fixtures[@]}"; do
  read -r name own how <<<"$entry"
  original="$FIXTURES/$name"
  stem="${name%.*}"
  expect_eq "$name: its own rate" "${rate_fractions[$own]}" "$(declared_rate "$original" "$how")"
  expect_eq "$name: check" "$name: ${display_names[$own]}" \
    "$(cd "$FIXTURES" && "$TOLVA_CLI" check --quiet "$name")"

  for code in 1 2 3 4 5 6 7; do
    what="$name -> ${rate_names[$code]}"
    rm -f "$work"/*
    cp "$original" "$work/$name"
    if [ "$code" -eq "$own" ]; then
      output=$("$TOLVA_CLI" convert --rate "${rate_names[$code]}" "$work/$name")
      expect_eq "$what: exit" 0 $?
      expect_eq "$what: message" "この動画は${display_names[$code]}になっています。" "$(tail -n1 <<<"$output")"
      expect_eq "$what: untouched" "" "$(cmp "$original" "$work/$name")"
      expect_eq "$what: no restore file" no "$([ -e "$work/$stem(fps).ini" ] && echo yes || echo no)"
      continue
    fi
    "$TOLVA_CLI" convert --quiet --rate "${rate_names[$code]}" "$work/$name" || fail "$what: convert"
    expect_eq "$what: length" "$(stat -c %s "$original")" "$(stat -c %s "$work/$name")"
    expect_eq "$what: declared rate" "${rate_fractions[$code]}" "$(declared_rate "$work/$name" "$how")"
    check_changes "$original" "$work/$name" "$code" "$work/$stem(fps).ini" "$what"
    "$TOLVA_CLI" restore --quiet "$work/$name" || fail "$what: restore"
    expect_eq "$what: restored" "" "$(cmp "$original" "$work/$name")"
  done
done

finish
