# Rolls as they circulate, made from the demo rolls with mido: saved by an
# editor with a conductor track (joined, the same arrangement as the roll),
# holes on two tracks (refused, then joined with --join), holes an octave
# or two off (info advises the shift, which gives the roll's arrangement),
# the other organ's roll (advised); kolvo fix writes what the right player
# plays; info --json has the same keys for all of them.

source "$(dirname "$0")/lib.sh"
kolvo_setup
install_soundfont
VARIANTS=$(dirname "$0")/roll_variants.py

for organ in 165 150; do
    run_program "$KOLVO" export "$SOURCE_DIR/examples/demo$organ.mid" "reference$organ.mid"
    expect_status 0
done

# variant | made from | kolvo arguments (R the variant) | status | a line it prints | out.mid is the arrangement of
while IFS='|' read -r variant source kind args status line reference; do
    "$PYTHON" "$VARIANTS" "$SOURCE_DIR/examples/$source.mid" "$kind" "$RUN_DIR/$variant.mid" ||
        fail "cannot make $variant"
    # shellcheck disable=SC2086
    run_program "$KOLVO" ${args//R/$variant.mid}
    expect_status "$status"
    if [[ -n $line ]] && ! grep -qxF -- "$line" "$WORK/stdout" "$WORK/stderr"; then
        fail "no line: $line"
    fi
    if [[ -n $reference ]]; then
        cmp -s "$RUN_DIR/out.mid" "$RUN_DIR/$reference.mid" || fail "not the arrangement of $reference"
    fi
    rm -f "$RUN_DIR/out.mid"
done <<'ROWS'
conductor165|demo165|conductor|export R out.mid|0|kolvo: conductor165.mid: joined 2 tracks into one|reference165
conductor150|demo150|conductor|export R out.mid|0|kolvo: conductor150.mid: joined 2 tracks into one|reference150
split165|demo165|split|export R out.mid|1|kolvo: split165.mid: notes on 2 tracks (track 1 and track 2), a roll has them on one: --join joins them|
split165|demo165|split|export --join R out.mid|0|kolvo: split165.mid: joined 3 tracks into one|
up12|demo165|12|info R|0|  Advice: the holes lie 12 keys above the Wurlitzer 165 scale: --shift -12 plays it|
up12|demo165|12|export --shift -12 R out.mid|0||reference165
down12|demo165|-12|info R|0|  Advice: the holes lie 12 keys below the Wurlitzer 165 scale: --shift 12 plays it|
down12|demo165|-12|export --shift 12 R out.mid|0||reference165
up24|demo150|24|info R|0|  Advice: the holes lie 24 keys above the Wurlitzer 150 scale: --shift -24 plays it|
up24|demo150|24|export --shift -24 R out.mid|0||reference150
other150|demo150|0|export --organ 165 R out.mid|1|kolvo: other150.mid: 0 of the Wurlitzer 165's required holes, at least 10 needed; it plays as a Wurlitzer 150 roll: --organ 150, or kolvo150|
ROWS

# kolvo fix: the one-track roll that the player it names plays, with the
# same arrangement.
while IFS='|' read -r variant args organ; do
    # shellcheck disable=SC2086
    run_program "$KOLVO" fix $args "$variant.mid"
    expect_status 0
    expect_stdout "$variant-fixed.mid: a Wurlitzer $organ roll; kolvo$organ plays it"
    run_program "$KOLVO" export "$variant-fixed.mid" out.mid
    cmp -s "$RUN_DIR/out.mid" "$RUN_DIR/reference$organ.mid" || fail "fixed $variant: not the arrangement"
    run_program "$(eval echo "\$KOLVO$organ")" "$variant-fixed.mid"
    expect_status 0
    expect_sound
done <<'ROWS'
conductor150||150
up12|--shift -12|165
ROWS

run_program "$KOLVO" fix split165.mid
expect_status 1
[[ ! -e $RUN_DIR/split165-fixed.mid ]] || fail "a refused roll left a file"
run_program "$KOLVO" fix up12.mid ./up12.mid
expect_status 2
expect_stderr_only "kolvo fix: ./up12.mid is the roll itself; name another output file (see kolvo fix --help)"
cmp -s "$RUN_DIR/up12.mid" "$RUN_DIR/up12-fixed.mid" && fail "the roll was overwritten"

run_program "$KOLVO" info --json conductor165.mid split165.mid up12.mid other150.mid
expect_status 0
check info "$RUN_DIR" 165 tracks scale 150 <"$WORK/stdout"

e2e_finish
