# kolvo export writes byte for byte the arrangement that the player hands
# to the synthesizer (the driver's own written file), whether the organ is
# found or given and whether it goes to a file or to standard output; an
# independent reader (mido) reads it as sixteen tracks.

source "$(dirname "$0")/lib.sh"
kolvo_setup

for organ in 165 150; do
    roll=$SOURCE_DIR/examples/demo$organ.mid
    "$WRITTEN_ARRANGEMENT" "$organ" "$roll" >"$WORK/reference$organ.mid" ||
        fail "no reference arrangement for $organ"
    for args in "$roll out.mid" "--organ $organ $roll out.mid" "$roll -"; do
        # shellcheck disable=SC2086
        run_program "$KOLVO" export $args
        expect_status 0
        written=$RUN_DIR/out.mid
        [[ $args == *" -" ]] && written=$WORK/stdout
        cmp -s "$written" "$WORK/reference$organ.mid" || fail "not the player's arrangement"
        rm -f "$RUN_DIR/out.mid"
    done
    tracks=$("$PYTHON" -c 'import mido, sys; print(len(mido.MidiFile(sys.argv[1]).tracks))' \
        "$WORK/reference$organ.mid" 2>&1)
    [[ $tracks == 16 ]] || fail "mido reads the $organ arrangement as: $tracks"
done

# Another output tempo changes the tempo event only, as in the player.
run_program "$KOLVO" export --tempo 60 "$DEMO165" slow.mid
expect_status 0
[[ $(cmp -l "$RUN_DIR/slow.mid" "$WORK/reference165.mid" | wc -l) -le 3 ]] ||
    fail "--tempo changed more than the tempo bytes"

# A roll the given organ does not play is refused with the rule and the
# organ that plays it.
run_program "$KOLVO" export --organ 150 "$DEMO165" out.mid
expect_status 1
expect_stderr_only "kolvo: $DEMO165: 134 holes outside the Wurlitzer 150 scale 24 to 77, at most 2 allowed; it plays as a Wurlitzer 165 roll: --organ 165, or kolvo165"
[[ ! -e $RUN_DIR/out.mid ]] || fail "a refused roll left a file"

e2e_finish
