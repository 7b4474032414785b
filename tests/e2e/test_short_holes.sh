# Holes of a single tick at 48 ticks per quarter note and the default 85
# beats per minute: the end of many of them converts back to just below
# the tick at which their note starts.  FluidSynth's player does not finish
# while a note still sounds, so every such note must still be stopped after
# it starts; both programs must play the roll to its end and exit by
# themselves.

source "$(dirname "$0")/lib.sh"
e2e_setup
install_soundfont

# one_tick_holes TICK:KEY...: a hole from each TICK to the next tick, the
# ticks in ascending order.
one_tick_holes() {
    local now=0 pair tick key out=""
    for pair in "$@"; do
        tick=${pair%%:*}
        key=${pair##*:}
        out+="$(vlq $((tick - now))) $(printf '90 %02X 40 01 80 %02X 00' "$key" "$key") "
        now=$((tick + 1))
    done
    echo "$out"
}

# Holes from ticks 0, 1, 3, 7, 15, 28, 31, 40 and 46 end on their own
# start once converted back; the others do not.
roll "$RUN_DIR/short165.mid" "00 30" \
    "$(one_tick_holes 0:78 1:79 3:80 7:81 15:82 28:83 31:84 40:85 46:86 50:87 60:89 70:90)"
roll "$RUN_DIR/short150.mid" "00 30" \
    "$(one_tick_holes 0:69 1:70 3:71 7:72 15:73 28:74 31:75 40:76 46:77 50:61 60:69)"

RUN_TIMEOUT=30
run_program "$KOLVO165" short165.mid
expect_status 0
expect_stdout "${BANNER165[@]}" "Playing time: 0 minutes 1 seconds"
expect_sound

run_program "$KOLVO150" short150.mid
expect_status 0
expect_stdout "${BANNER150[@]}" "Playing time: 0 minutes 0 seconds"
expect_sound

e2e_finish
