# Rolls that are refused after the synthesizer has started: not a MIDI
# file, two tracks, no ticks per quarter note, too few required holes, too
# many holes outside the scale, a roll of the other organ.  Each run must
# end by itself with status 1 and nothing played.

source "$(dirname "$0")/lib.sh"
e2e_setup

# Not a MIDI file: the reader says so and the empty roll is refused.
printf 'hello, not a roll\n' >"$RUN_DIR/junk.txt"
run_program "$KOLVO165" junk.txt
expect_status 1
expect_stdout "${BANNER165[@]}" "File: junk.txt is not a MIDI file" "Chara data ish" \
    "Invalid w165 e-roll"

printf 'MThx and more' >"$RUN_DIR/junk.mid"
run_program "$KOLVO150" junk.mid
expect_status 1
expect_stdout "${BANNER150[@]}" "File: junk.mid is not a MIDI file" "Invalid w150 e-roll"

# A type 1 file with a tempo track and a note track.
smf "$RUN_DIR/two.mid" 1 2 "00 C0" \
    "$(track_chunk "$(tempo 0 500000)" "$(end_of_track)")" \
    "$(track_chunk "$(hole 80 96)" "$(end_of_track)")"
run_program "$KOLVO165" two.mid
expect_status 1
expect_stdout "${BANNER165[@]}" "Invalid e-roll, 2 tracks"
run_program "$KOLVO150" two.mid
expect_status 1
expect_stdout "${BANNER150[@]}" "Invalid e-roll, 2 tracks"

# Division 0 and SMPTE with 0 ticks per frame: no ticks per quarter note.
roll "$RUN_DIR/zero.mid" "00 00" "$(hole 80 10)"
run_program "$KOLVO165" zero.mid
expect_status 1
expect_stdout "${BANNER165[@]}" "SMPTE ticks: 0 tpq" "SMPTE frames per second: 256" \
    "SMPTE frame resolution: 0" "Invalid e-roll, 0 ticks per quarter note"
roll "$RUN_DIR/smpte.mid" "E7 00" "$(hole 80 10)"
run_program "$KOLVO150" smpte.mid
expect_status 1
expect_stdout "${BANNER150[@]}" "SMPTE ticks: 0 tpq" "SMPTE frames per second: 25" \
    "SMPTE frame resolution: 0" "Invalid e-roll, 0 ticks per quarter note"

# Nine required holes are one too few; the texts are printed first.
nine=""
for key in 78 79 80 81 82 83 84 85 86; do
    nine+="$(hole "$key" 96) "
done
roll "$RUN_DIR/nine.mid" "00 C0" "$(meta 0 03 "Nine")" "$nine" "$(hole 60 96)"
run_program "$KOLVO165" nine.mid
expect_status 1
expect_stdout "${BANNER165[@]}" "Title: Nine" "Invalid w165 e-roll"

# Two holes outside the scale are allowed, a third is not.
roll165 "$RUN_DIR/two-stray.mid" "$(hole 10 96)" "$(hole 99 96)"
run_program "$KOLVO165" two-stray.mid
expect_status 0
roll165 "$RUN_DIR/three-stray.mid" "$(hole 10 96)" "$(hole 99 96)" "$(hole 120 96)"
run_program "$KOLVO165" three-stray.mid
expect_status 1
expect_stdout "${BANNER165[@]}" "Copyright: (c) 2026 kolvo tests" "Title: E2E 165" \
    "A short roll" "Input tempo: 120" "Invalid w165 e-roll"

# A 165 roll is no 150 roll (its holes lie above the 150 scale), and a
# 150 roll has too few required holes for the 165.
roll165 "$RUN_DIR/r165.mid"
run_program "$KOLVO150" r165.mid
expect_status 1
expect_stdout "${BANNER150[@]}" "Copyright: (c) 2026 kolvo tests" "Title: E2E 165" \
    "A short roll" "Input tempo: 120" "Invalid w150 e-roll"
roll150 "$RUN_DIR/r150.mid"
run_program "$KOLVO165" r150.mid
expect_status 1
expect_stdout "${BANNER165[@]}" "Title: E2E 150" "Input tempo: 120" "Invalid w165 e-roll"

# A pause of more than 2^28 ticks between two holes does not fit a MIDI
# file's delta time: refused before the playing time, nothing played.
roll165 "$RUN_DIR/pause.mid" "$(note_off $((0x0FFFFFFF)) 50)" "$(note_off 2 50)" "$(hole 80 96)"
run_program "$KOLVO165" pause.mid
expect_status 1
expect_stdout "${BANNER165[@]}" "Copyright: (c) 2026 kolvo tests" "Title: E2E 165" \
    "A short roll" "Input tempo: 120"
expect_stderr_line "Cannot write the arrangement: a pause between notes is longer than a MIDI file can hold"

# Ticks that add up past 2^31 - 1: the file is unreadable, the roll empty.
long_gaps=""
for i in 1 2 3 4 5 6 7 8 9; do
    long_gaps+="$(note_off $((0x0FFFFFFF)) 50) "
done
roll150 "$RUN_DIR/wrapped.mid" "$long_gaps"
run_program "$KOLVO150" wrapped.mid
expect_status 1
expect_stdout "${BANNER150[@]}" "File: wrapped.mid is not a MIDI file" "Invalid w150 e-roll"

e2e_finish
