# kolvo info tells which organ a roll is for by running both translators
# on it: the demo rolls are found for their organs; a General MIDI file
# (two tracks, joined) and a roll of another organ's scale fit neither,
# each with the reason; --json is one document that parses, with the same
# keys for every roll.

source "$(dirname "$0")/lib.sh"
kolvo_setup

smf "$RUN_DIR/gm.mid" 1 2 "01 E0" \
    "$(track_chunk "$(meta 0 03 "General MIDI song")" "$(tempo 0 500000)" "$(end_of_track)")" \
    "$(track_chunk "$(hole 60 480)" "$(hole 64 480)" "$(end_of_track)")"
# Twelve holes on positions 100 to 111, beyond both scales; a title in
# Latin-1, as older rolls have them, which JSON must still carry.
wide=""
for key in $(seq 100 111); do
    wide+="$(hole "$key" 96) "
done
roll "$RUN_DIR/wide.mid" "00 C0" "$(meta 0 03 $'Caf\xe9 scale')" "$wide"

run_program "$KOLVO" info "$DEMO165" "$DEMO150" gm.mid wide.mid
expect_status 0
for line in "  Organ: Wurlitzer 165" "  Organ: Wurlitzer 150" "  Ticks per quarter note: 240" \
    "  Input tempo: 120" "  Output tempo: 120" "  Playing time: 0 minutes 55 seconds" \
    "  Title: Ode to Joy - Ludwig van Beethoven (1824)" \
    "  Organ: neither: fits neither organ: 0 of the Wurlitzer 165's required holes, at least 10 needed; 0 of the Wurlitzer 150's required holes, at least 10 needed" \
    "  Tracks: 2, joined into one" "  Title: General MIDI song" \
    "  Organ: neither: fits neither organ: 12 holes outside the Wurlitzer 165 scale 24 to 98, at most 2 allowed; 12 holes outside the Wurlitzer 150 scale 24 to 77, at most 2 allowed" \
    "     94  Shutter open               3" "     27  Cancel                     3"; do
    grep -qxF -- "$line" "$WORK/stdout" || fail "no line: $line"
done

run_program "$KOLVO" info --json "$DEMO165" gm.mid "$DEMO150" wide.mid missing.mid
expect_status 1
expect_stderr_line "kolvo: missing.mid: Input file does not exist"
check info "$RUN_DIR" 165 required_holes 150 scale file <"$WORK/stdout"

e2e_finish
