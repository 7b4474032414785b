# Command-line refusals of both programs: usage, missing roll, output tempo
# out of range or not a number.  Each prints the banner first and exits
# with status 1.

source "$(dirname "$0")/lib.sh"
e2e_setup
roll165 "$RUN_DIR/r165.mid"

for program in "$KOLVO165" "$KOLVO150"; do
    case $program in
        "$KOLVO165") banner=("${BANNER165[@]}") tail="  w165e-roll.mid [optempo]" ;;
        *) banner=("${BANNER150[@]}") tail="  w150e-roll.mid [optempo]" ;;
    esac

    run_program "$program"
    expect_status 1
    expect_stdout "${banner[@]}" "Usage: $program$tail"

    run_program "$program" r165.mid 100 extra
    expect_status 1
    expect_stdout "${banner[@]}" "Usage: $program$tail"

    run_program "$program" no-such-roll.mid
    expect_status 1
    expect_stdout "${banner[@]}" "Input file does not exist"

    # The missing roll is reported even when the tempo is also wrong.
    run_program "$program" no-such-roll.mid 500
    expect_status 1
    expect_stdout "${banner[@]}" "Input file does not exist"

    for tempo in 9.99 200.01 0 -85 abc "" nan inf -inf 1e999 0x64; do
        run_program "$program" r165.mid "$tempo"
        expect_status 1
        expect_stdout "${banner[@]}" "Output tempo must be between 10.0 and 200.0"
    done
done

e2e_finish
