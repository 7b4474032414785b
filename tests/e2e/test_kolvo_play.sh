# kolvo play sounds rolls through the audio output (here ALSA's file
# device); under a pseudo-terminal it shows the title and the elapsed and
# total time.  Without an audio output it names kolvo render as the way
# out and exits with 1.

source "$(dirname "$0")/lib.sh"
kolvo_setup
install_soundfont
roll165 "$RUN_DIR/r165.mid"
roll150 "$RUN_DIR/r150.mid"

run_program "$KOLVO" play r165.mid r150.mid
expect_status 0
expect_stderr_only "kolvo: soundfont $FONT_PATH (the players' fixed path)"
expect_sound

# script runs the program on a pseudo-terminal and passes its status on.
run_program script -qec "$KOLVO play r165.mid r150.mid" /dev/null
expect_status 0
for shown in "Playing E2E 165" "r165.mid  0:03 / 0:03" "Playing E2E 150" "r150.mid  0:02 / 0:02"; do
    grep -qF "$shown" "$WORK/stdout" || fail "no progress line: $shown"
done
expect_sound

# No such device, and (without a configuration of ours) no sound card at
# all, about which the sound library would have its own say.
for config in 'pcm.!default { type hw card 99 }' ''; do
    printf '%s\n' "$config" >"$WORK/home/.asoundrc"
    run_program "$KOLVO" play -q r165.mid r150.mid
    expect_status 1
    expect_stderr_only "kolvo: Cannot open the audio output; kolvo render ROLL writes the roll to an audio file instead"
done

e2e_finish
