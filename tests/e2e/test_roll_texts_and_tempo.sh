# What the programs print of a roll and how its tempo counts: control bytes
# in texts, texts with a zero byte, several texts, a roll tempo out of
# range or of zero microseconds, a roll without tempo, and closings
# without an opening.

source "$(dirname "$0")/lib.sh"
e2e_setup
install_soundfont

holes165() {
    local key out=""
    for key in 78 79 80 81 82 83 84 85 86 87 89 90; do
        out+="$(hole "$key" 96) "
    done
    echo "$out"
}

# Control bytes are shown as '?', a TAB is kept; the zero byte inside a
# text is shown too.
roll "$RUN_DIR/texts.mid" "00 C0" \
    "$(meta 0 03 $'Bad\e[31mTitle\rX')" \
    "$(meta 0 01 $'one\ttab')" \
    "00 FF 01 05 61 62 00 63 64" \
    "$(meta 0 02 "")" \
    "$(holes165)"
run_program "$KOLVO165" texts.mid
expect_status 0
expect_stdout "${BANNER165[@]}" "Title: Bad?[31mTitle?X" $'one\ttab' "ab?cd" \
    "Playing time: 0 minutes 4 seconds"
expect_sound

# A roll tempo below 10 beats per minute is printed and refused; the roll
# plays at 85 (or at the command line's tempo).
roll "$RUN_DIR/slow.mid" "00 C0" "$(tempo 0 7000000)" "$(holes165)"
run_program "$KOLVO165" slow.mid
expect_status 0
expect_stdout "${BANNER165[@]}" "Input tempo: 8.57143" "out of range iptempo, not used" \
    "Playing time: 0 minutes 4 seconds"
run_program "$KOLVO165" slow.mid 170
expect_status 0
expect_stdout "${BANNER165[@]}" "Input tempo: 8.57143" "out of range iptempo, not used" \
    "Playing time: 0 minutes 2 seconds"

# Zero microseconds per quarter note: no tempo, the default stays.
roll "$RUN_DIR/zero-tempo.mid" "00 C0" "$(tempo 0 0)" "$(holes165)"
run_program "$KOLVO165" zero-tempo.mid
expect_status 0
expect_stdout "${BANNER165[@]}" "Input tempo: inf" "out of range iptempo, not used" \
    "Playing time: 0 minutes 4 seconds"

# Closings without an opening, long after the last hole, neither count
# nor lengthen the playing time.
roll165 "$RUN_DIR/orphans.mid" "$(note_off 1920 10)" "$(note_off 0 11)" "$(note_off 0 12)" \
    "$(note_off 0 80)"
run_program "$KOLVO165" orphans.mid
expect_status 0
expect_stdout "${BANNER165[@]}" "Copyright: (c) 2026 kolvo tests" "Title: E2E 165" \
    "A short roll" "Input tempo: 120" "Playing time: 0 minutes 3 seconds"

# Several tempo events: the last one counts.
roll "$RUN_DIR/tempi.mid" "00 C0" "$(tempo 0 500000)" "$(tempo 0 1000000)" "$(holes165)"
run_program "$KOLVO150" tempi.mid
expect_status 1
expect_stdout "${BANNER150[@]}" "Input tempo: 120" "Input tempo: 60" "Invalid w150 e-roll"
run_program "$KOLVO165" tempi.mid
expect_status 0
expect_stdout "${BANNER165[@]}" "Input tempo: 120" "Input tempo: 60" \
    "Playing time: 0 minutes 6 seconds"

e2e_finish
