# The soundfont generator: the same bytes on every run (the build's file
# and a fresh one), within 8 MB, its summary ending in the file's size;
# --help; status 1 for a bad command line (an unknown option too) or a file
# it cannot write, with a one-line refusal, leaving nothing behind.

source "$(dirname "$0")/lib.sh"
e2e_setup
BANDORGAN=${TOOLS_DIR:?TOOLS_DIR must name the built tools}/bandorgan/bandorgan

run_program "$BANDORGAN" --summary "$WORK/again.sf2"
expect_status 0
if ! cmp -s "$WORK/again.sf2" "$SOUNDFONT"; then
    fail "a second run wrote other bytes than the build's soundfont"
fi
if [ "$(stat -c %s "$SOUNDFONT")" -ge $((8 * 1024 * 1024)) ]; then
    fail "the soundfont is 8 MB or more"
fi
if ! grep -qx "bank 128 program 0: drums .*" "$WORK/stdout"; then
    fail "the summary lacks the drum kit"
fi
if ! tail -n 1 "$WORK/stdout" |
    grep -qx "[1-9][0-9]* samples at 44100 Hz, $(stat -c %s "$SOUNDFONT") bytes"; then
    fail "the summary does not end in the samples and the file's size: $(tail -n 1 "$WORK/stdout")"
fi

run_program "$BANDORGAN" --help
expect_status 0
if ! grep -q "^Usage: bandorgan" "$WORK/stdout" ||
    ! grep -qxF "Writes the band-organ soundfont of kolvo165 (bank 3) and kolvo150 (bank 2)," \
        "$WORK/stdout"; then
    fail "--help shows no usage naming each organ and its bank"
fi

run_program "$BANDORGAN"
expect_status 1
run_program "$BANDORGAN" a.sf2 b.sf2
expect_status 1
for options in "--summarize" "--summarize $WORK/typo.sf2" "$WORK/typo.sf2 -s" "--summary"; do
    run_program "$BANDORGAN" $options
    expect_status 1
    if [ -n "$(ls -A "$RUN_DIR")" ] || [ -e "$WORK/typo.sf2" ]; then
        fail "wrote a file: $(ls -A "$RUN_DIR")"
    fi
done

run_program "$BANDORGAN" "$WORK/no-such-folder/bandorgan.sf2"
expect_status 1
if [ "$(cat "$WORK/stderr")" != "bandorgan: cannot write $WORK/no-such-folder/bandorgan.sf2" ]; then
    fail "unexpected refusal: $(cat "$WORK/stderr")"
fi

e2e_finish
