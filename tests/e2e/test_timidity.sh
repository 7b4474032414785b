# A second loader: TiMidity++ reads the band-organ soundfont with its own
# SoundFont code and plays both exported demo arrangements audibly, without
# a complaint.  TiMidity always reads the system's configuration first, so
# the test's own maps every preset and drum note that the generator lists
# to our file; the same run with that mapping pointed at a missing file is
# silent, which shows that the sound came from our soundfont.

source "$(dirname "$0")/lib.sh"
kolvo_setup
if ! command -v timidity >/dev/null; then
    echo "SKIP: timidity missing (package timidity)"
    exit 77
fi
BANDORGAN=${TOOLS_DIR:?TOOLS_DIR must name the built tools}/bandorgan/bandorgan

# timidity_config FONT: a configuration that maps every (bank, program) and
# every drum note of the generator's summary to FONT.
timidity_config() {
    "$BANDORGAN" --summary "$WORK/listed.sf2" | awk -v font="$1" '
        /^bank [0-9]+ program [0-9]+:/ && $2 != 128 {
            sub(":", "", $4)
            printf "bank %d\n%d %%font \"%s\" %d %d\n", $2, $4, font, $2, $4
        }
        /^bank 128 program 0: drums / {
            print "drumset 0"
            sub(/.*: drums /, "")
            n = split($0, drums, ", ")
            for (i = 1; i <= n; i++) {
                split(drums[i], words, " ")
                printf "%d %%font \"%s\" 128 0 %d\n", words[1], font, words[1]
            }
        }'
}

timidity_config "$SOUNDFONT" >"$WORK/ours.cfg"
timidity_config "$WORK/missing.sf2" >"$WORK/elsewhere.cfg"
if ! grep -q "^drumset 0" "$WORK/ours.cfg" || [ "$(grep -c '%font' "$WORK/ours.cfg")" -lt 20 ]; then
    fail "the configuration maps too little: $(tr '\n' ' ' <"$WORK/ours.cfg")"
fi

complaints='no instrument|can.t|couldn.t|not found|error'
for demo in "$DEMO165" "$DEMO150"; do
    run_program "$KOLVO" export "$demo" "$WORK/arrangement.mid"
    expect_status 0

    run_program timidity -c "$WORK/ours.cfg" -Or1sl -s 44100 -o "$OUT_RAW" \
        "$WORK/arrangement.mid"
    expect_status 0
    # The system's configuration may name files this machine lacks; only
    # what concerns our mapping counts.
    if grep -iE "$complaints" "$WORK/stdout" "$WORK/stderr" | grep -v "^[^:]*:/etc/timidity/"; then
        fail "timidity complained about $(basename "$demo")"
    fi
    expect_sound

    run_program timidity -c "$WORK/elsewhere.cfg" -Or1sl -s 44100 -o "$OUT_RAW" \
        "$WORK/arrangement.mid"
    if output_has_sound; then
        fail "$(basename "$demo") sounds without our soundfont: the sound came from elsewhere"
    fi
    if ! grep -qi "missing.sf2" "$WORK/stdout" "$WORK/stderr"; then
        fail "timidity did not look for the soundfont it was pointed at"
    fi
done

e2e_finish
