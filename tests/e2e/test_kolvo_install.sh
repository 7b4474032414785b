# An install to a prefix of its own, without any option: it holds every file
# it should and no other, and the installed kolvo finds the soundfont
# installed beside it, also when started through a link, from any working
# folder.  The players' fixed path comes first, as for the kolvo of the
# build; the build's own soundfont counts only for the kolvo in the build
# folder, so an installed kolvo never depends on a build left behind (it
# then falls back to Debian's General MIDI soundfont).

source "$(dirname "$0")/lib.sh"
kolvo_setup
PREFIX=$WORK/prefix
INSTALLED=$PREFIX/share/kolvo/bandorgan.sf2
roll150 "$RUN_DIR/r150.mid"

"$CMAKE" --install "$BUILD_DIR" --prefix "$PREFIX" >"$WORK/install.log" 2>&1 ||
    { cat "$WORK/install.log"; fail "cmake --install failed"; e2e_finish; }
expect_same_lines "installed files" "$(printf '%s\n' "${INSTALLED_FILES[@]}")" \
    "$(cd "$PREFIX" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)"
ln -s "$PREFIX/bin/kolvo" "$WORK/kolvo-link"

run_program "$PREFIX/bin/kolvo" info r150.mid
expect_status 0

# program | soundfont at the players' fixed path? | installed one kept? | chosen
while IFS='|' read -r program fixed keep chosen; do
    remove_soundfont
    [ "$fixed" = yes ] && install_soundfont
    [ "$keep" = yes ] || rm -f "$INSTALLED"
    run_program "$program" render r150.mid -o r150.wav
    expect_status 0
    expect_stderr_only "kolvo: soundfont $chosen"
    [ -s "$RUN_DIR/r150.wav" ] || fail "no WAV file"
    rm -f "$RUN_DIR/r150.wav"
done <<TABLE
$PREFIX/bin/kolvo|no|yes|$INSTALLED (installed with kolvo)
$WORK/kolvo-link|no|yes|$INSTALLED (installed with kolvo)
$PREFIX/bin/kolvo|yes|yes|$FONT_PATH (the players' fixed path)
$KOLVO|no|yes|$SOUNDFONT (the band-organ soundfont of the build)
$PREFIX/bin/kolvo|no|no|$SYSTEM_SOUNDFONT (Debian's General MIDI soundfont)
TABLE

e2e_finish
