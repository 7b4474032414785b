# Helpers of the end-to-end tests: they run the real programs in a
# temporary working directory that holds the soundfont at the programs'
# fixed path, with ALSA's default output sent to a raw file, and build the
# test rolls byte by byte.
#
# The environment gives KOLVO165 and KOLVO150 (the built programs) and
# SOUNDFONT (the generated band-organ soundfont).
# A script sources this file, calls e2e_setup, runs its checks with
# run_program and the expect_* functions, and ends with e2e_finish.

set -u

SYSTEM_SOUNDFONT=/usr/share/sounds/sf2/TimGM6mb.sf2
FONT_PATH='c:/kolvo/bandorgan.sf2'
RUN_TIMEOUT=${RUN_TIMEOUT:-60}

FAILURES=0

e2e_setup() {
    if [ -z "${KOLVO165:-}" ] || [ -z "${KOLVO150:-}" ]; then
        echo "KOLVO165 and KOLVO150 must name the built programs" >&2
        exit 1
    fi
    WORK=$(mktemp -d /tmp/kolvo-e2e-XXXXXX)
    trap 'rm -rf "$WORK"' EXIT
    RUN_DIR=$WORK/run
    OUT_RAW=$WORK/OUT.raw
    mkdir -p "$RUN_DIR" "$WORK/home"
    # FluidSynth's default audio driver is ALSA; the user configuration in
    # HOME sends its default device into a file, rendered as fast as the
    # machine can.
    unset ALSA_CONFIG_PATH
    printf 'pcm.!default { type file slave.pcm "null" file "%s" format "raw" }\n' "$OUT_RAW" \
        >"$WORK/home/.asoundrc"
}

# The companion program and the checks of what it writes, for the tests
# of kolvo.
kolvo_setup() {
    e2e_setup
    if [ -z "${KOLVO:-}" ]; then
        echo "KOLVO must name the built kolvo" >&2
        exit 1
    fi
    PYTHON=${PYTHON:-/usr/bin/python3}
    CHECKS=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/kolvo_checks.py
    DEMO165=$SOURCE_DIR/examples/demo165.mid
    DEMO150=$SOURCE_DIR/examples/demo150.mid
}

# check WHAT ARGS...: runs a check of kolvo_checks.py; a fault fails the test.
check() {
    local faults
    if ! faults=$("$PYTHON" "$CHECKS" "$@" 2>&1); then
        fail "check $1 ${2:-}: $faults"
    fi
}

# Puts the generated band-organ soundfont at the programs' fixed path.
install_soundfont() {
    if [ ! -r "${SOUNDFONT:-}" ]; then
        echo "SOUNDFONT must name the generated band-organ soundfont" >&2
        exit 1
    fi
    mkdir -p "$RUN_DIR/c:/kolvo"
    ln -sfn "$SOUNDFONT" "$RUN_DIR/$FONT_PATH"
}

# Puts Debian's General MIDI soundfont there instead, which has no organ
# banks; skips the test when it is not installed.
install_gm_soundfont() {
    if [ ! -r "$SYSTEM_SOUNDFONT" ]; then
        echo "SKIP: $SYSTEM_SOUNDFONT missing (package timgm6mb-soundfont)"
        exit 77
    fi
    mkdir -p "$RUN_DIR/c:/kolvo"
    ln -sfn "$SYSTEM_SOUNDFONT" "$RUN_DIR/$FONT_PATH"
}

remove_soundfont() {
    rm -rf "$RUN_DIR/c:"
}

# A file at the soundfont path that is no soundfont.
install_broken_soundfont() {
    mkdir -p "$RUN_DIR/c:/kolvo"
    rm -f "$RUN_DIR/$FONT_PATH"
    printf 'RIFF\0\0\0\0not a soundfont' >"$RUN_DIR/$FONT_PATH"
}

# run_program PROGRAM ARGS...: runs it in the run directory; leaves STATUS,
# and the output in $WORK/stdout and $WORK/stderr.
run_program() {
    rm -f "$OUT_RAW"
    (cd "$RUN_DIR" && HOME="$WORK/home" timeout -k 5 "$RUN_TIMEOUT" "$@" \
        >"$WORK/stdout" 2>"$WORK/stderr" </dev/null)
    STATUS=$?
    LAST_COMMAND="$*"
}

fail() {
    echo "FAIL [$LAST_COMMAND]: $*"
    FAILURES=$((FAILURES + 1))
}

expect_status() {
    if [ "$STATUS" != "$1" ]; then
        fail "exit status $STATUS, expected $1"
        sed 's/^/  stderr: /' "$WORK/stderr" | head -20
    fi
}

# expect_stdout LINE...: standard output is exactly these lines.
expect_stdout() {
    local expected=$WORK/expected
    if [ $# -gt 0 ]; then
        printf '%s\n' "$@" >"$expected"
    else
        : >"$expected"
    fi
    if ! cmp -s "$expected" "$WORK/stdout"; then
        fail "standard output differs (expected < > got):"
        diff "$expected" "$WORK/stdout" | sed 's/^/  /'
    fi
}

# expect_stderr_line LINE: standard error holds this exact line.
expect_stderr_line() {
    if ! grep -qFx -- "$1" "$WORK/stderr"; then
        fail "standard error lacks the line: $1"
        sed 's/^/  stderr: /' "$WORK/stderr" | head -20
    fi
}

# expect_stderr_only LINE: standard error is exactly this one line (empty
# for "").
expect_stderr_only() {
    local lines=1
    [ -z "$1" ] && lines=0
    if [ "$(cat "$WORK/stderr")" != "$1" ] || [ "$(wc -l <"$WORK/stderr")" -ne "$lines" ]; then
        fail "standard error is not just the line: $1"
        sed 's/^/  stderr: /' "$WORK/stderr" | head -20
    fi
}

expect_stderr_lacks() {
    if grep -qF -- "$1" "$WORK/stderr"; then
        fail "standard error unexpectedly holds: $1"
    fi
}

# Whether a sample of the rendered 16-bit output reaches 100 or more,
# well above the synthesizer's dither; stops reading at the first one.
output_has_sound() {
    od -An -v -td2 -w2 "$OUT_RAW" |
        awk '{ v = $1 < 0 ? -$1 : $1; if (v >= 100) { found = 1; exit } } END { exit !found }'
}

# Whether every sample of the rendered output stays within the dither of
# one step (0000, 0001 or FFFF).
output_is_silent() {
    local loud
    loud=$(od -An -v -tx2 -w32 "$OUT_RAW" | grep -m1 -v -E '^( (0000|0001|ffff))+$')
    [ -z "$loud" ]
}

# Sound was rendered: at least a quarter second of audio, and loud.
expect_sound() {
    if [ ! -s "$OUT_RAW" ]; then
        fail "no audio output rendered"
        return
    fi
    local bytes
    bytes=$(stat -c %s "$OUT_RAW")
    if [ "$bytes" -lt 44100 ]; then
        fail "only $bytes bytes of audio rendered"
    fi
    if ! output_has_sound; then
        fail "audio output is silent"
    fi
}

# Audio was rendered but nothing sounded.
expect_silence() {
    if [ ! -s "$OUT_RAW" ]; then
        fail "no audio output rendered"
        return
    fi
    if ! output_is_silent; then
        fail "audio output is not silent"
    fi
}

e2e_finish() {
    if [ "$FAILURES" -ne 0 ]; then
        echo "$FAILURES check(s) failed"
        exit 1
    fi
    echo "all checks passed"
    exit 0
}

# --- what an install puts in place -----------------------------------------

# Every file an install puts under its prefix (and the package under /usr).
INSTALLED_FILES=(
    bin/kolvo
    bin/kolvo150
    bin/kolvo165
    share/bash-completion/completions/kolvo
    share/doc/kolvo/changelog.gz
    share/doc/kolvo/copyright
    share/doc/kolvo/examples/demo150.mid
    share/doc/kolvo/examples/demo165.mid
    share/kolvo/bandorgan.sf2
    share/man/man1/kolvo.1.gz
    share/man/man1/kolvo150.1.gz
    share/man/man1/kolvo165.1.gz
)

# expect_same_lines WHAT EXPECTED ACTUAL: two lists of lines are the same.
expect_same_lines() {
    if [ "$2" != "$3" ]; then
        fail "$1 differ (expected < > got):"
        diff <(echo "$2") <(echo "$3") | sed 's/^/  /'
    fi
}

# expect_manual_renders PAGE: man renders the page without a warning of
# any kind groff knows (plain --warnings shows only undefined macros).
expect_manual_renders() {
    man --warnings=w -E UTF-8 -l "$1" 2>&1 >/dev/null | sed "s|^|$(basename "$1"): |" >"$WORK/warnings"
    [ -s "$WORK/warnings" ] && fail "man warns: $(cat "$WORK/warnings")"
}

# The subcommands that kolvo --help lists, one per line.
kolvo_subcommands() {
    "$KOLVO" --help | awk '/^  kolvo [a-z]/ { print $2 }'
}

# kolvo_options SUBCOMMAND: every spelling of every option that the
# subcommand's --help lists, one per line.
kolvo_options() {
    "$KOLVO" "$1" --help | sed -n 's/^  \(-[^ ].*\)/\1/p' | sed 's/  .*//' |
        grep -oE -- '--?[a-z][a-z-]*'
}

# complete_kolvo COMPLETION WORD...: what bash completion offers for the
# command line WORD... (the last word being completed), one per line, with
# bash-completion's functions and the completion script COMPLETION loaded
# (with "" the one bash-completion finds for kolvo); "kolvo" is run from PATH.
complete_kolvo() {
    local script=$1
    shift
    bash -c 'source /usr/share/bash-completion/bash_completion || exit 1
        if [ -n "$0" ]; then source "$0"; else __load_completion kolvo; fi || exit 1
        COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
        _kolvo "$1" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
        printf "%s\n" "${COMPREPLY[@]}"' "$script" "$@"
}

# --- the programs' fixed texts ---------------------------------------------

# The banner lines, for expect_stdout "${BANNER165[@]}" ...
BANNER165=("" "Play Wurlitzer 165 e-roll, v2.01" "kolvo165, Copyright (C) 2026 the kolvo authors" "")
BANNER150=("" "Play Wurlitzer 150 e-roll, v2.01" "kolvo150, Copyright (C) 2026 the kolvo authors" "")

# --- building rolls ---------------------------------------------------------

# vlq N: the variable-length quantity of N as hex bytes.
vlq() {
    local n=$1
    local out
    out=$(printf '%02X' $((n & 0x7F)))
    n=$((n >> 7))
    while [ "$n" -gt 0 ]; do
        out="$(printf '%02X' $(((n & 0x7F) | 0x80))) $out"
        n=$((n >> 7))
    done
    echo "$out"
}

# text_hex TEXT: the bytes of TEXT as hex.
text_hex() {
    printf '%s' "$1" | od -An -v -tx1 | tr -s ' \n' ' ' | sed 's/^ //; s/ $//'
}

# meta DELTA TYPE TEXT: a meta event with a text payload.
meta() {
    local payload
    payload=$(text_hex "$3")
    echo "$(vlq "$1") FF $2 $(vlq "$(hex_count "$payload")") $payload"
}

# tempo DELTA MICROSECONDS: a tempo meta event.
tempo() {
    printf '%s FF 51 03 %02X %02X %02X\n' "$(vlq "$1")" $((($2 >> 16) & 0xFF)) \
        $((($2 >> 8) & 0xFF)) $(($2 & 0xFF))
}

# hole KEY LENGTH: a hole opening now and closing LENGTH ticks later.
hole() {
    printf '00 90 %02X 40 %s 80 %02X 00\n' "$1" "$(vlq "$2")" "$1"
}

# note_off DELTA KEY: a closing on its own.
note_off() {
    printf '%s 80 %02X 00\n' "$(vlq "$1")" "$2"
}

end_of_track() {
    echo "00 FF 2F 00"
}

# write_hex FILE HEX...: writes the hex bytes to FILE.
write_hex() {
    local file=$1
    shift
    local hex
    hex=$(echo "$*" | tr -d ' \n')
    local escaped="" i
    for ((i = 0; i < ${#hex}; i += 2)); do
        escaped+="\\x${hex:i:2}"
    done
    printf "$escaped" >"$file"
}

# hex_count HEX...: the number of bytes.
hex_count() {
    local hex
    hex=$(echo "$*" | tr -d ' \n')
    echo $((${#hex} / 2))
}

# track_chunk HEX...: an MTrk chunk around the events.
track_chunk() {
    local n
    n=$(hex_count "$@")
    printf '4D 54 72 6B %02X %02X %02X %02X %s\n' $(((n >> 24) & 0xFF)) $(((n >> 16) & 0xFF)) \
        $(((n >> 8) & 0xFF)) $((n & 0xFF)) "$*"
}

# smf FILE TYPE TRACKS DIVISION_HEX TRACK_HEX: a whole file; pass one
# track_chunk per track after the division.
smf() {
    local file=$1 type=$2 tracks=$3 division=$4
    shift 4
    write_hex "$file" "4D 54 68 64 00 00 00 06" "$(printf '%02X %02X' 0 "$type")" \
        "$(printf '%02X %02X' 0 "$tracks")" "$division" "$@"
}

# roll FILE DIVISION_HEX EVENTS...: a one-track roll (type 0).
roll() {
    local file=$1 division=$2
    shift 2
    smf "$file" 0 1 "$division" "$(track_chunk "$@" "$(end_of_track)")"
}

# --- the standard test rolls -------------------------------------------------

# A Wurlitzer 165 roll: copyright, title, text, 120 beats per minute and
# twelve required holes of half a beat each after another (3 seconds).
# Extra events, if given, follow the holes.
roll165() {
    local file=$1
    shift
    local holes="" key
    for key in 78 79 80 81 82 83 84 85 86 87 89 90; do
        holes+="$(hole "$key" 96) "
    done
    roll "$file" "00 C0" \
        "$(meta 0 02 "(c) 2026 kolvo tests")" \
        "$(meta 0 03 "E2E 165")" \
        "$(meta 0 01 "A short roll")" \
        "$(tempo 0 500000)" \
        "$holes" "$@"
}

# A Wurlitzer 150 roll: title, 120 beats per minute, a trumpet hole and
# ten required holes (2.75 seconds).
roll150() {
    local file=$1
    shift
    local holes="" key
    for key in 61 69 70 71 72 73 74 75 76 77 76; do
        holes+="$(hole "$key" 96) "
    done
    roll "$file" "00 C0" \
        "$(meta 0 03 "E2E 150")" \
        "$(tempo 0 500000)" \
        "$holes" "$@"
}
