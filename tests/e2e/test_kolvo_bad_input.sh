# Bad input to kolvo: every case ends by itself with its exit status (2
# for the command line, 1 for a roll that cannot be played) and exactly one
# line on standard error, never a trace or a hang.  (What each subcommand's
# command line refuses, word for word, is tested at unit level:
# tests/kolvo/test_options.cpp.)  A roll on which the
# MIDI file library stops the process (its fatal errors) ends only the
# child process that handled it: info still answers for the other rolls.

source "$(dirname "$0")/lib.sh"
kolvo_setup
mkdir "$RUN_DIR/folder"
printf 'hello, not a roll\n' >"$RUN_DIR/junk.txt"
roll "$RUN_DIR/fatal.mid" "00 C0" "00 40 40"  # a data byte with no status before it
# A roll whose last hole comes years after the others.
holes=""
for key in 78 79 80 81 82 83 84 85 86 87; do
    holes+="$(hole "$key" 1) "
done
roll "$RUN_DIR/endless.mid" "00 01" "$holes" "$(vlq 200000000) 90 4E 40 01 80 4E 00"

cases=(
    "1|kolvo: missing.mid: Input file does not exist|info missing.mid"
    "1|kolvo: folder: Is a directory|export folder out.mid"
    "1|kolvo: File: junk.txt is not a MIDI file|render -q junk.txt"
    "1|kolvo: File: junk.txt is not a MIDI file|view junk.txt"
    "1|kolvo: missing.mid: Input file does not exist|play -q missing.mid"
    "1|kolvo: folder: Is a directory|dump folder"
    "1|kolvo: fatal.mid: Error: running command with no previous command|export fatal.mid out.mid"
    "1|kolvo: endless.mid: lasts longer than 5 hours, the longest roll that is pictured or rendered|render -q endless.mid"
    "1|kolvo: endless.mid: lasts longer than 5 hours, the longest roll that is pictured or rendered|view endless.mid"
    "1|kolvo: File: junk.txt is not a MIDI file|page -q junk.txt"
    "1|kolvo: endless.mid: lasts longer than 5 hours, the longest roll that is pictured or rendered|page -q endless.mid"
    "1|kolvo: nothing.ogg: no audio file there to link|page --audio nothing.ogg missing.mid"
    "2|kolvo page: --audio links the audio of a single roll (see kolvo page --help)|page --audio x.ogg a.mid b.mid"
    "2|kolvo page: -o names the output of a single roll; use --out-dir for several (see kolvo page --help)|page -o x.html a.mid b.mid"
    "2|kolvo: no subcommand (see kolvo --help)|"
    "2|kolvo: unknown subcommand \"frobnicate\" (see kolvo --help)|frobnicate"
    "2|kolvo render: unknown option --frob (see kolvo render --help)|render --frob r.mid"
)
for case in "${cases[@]}"; do
    IFS='|' read -r status line args <<<"$case"
    # shellcheck disable=SC2086
    run_program "$KOLVO" $args
    expect_status "$status"
    expect_stderr_only "$line"
    [[ ! -e $RUN_DIR/out.mid ]] || fail "a refused roll left out.mid"
done

run_program "$KOLVO" info fatal.mid "$DEMO165"
expect_status 1
expect_stderr_only "kolvo: fatal.mid: Error: running command with no previous command"
grep -qxF "  Organ: Wurlitzer 165" "$WORK/stdout" || fail "no answer for the roll after the fatal one"

for args in --help "render --help" --version; do
    # shellcheck disable=SC2086
    run_program "$KOLVO" $args
    expect_status 0
    [[ -s $WORK/stdout ]] || fail "nothing on standard output"
done

e2e_finish
