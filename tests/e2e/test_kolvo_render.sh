# kolvo render: each demo roll becomes a WAV file that starts with its
# music (the first audible sample within 0.1 s), lasts as long as the
# music plus at most the release tail, and is not silent in any ten
# seconds of it.  Rendered two at a time (two processes) the files are
# byte for byte the ones rendered alone.  FLAC and Ogg are chosen by
# --format or by the output's extension.

source "$(dirname "$0")/lib.sh"
kolvo_setup
install_soundfont

for organ in 165 150; do
    "$WRITTEN_ARRANGEMENT" "$organ" "$SOURCE_DIR/examples/demo$organ.mid" >"$WORK/demo$organ.mid"
    run_program "$KOLVO" render "$SOURCE_DIR/examples/demo$organ.mid"
    expect_status 0
    expect_stderr_only "kolvo: soundfont $FONT_PATH (the players' fixed path)"
    check wav "$RUN_DIR/demo$organ.wav" "$WORK/demo$organ.mid"
done

run_program "$KOLVO" render -q -j 2 --out-dir both "$DEMO165" "$DEMO150"
expect_status 0
expect_stderr_only ""
for organ in 165 150; do
    cmp -s "$RUN_DIR/both/demo$organ.wav" "$RUN_DIR/demo$organ.wav" ||
        fail "demo$organ.wav rendered in parallel differs from the one rendered alone"
done

for args in "--format flac:demo150.flac:fLaC" "-o x.ogg:x.ogg:OggS"; do
    IFS=: read -r option file magic <<<"$args"
    # shellcheck disable=SC2086
    run_program "$KOLVO" render -q $option "$DEMO150"
    expect_status 0
    [[ $(head -c 4 "$RUN_DIR/$file" 2>/dev/null) == "$magic" ]] || fail "$file is not $magic"
done

e2e_finish
