# kolvo play sounds rolls through the audio output (here ALSA's file
# device); under a pseudo-terminal it shows the title and the elapsed and
# total time; n skips to the next roll, --loop plays the list until Ctrl-C,
# and the terminal is left as it was.  The audio driver and device are
# chosen by name.  Without an audio output it names kolvo render as the
# way out and exits with 1.

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

# pty_run [--audio FIFO] [--after TEXT COUNT KEYS]... -- ARGS...: kolvo
# play ARGS on a pseudo-terminal, typing KEYS once TEXT has shown COUNT
# times; with --audio, the sound goes to FIFO and plays in real time.
FIFO=$WORK/sound.fifo
mkfifo "$FIFO"
pty_run() {
    local sink=$OUT_RAW
    [ "$1" != --audio ] || sink=$FIFO
    printf 'pcm.!default { type file slave.pcm "null" file "%s" format "raw" }\n' "$sink" \
        >"$WORK/home/.asoundrc"
    run_program "$PYTHON" "$(dirname "$CHECKS")/pty_run.py" "$@"
}
# count TEXT: how often the output shows it.
count() { grep -oF -- "$1" "$WORK/stdout" | wc -l; }
done165="r165.mid  0:03 / 0:03"
done150="r150.mid  0:02 / 0:02"

# Played twice over (each roll to its end), then stopped in the third
# round (the file device plays faster than real time, so on a busy
# machine the third round's first roll may end before Ctrl-C arrives);
# n skips the roll playing; shuffled, each roll plays once; space pauses
# and resumes.  The counts are a pattern.  Rolls that keys must reach
# while they play are played in real time.
for row in "130|[23] 2|--after Playing 5 \x03 -- $KOLVO play --loop r165.mid r150.mid" \
    "0|0 1|--audio $FIFO --after 165 1 n -- $KOLVO play r165.mid r150.mid" \
    "0|1 1|-- $KOLVO play --shuffle r150.mid r165.mid" \
    "0|1 1|--audio $FIFO --gap 2 --after 165 1 \x20 --after 165 1 \x20 -- $KOLVO play r165.mid r150.mid"; do
    IFS='|' read -r status counts args <<<"$row"
    # shellcheck disable=SC2086
    pty_run $args
    expect_status "$status"
    [[ "$(count "$done165") $(count "$done150")" =~ ^$counts$ ]] ||
        fail "$(count "$done165") x $done165, $(count "$done150") x $done150, expected $counts"
done
# Paused by the first space, the roll showed no time passing before the
# second, two seconds later.
grep -oE "typed|0:0[1-3] / 0:03" "$WORK/stdout" | head -2 | paste -sd' ' | grep -qx "typed typed" ||
    fail "the roll played on while paused"
# While its last notes die away, the time shown stays at the roll's length.
! grep -qE "0:0[4-9] / 0:03" "$WORK/stdout" || fail "time shown past the roll's end"

# Shuffled over and over, no roll follows itself from one pass to the next.
pty_run --after Playing 8 '\x03' -- "$KOLVO" play --loop --shuffle r165.mid r150.mid
expect_status 130
grep -oE "Playing E2E 1(65|50)" "$WORK/stdout" | uniq -d | grep -q . &&
    fail "a roll played twice in a row: $(grep -oE "Playing E2E 1(65|50)" "$WORK/stdout" | paste -sd' ')"

# The drivers of the linked libfluidsynth; a device by name (ALSA's, of
# the configuration in HOME) with a gain; an unknown driver named as such.
run_program "$KOLVO" play --audio-driver help
expect_status 0
grep -qx alsa "$WORK/stdout" && grep -qx file "$WORK/stdout" ||
    fail "--audio-driver help lists no alsa and file: $(cat "$WORK/stdout")"
printf 'pcm.kolvotest { type file slave.pcm "null" file "%s" format "raw" }\n' "$OUT_RAW" \
    >"$WORK/home/.asoundrc"
for args in "--audio-driver alsa --device kolvotest" "--device kolvotest --gain 1.0"; do
    # shellcheck disable=SC2086
    run_program "$KOLVO" play -q $args r150.mid
    expect_status 0
    expect_sound
done
run_program "$KOLVO" play -q --audio-driver nosuch r150.mid
expect_status 2
grep -qE '^kolvo play: --audio-driver takes alsa, .*file.*, not "nosuch"' "$WORK/stderr" ||
    fail "no usage error naming the drivers: $(cat "$WORK/stderr")"

# No such device, and (without a configuration of ours) no sound card at
# all, about which the sound library would have its own say.
for config in 'pcm.!default { type hw card 99 }' ''; do
    printf '%s\n' "$config" >"$WORK/home/.asoundrc"
    run_program "$KOLVO" play -q r165.mid r150.mid
    expect_status 1
    expect_stderr_only "kolvo: Cannot open the audio output; kolvo render ROLL writes the roll to an audio file instead"
done

e2e_finish
