# kolvo page: a self-contained HTML page per roll, named after the roll in
# the working directory or in --out-dir, with the roll's audio embedded as
# Ogg Opus (or linked with --audio, by its path from the page), the
# policy's hash that of its own script, and the organ's timeline as kolvo
# info has it.  A refused roll costs only its own page and gives exit 1;
# -j makes several at once.

source "$(dirname "$0")/lib.sh"
kolvo_setup
install_soundfont
printf 'hello, not a roll\n' >"$RUN_DIR/junk.mid"
mkdir -p "$RUN_DIR/sound files"
cp "$DEMO150" "$RUN_DIR/demo.mid"
printf 'OggS' >"$RUN_DIR/sound files/demo 150&.ogg"

# check_page PAGE ROLL AUDIO: the page of ROLL (AUDIO as kolvo_checks.py
# page takes it).
check_page() {
    "$KOLVO" info --json "$2" >"$WORK/info.json"
    check page "$1" "$3" <"$WORK/info.json"
}

# Several rolls, two at once, one refused: each page made, one error line,
# status 1.
run_program "$KOLVO" page -q -j 2 --out-dir pages "$DEMO165" junk.mid "$DEMO150"
expect_status 1
expect_stderr_only "kolvo: File: junk.mid is not a MIDI file"
for organ in 165 150; do
    check_page "$RUN_DIR/pages/demo$organ.html" "$SOURCE_DIR/examples/demo$organ.mid" embedded
done
[ ! -e "$RUN_DIR/pages/junk.html" ] || fail "a page for the refused roll"
cp "$RUN_DIR/pages/demo150.html" "$WORK/alone.html"

# One roll, named after it in the working directory; the same page again
# but for the Ogg stream's random serial number.
run_program "$KOLVO" page "$DEMO150"
expect_status 0
expect_stderr_only "kolvo: soundfont $FONT_PATH (the players' fixed path)"
without_audio() { sed 's/base64,[A-Za-z0-9+/=]*/base64,/' "$1"; }
cmp -s <(without_audio "$RUN_DIR/demo150.html") <(without_audio "$WORK/alone.html") ||
    fail "the same roll gave another page"

# Linked audio, by its path from the page's folder, percent-encoded;
# no soundfont needed.
remove_soundfont
rows=(
    "-o pages/linked.html|pages/linked.html|../sound%20files/demo%20150%26.ogg"
    "-o -|-|sound%20files/demo%20150%26.ogg"
)
for row in "${rows[@]}"; do
    IFS='|' read -r out page src <<<"$row"
    # shellcheck disable=SC2086
    run_program "$KOLVO" page --audio "sound files/demo 150&.ogg" $out demo.mid
    expect_status 0
    expect_stderr_only ""
    [ "$page" = - ] && page=$WORK/stdout || page=$RUN_DIR/$page
    check_page "$page" "$DEMO150" "$src"
    # Linked audio is taken to start where embedded audio starts, at the
    # first note, some way into the roll.
    offset=$(grep -o '"audio_offset":[^,]*' "$page")
    [[ $offset == '"audio_offset":-'[0-9]* ]] || fail "linked audio starts at $offset"
    grep -qF "$offset," "$WORK/alone.html" || fail "linked audio $offset, unlike embedded audio"
done

# The rolls are taken in as --shift asks: the 150's roll an octave up is
# the 165's.
run_program "$KOLVO" page --audio "sound files/demo 150&.ogg" --shift 12 -o up.html demo.mid
expect_status 0
grep -qF '"organ":"Wurlitzer 165"' "$RUN_DIR/up.html" || fail "--shift 12 did not reach the page"

e2e_finish
