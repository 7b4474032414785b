# kolvo view draws each demo roll as well-formed SVG with one labelled lane
# per hole of its organ's scale, and headless Chromium renders the picture
# to a PNG that is not blank: it shows holes in the picture's colours.

source "$(dirname "$0")/lib.sh"
kolvo_setup

for organ_lanes in 165:75 150:54; do
    IFS=: read -r organ lanes <<<"$organ_lanes"
    run_program "$KOLVO" view "$SOURCE_DIR/examples/demo$organ.mid"
    expect_status 0
    check svg "$RUN_DIR/demo$organ.svg" "$lanes"
done

chromium=$(command -v chromium || true)
if [ -z "$chromium" ]; then
    echo "SKIP: chromium is not installed; the pictures were not rendered"
    e2e_finish
fi
for organ in 165 150; do
    timeout -k 5 120 "$chromium" --headless --no-sandbox --disable-gpu --no-first-run \
        --disable-background-networking --disable-component-update --disable-sync \
        --disable-dev-shm-usage \
        --user-data-dir="$WORK/chromium" --hide-scrollbars --window-size=1430,900 \
        --screenshot="$WORK/demo$organ.png" "file://$RUN_DIR/demo$organ.svg" \
        >"$WORK/chromium.log" 2>&1 || fail "chromium did not render demo$organ.svg"
    check png "$WORK/demo$organ.png" "$RUN_DIR/demo$organ.svg"
done

e2e_finish
