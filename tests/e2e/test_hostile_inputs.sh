# Hostile and unusual input files, one row each: the programs to run it
# with, the exit status expected, the first line after the banner, and a
# last line (of standard output, or "stderr:" and a line that standard error
# must hold).  "ORGAN" in a line stands for 165 or 150.  Every run must end
# by itself (a hang is killed after RUN_TIMEOUT and fails its status); a
# run that exits 1 never prints a playing time, one that exits 0 ends with
# it.  The files are those of the fuzz corpus, run by their plain names.
#
# The last rows: a pause between holes too long for a MIDI file's four-byte
# delta time is refused before playback, and a roll whose ticks add up past
# the range of int is not read at all.

source "$(dirname "$0")/lib.sh"
e2e_setup
RUN_TIMEOUT=20
CORPUS=$SOURCE_DIR/tests/fuzz/corpus
cp "$CORPUS"/*.mid "$RUN_DIR"/
mkdir "$RUN_DIR/adir"
LONG_PATH=$(printf 'x%.0s' $(seq 10000))

# row PROGRAMS STATUS FIRST LAST PATH
row() {
    local programs=$1 status=$2 first=$3 last=$4 path=$5 organ program
    [ "$programs" = both ] && programs="165 150"
    for organ in $programs; do
        [ "$organ" = 165 ] && program=$KOLVO165 || program=$KOLVO150
        run_program "$program" "$path"
        expect_status "$status"
        expect_line 5 "${first//ORGAN/$organ}"
        case $last in
            stderr:*) expect_stderr_line "${last#stderr:}" ;;
            *) expect_line '$' "${last//ORGAN/$organ}" ;;
        esac
        if [ "$status" = 1 ] && grep -q '^Playing time' "$WORK/stdout"; then
            fail "a refused run printed its playing time"
        fi
    done
}

# expect_line N TEXT: line N of standard output ('$': the last) is TEXT.
expect_line() {
    local got
    got=$(sed -n "$1p" "$WORK/stdout")
    [ "$got" = "$2" ] || fail "stdout line $1 is \"$got\", expected \"$2\""
}

INVALID='Invalid wORGAN e-roll'
PLAYED='Playing time: 0 minutes 4 seconds'
R1_REFUSAL='stderr:Cannot write the arrangement: a pause between notes is longer than a MIDI file can hold'

#   programs status first line after the banner / last line / path
row both 1 'File: broken-empty.mid is not a MIDI file' "$INVALID" broken-empty.mid
row both 1 'File: broken-one-byte.mid is not a MIDI file' "$INVALID" broken-one-byte.mid
row both 1 'File: broken-header-only.mid has bad track info' "$INVALID" broken-header-only.mid
row both 1 'File: broken-wrong-magic.mid is not a MIDI file' "$INVALID" broken-wrong-magic.mid
row both 1 'File: broken-header-length-7.mid is not a MIDI 1.0 Standard MIDI file.' \
           "$INVALID" broken-header-length-7.mid
row both 1 'File: broken-track-count-65535.mid has bad track info' \
           'Invalid e-roll, 65535 tracks' broken-track-count-65535.mid
row both 1 'File: broken-15-bytes-announcing-61985-tracks.mid has bad track info' \
           'Invalid e-roll, 61985 tracks' broken-15-bytes-announcing-61985-tracks.mid
# The chunk's length is only a hint; the track ends at its end-of-track.
row 165  0 "$PLAYED" "$PLAYED" broken-chunk-length-ffffffff.mid
# A file cut short plays the holes that were complete.
row 165  0 "$PLAYED" "$PLAYED" broken-cut-in-vlq.mid
row 165  0 "$PLAYED" "$PLAYED" broken-cut-in-meta-length.mid
row 165  0 "$PLAYED" "$PLAYED" broken-cut-in-payload.mid
# A length longer than the file is a file cut short.
row 165  0 "$PLAYED" "$PLAYED" broken-meta-length-2p28.mid
row 165  0 "$PLAYED" "$PLAYED" broken-sysex-length-2p28.mid
# Five bytes are the most a delta time may take; a sixth is fatal.
row 165  0 "$PLAYED" "$PLAYED" broken-five-byte-vlq.mid
row both 1 'Error: VLV value was too long' 'Error: VLV value was too long' \
           broken-vlq-too-long.mid
row both 1 'Error: running command with no previous command' \
           'Error: running command with no previous command' \
           broken-data-byte-without-status.mid
row both 1 'File: adir is not a MIDI file' "$INVALID" adir
row both 1 'File: /dev/null is not a MIDI file' "$INVALID" /dev/null
row both 1 'Input file does not exist' 'Input file does not exist' "$LONG_PATH"
row 165  1 'Input tempo: 120' "$R1_REFUSAL" r1-pause-longer-than-a-file-holds-165.mid
row 150  1 'Input tempo: 120' "$R1_REFUSAL" r1-pause-longer-than-a-file-holds-150.mid
row 165  1 'File: r2-ticks-past-int-range-165.mid is not a MIDI file' \
           "$INVALID" r2-ticks-past-int-range-165.mid
row 150  1 'File: r2-ticks-past-int-range-150.mid is not a MIDI file' \
           "$INVALID" r2-ticks-past-int-range-150.mid

e2e_finish
