# The checked-in demo rolls are accepted by their programs and play to the
# end with sound, through the band-organ soundfont without a word on
# standard error: every bank and program the arrangement selects is there.

source "$(dirname "$0")/lib.sh"
e2e_setup
install_soundfont

COPYRIGHT="Copyright: Public domain tune; arrangement (C) 2026 the kolvo authors, CC0"
TITLE="Title: Ode to Joy - Ludwig van Beethoven (1824)"

run_program "$KOLVO165" "$SOURCE_DIR/examples/demo165.mid"
expect_status 0
expect_stdout "${BANNER165[@]}" "$COPYRIGHT" "$TITLE" \
    "Wurlitzer 165 demo roll: Ode to Joy from Beethoven's Symphony No. 9 (1824), band-organ arrangement" \
    "Input tempo: 120" "Playing time: 0 minutes 55 seconds"
expect_stderr_only ""
expect_sound

run_program "$KOLVO150" "$SOURCE_DIR/examples/demo150.mid"
expect_status 0
expect_stdout "${BANNER150[@]}" "$COPYRIGHT" "$TITLE" \
    "Wurlitzer 150 demo roll: Ode to Joy from Beethoven's Symphony No. 9 (1824), band-organ arrangement" \
    "Input tempo: 120" "Playing time: 0 minutes 55 seconds"
expect_stderr_only ""
expect_sound

e2e_finish
