# kolvo info tells which organ a roll is for by running both translators
# on it: the demo rolls are found for their organs; a General MIDI file
# (two tracks) and a roll of another organ's scale fit neither, each with
# the reason; --json is one document that parses.

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
    "  Organ: neither: Invalid e-roll, 2 tracks" "  Title: General MIDI song" \
    "  Organ: neither: fits neither organ (Invalid w165 e-roll: more than 2 holes outside the scale 24 to 98; Invalid w150 e-roll: more than 2 holes outside the scale 24 to 77)" \
    "     94  Shutter open               3" "     27  Cancel                     3"; do
    grep -qxF -- "$line" "$WORK/stdout" || fail "no line: $line"
done

run_program "$KOLVO" info --json "$DEMO165" gm.mid "$DEMO150" wide.mid missing.mid
expect_status 1
expect_stderr_only "kolvo: missing.mid: Input file does not exist"
"$PYTHON" "$CHECKS" organs 165 null 150 null error <"$WORK/stdout" >"$WORK/check" ||
    fail "info --json: $(cat "$WORK/check")"

e2e_finish
