# Without a usable soundfont the roll still plays to its end: the same
# console output and exit status 0, one warning on standard error, and the
# rendered audio stays silent.

source "$(dirname "$0")/lib.sh"
e2e_setup
roll165 "$RUN_DIR/r165.mid"
roll150 "$RUN_DIR/r150.mid"
WARNING="Warning: soundfont $FONT_PATH not loaded; playing without sound"

remove_soundfont
run_program "$KOLVO165" r165.mid
expect_status 0
expect_stdout "${BANNER165[@]}" "Copyright: (c) 2026 kolvo tests" "Title: E2E 165" \
    "A short roll" "Input tempo: 120" "Playing time: 0 minutes 3 seconds"
expect_stderr_line "$WARNING"
expect_silence

run_program "$KOLVO150" r150.mid
expect_status 0
expect_stdout "${BANNER150[@]}" "Title: E2E 150" "Input tempo: 120" \
    "Playing time: 0 minutes 2 seconds"
expect_stderr_line "$WARNING"
expect_silence

# A file at the soundfont's path that is no soundfont.
install_broken_soundfont
run_program "$KOLVO165" r165.mid
expect_status 0
expect_stdout "${BANNER165[@]}" "Copyright: (c) 2026 kolvo tests" "Title: E2E 165" \
    "A short roll" "Input tempo: 120" "Playing time: 0 minutes 3 seconds"
expect_stderr_line "$WARNING"
expect_silence

e2e_finish
