# The manual pages render without a warning; each player's page shows its
# usage as the program prints it; kolvo(1) has a subsection "kolvo NAME"
# for every subcommand of kolvo --help, which names every option of that
# subcommand's --help.

source "$(dirname "$0")/lib.sh"
kolvo_setup
if ! command -v man >/dev/null; then
    echo "SKIP: man is not installed (package man-db)"
    exit 77
fi
MAN_DIR=$BUILD_DIR/man

# render PAGE: the page as plain text, as man shows it.
render() {
    MANWIDTH=200 man --nh --nj -E ascii -P cat -l "$1" 2>/dev/null | col -bx
}

LAST_COMMAND="man"
for page in kolvo kolvo165 kolvo150; do
    expect_manual_renders "$MAN_DIR/$page.1"
done

for organ in 165 150; do
    program=KOLVO$organ
    run_program "${!program}"
    usage=$(sed -n 's/^Usage: [^ ]*  //p' "$WORK/stdout")
    render "$MAN_DIR/kolvo$organ.1" | grep -qF "kolvo$organ $usage" ||
        fail "kolvo$organ(1) lacks the usage line 'kolvo$organ $usage'"
done

LAST_COMMAND="man"
render "$MAN_DIR/kolvo.1" >"$WORK/kolvo.txt"
for subcommand in $(kolvo_subcommands); do
    # The subsection: from its heading to the next heading of any level.
    awk -v heading="   kolvo $subcommand" '
        $0 == heading { inside = 1; next }
        inside && /^(   )?[^ ]/ { exit }
        inside' "$WORK/kolvo.txt" >"$WORK/section"
    [ -s "$WORK/section" ] || { fail "kolvo(1) has no subsection 'kolvo $subcommand'"; continue; }
    for option in $(kolvo_options "$subcommand"); do
        grep -qE -- "(^|[^a-z-])$option([^a-z-]|\$)" "$WORK/section" ||
            [[ $option == -h || $option == --help ]] ||
            fail "kolvo(1), kolvo $subcommand: no $option"
    done
done

e2e_finish
