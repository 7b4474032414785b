# When the audio output cannot be opened the program says so on standard
# error and ends with status 1 instead of waiting for ever.

source "$(dirname "$0")/lib.sh"
e2e_setup
roll165 "$RUN_DIR/r165.mid"
roll150 "$RUN_DIR/r150.mid"

# ALSA's default device is a sound card that does not exist.
printf 'pcm.!default { type hw card 99 }\n' >"$WORK/home/.asoundrc"

RUN_TIMEOUT=20
run_program "$KOLVO165" r165.mid
expect_status 1
expect_stdout "${BANNER165[@]}"
expect_stderr_line "Cannot open the audio output"

run_program "$KOLVO150" r150.mid 100
expect_status 1
expect_stdout "${BANNER150[@]}"
expect_stderr_line "Cannot open the audio output"

e2e_finish
