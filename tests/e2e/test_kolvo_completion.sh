# The bash completion of kolvo takes the subcommands and their options from
# the program itself: it offers every subcommand of kolvo --help and every
# long option of each subcommand's --help, the values of --organ and
# --format, the audio drivers of the linked libfluidsynth, and MIDI files
# where a roll goes.

source "$(dirname "$0")/lib.sh"
kolvo_setup
COMPLETION=$SOURCE_DIR/packaging/kolvo.bash-completion
if [ ! -r /usr/share/bash-completion/bash_completion ]; then
    echo "SKIP: bash-completion is not installed"
    exit 77
fi
export PATH=$(dirname "$KOLVO"):$PATH
LAST_COMMAND="completion"

expect_same_lines "subcommands offered" "$(kolvo_subcommands; printf '%s\n' --help --version)" \
    "$(complete_kolvo "$COMPLETION" kolvo "")"
for subcommand in $(kolvo_subcommands); do
    offered=$(complete_kolvo "$COMPLETION" kolvo "$subcommand" --)
    for option in $(kolvo_options "$subcommand" | grep -- '^--'); do
        grep -qFx -- "$option" <<<"$offered" || fail "kolvo $subcommand -- does not offer $option"
    done
done

mkdir -p "$RUN_DIR/rolls"
touch "$RUN_DIR/a.mid" "$RUN_DIR/b.MID" "$RUN_DIR/notes.txt"
# command line | what is offered
while IFS='|' read -r line expected; do
    # shellcheck disable=SC2086
    got=$(cd "$RUN_DIR" && complete_kolvo "$COMPLETION" $line "" | LC_ALL=C sort | tr '\n' ' ')
    [ "$got" = "$expected" ] || fail "$line ...: offered '$got', expected '$expected'"
done <<'TABLE'
kolvo render --organ|150 165 |
kolvo render --format|flac mp3 ogg opus wav |
kolvo info|a.mid b.MID rolls |
kolvo render demo.mid -o|a.mid b.MID notes.txt rolls |
TABLE
expect_same_lines "audio drivers offered" "$(kolvo play --audio-driver help; echo help)" \
    "$(complete_kolvo "$COMPLETION" kolvo play --audio-driver "")"

e2e_finish
