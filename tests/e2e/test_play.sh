# Both programs play a short roll through the soundfont: exact console
# output, exit status 0 and rendered sound; the output tempo argument
# changes only the playing time.

source "$(dirname "$0")/lib.sh"
e2e_setup
install_soundfont

roll165 "$RUN_DIR/r165.mid"
roll150 "$RUN_DIR/r150.mid"
TEXTS165=("Copyright: (c) 2026 kolvo tests" "Title: E2E 165" "A short roll" "Input tempo: 120")

run_program "$KOLVO165" r165.mid
expect_status 0
expect_stdout "${BANNER165[@]}" "${TEXTS165[@]}" "Playing time: 0 minutes 3 seconds"
expect_stderr_lacks "Warning: soundfont"
expect_sound

run_program "$KOLVO165" r165.mid 60
expect_status 0
expect_stdout "${BANNER165[@]}" "${TEXTS165[@]}" "Playing time: 0 minutes 6 seconds"
expect_sound

# The limits of the output tempo are accepted; the rest of the argument
# after the number is ignored.
run_program "$KOLVO165" r165.mid 200.0
expect_status 0
expect_stdout "${BANNER165[@]}" "${TEXTS165[@]}" "Playing time: 0 minutes 1 seconds"
run_program "$KOLVO165" r165.mid 10bpm
expect_status 0
expect_stdout "${BANNER165[@]}" "${TEXTS165[@]}" "Playing time: 0 minutes 36 seconds"

run_program "$KOLVO150" r150.mid
expect_status 0
expect_stdout "${BANNER150[@]}" "Title: E2E 150" "Input tempo: 120" \
    "Playing time: 0 minutes 2 seconds"
expect_stderr_lacks "Warning: soundfont"
expect_sound

run_program "$KOLVO150" r150.mid 30
expect_status 0
expect_stdout "${BANNER150[@]}" "Title: E2E 150" "Input tempo: 120" \
    "Playing time: 0 minutes 11 seconds"
expect_sound

# The General MIDI soundfont has neither organ bank: FluidSynth falls back
# to bank 0, says so, and the roll still plays with sound.
install_gm_soundfont
run_program "$KOLVO165" r165.mid
expect_status 0
expect_stdout "${BANNER165[@]}" "${TEXTS165[@]}" "Playing time: 0 minutes 3 seconds"
expect_stderr_line "fluidsynth: warning: Instrument not found on channel 12 [bank=3 prog=68], substituted [bank=0 prog=68]"
expect_sound

e2e_finish
