# kolvo render: each demo roll becomes a WAV file that starts with its
# music (the first audible sample within 0.1 s), lasts as long as the
# music plus at most the release tail, and is not silent in any ten
# seconds of it.  Rendered two at a time (two processes) the files are
# byte for byte the ones rendered alone.  Each file is at -16 LUFS with
# no sample above -1 dBFS and ends in silence; every format is chosen by
# the output's extension and read back by libsndfile.

source "$(dirname "$0")/lib.sh"
kolvo_setup
install_soundfont

# level FILE FORMAT SUBTYPE RATE LUFS TOLERANCE PEAK: the file as libsndfile
# reads it back (container and encoding as it numbers them, sample rate,
# stereo), its integrated loudness within TOLERANCE of LUFS, no sample
# above PEAK dBFS and the last 100 ms under -70 dBFS.
level() {
    local measured
    measured=$("$AUDIOLEVEL" "$RUN_DIR/$1") || { fail "$1 cannot be read back"; return; }
    read -r major subtype rate channels length lufs peak end <<<"$measured"
    [[ "$major $subtype $rate $channels" == "$2 $3 $4 2" ]] ||
        fail "$1 is $major $subtype $rate $channels, expected $2 $3 $4 2"
    awk -v l="$lufs" -v want="$5" -v tol="$6" -v p="$peak" -v ceil="$7" -v e="$end" '
        BEGIN { exit !((l - want) ^ 2 <= tol ^ 2 && p <= ceil + 0.005 && e < -70) }' ||
        fail "$1: $lufs LUFS (expected $5 +- $6), peak $peak dBFS (at most $7), end $end dBFS"
}

for organ in 165 150; do
    "$WRITTEN_ARRANGEMENT" "$organ" "$SOURCE_DIR/examples/demo$organ.mid" >"$WORK/demo$organ.mid"
    run_program "$KOLVO" render "$SOURCE_DIR/examples/demo$organ.mid"
    expect_status 0
    expect_stderr_only "kolvo: soundfont $FONT_PATH (the players' fixed path)"
    check wav "$RUN_DIR/demo$organ.wav" "$WORK/demo$organ.mid"
    level "demo$organ.wav" 10000 2 44100 -16 0.5 -1
done

run_program "$KOLVO" render -q -j 2 --out-dir both "$DEMO165" "$DEMO150"
expect_status 0
expect_stderr_only ""
for organ in 165 150; do
    cmp -s "$RUN_DIR/both/demo$organ.wav" "$RUN_DIR/demo$organ.wav" ||
        fail "demo$organ.wav rendered in parallel differs from the one rendered alone"
done

# On a terminal, each roll rendered in a child shows a bar rising from
# under a half to over a half, then where it went and for how long.
run_program script -qec "$KOLVO render -j 2 --out-dir shown $DEMO165 $DEMO150" /dev/null
expect_status 0
for organ in 165 150; do
    grep -qE "demo$organ\.mid +\[#*\.+\] [1-4]?[0-9]%" "$WORK/stdout" &&
        grep -qE "demo$organ\.mid +\[#+\.*\] [5-9][0-9]%" "$WORK/stdout" &&
        grep -qF "demo$organ.mid -> shown/demo$organ.wav (0:" "$WORK/stdout" ||
        fail "no progress of demo$organ.mid: $(tr '\r' '\n' <"$WORK/stdout" | tail -3)"
done

# Usage errors (status 2) that name what can be written, and failures
# that name what failed; none leaves a file behind.
formats=".wav, .flac, .ogg, .opus or .mp3"
for row in \
    "2|kolvo render: cannot tell the audio format of x.mp4: name the file $formats (see kolvo render --help)|-o x.mp4" \
    "2|kolvo render: cannot tell the audio format of x: name the file $formats (see kolvo render --help)|-o x" \
    "2|kolvo render: --format flac does not match x.ogg (Ogg Vorbis) (see kolvo render --help)|--format flac -o x.ogg" \
    "2|kolvo render: --loudness takes a loudness from -40 to -6 LUFS, not \"-3\" (see kolvo render --help)|--loudness -3 -o x.wav" \
    "2|kolvo render: give either --loudness or --no-normalize (see kolvo render --help)|--loudness -20 --no-normalize -o x.wav" \
    "1|kolvo: cannot load the soundfont $FONT_PATH|-o x.wav" \
    "1|kolvo: no/x.wav: cannot write: No such file or directory|-o no/x.wav"; do
    IFS='|' read -r status message args <<<"$row"
    [[ $message == *soundfont* ]] && install_broken_soundfont
    # shellcheck disable=SC2086
    run_program "$KOLVO" render -q $args "$DEMO150"
    expect_status "$status"
    expect_stderr_only "$message"
    install_soundfont
    leftovers=$(cd "$RUN_DIR" && ls x* no 2>/dev/null)
    [[ -z $leftovers ]] || fail "left behind: $leftovers"
done

# Every extension: the format libsndfile reads back, the same length
# (Opus at 48 kHz), the level (the lossy codecs lose a little loudness).
wav_length=$length  # of demo150.wav
for row in "x.flac|170000 2 44100|0.5" "x.ogg|200000 60 44100|0.75" "x.oga|200000 60 44100|0.75" \
    "x.opus|200000 64 48000|0.75" "x.mp3|230000 82 44100|0.75" "x.WAV|10000 2 44100|0.5"; do
    IFS='|' read -r file format tolerance <<<"$row"
    run_program "$KOLVO" render -q -o "$file" "$DEMO150"
    expect_status 0
    # shellcheck disable=SC2086
    level "$file" $format -16 "$tolerance" -1
    awk -v a="$length" -v b="$wav_length" 'BEGIN { exit !((a - b) ^ 2 < 0.05 ^ 2) }' ||
        fail "$file lasts $length s, the WAV file $wav_length s"
done

# The level asked for, quiet or loud (the limiter's loss made up for),
# or the synthesizer's own (well under -16 LUFS); louder than the peak
# ceiling allows, the loudest it can be, said.
for lufs in -23 -10; do
    run_program "$KOLVO" render -q --loudness $lufs -o level.flac "$DEMO150"
    expect_stderr_only ""
    level level.flac 170000 2 44100 $lufs 0.5 -1
done
run_program "$KOLVO" render -q --loudness -6 -o loudest.flac "$DEMO150"
expect_status 0
grep -qxE "kolvo: loudest.flac: -(9|10)\.[0-9] LUFS, the loudest under the -1 dBFS peak ceiling \(asked for -6\)" \
    "$WORK/stderr" || fail "no word that -6 LUFS is out of reach: $(cat "$WORK/stderr")"
level loudest.flac 170000 2 44100 -9.5 0.6 -1
run_program "$KOLVO" render -q --no-normalize --format flac -o own "$DEMO150"
level own 170000 2 44100 -22 2 -1

# Ctrl-C while writing: stopped (130), the file there before untouched and
# nothing half-written beside it.
echo old >"$RUN_DIR/slow.wav"
run_program timeout --preserve-status -s INT 1 "$KOLVO" render -q --no-normalize --tempo 10 \
    -o slow.wav "$DEMO150"
expect_status 130
[[ $(ls "$RUN_DIR" | grep slow) == slow.wav && $(cat "$RUN_DIR/slow.wav") == old ]] ||
    fail "after Ctrl-C: $(ls "$RUN_DIR" | grep slow)"

# Fewer jobs than rolls, rolls and a folder with dots in their names, and
# files there already replaced.
mkdir -p "$RUN_DIR/out.v2"
cp "$DEMO150" "$RUN_DIR/demo.150.v2.mid"
echo junk >"$RUN_DIR/out.v2/demo.150.v2.flac"
run_program "$KOLVO" render -q -j 1 --format flac --out-dir out.v2 "$DEMO165" demo.150.v2.mid
expect_status 0
level out.v2/demo.150.v2.flac 170000 2 44100 -16 0.5 -1
cmp -s "$RUN_DIR/out.v2/demo.150.v2.flac" "$RUN_DIR/x.flac" ||
    fail "the roll rendered with -j 1 into a folder differs from the one rendered alone"
[[ $(ls "$RUN_DIR/out.v2") == "demo.150.v2.flac"$'\n'"demo165.flac" ]] ||
    fail "out.v2 holds $(ls "$RUN_DIR/out.v2")"

# Each of several rolls renders as it would alone, with the shift and the
# loudness asked for; one refused among them fails the run, not the others.
"$PYTHON" "$(dirname "$0")/roll_variants.py" "$DEMO165" 12 "$RUN_DIR/up12.mid" || fail "cannot make up12.mid"
cp "$RUN_DIR/up12.mid" "$RUN_DIR/up12b.mid"
printf 'not a roll\n' >"$RUN_DIR/junk.mid"
run_program "$KOLVO" render -q --loudness -20 -o alone.flac "$DEMO165"
run_program "$KOLVO" render -q -j 2 --shift -12 --loudness -20 --format flac --out-dir up \
    up12.mid junk.mid up12b.mid
expect_status 1
expect_stderr_only "kolvo: File: junk.mid is not a MIDI file"
for roll in up12 up12b; do
    cmp -s "$RUN_DIR/up/$roll.flac" "$RUN_DIR/alone.flac" || fail "up/$roll.flac differs from alone.flac"
done
level alone.flac 170000 2 44100 -20 0.5 -1

e2e_finish
