#!/usr/bin/env bash
# The demo rolls in examples/ are made by tools/makeroll from the scores in
# tools/scores/.  Regenerate both with the built makeroll and check that they
# are byte for byte the rolls checked in; also check that makeroll refuses a
# note its organ has no hole for, with one line and exit status 1.
#
# Environment: TOOLS_DIR, the built tools; SOURCE_DIR, the source tree.
set -uo pipefail

source_dir=${SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}
makeroll=${TOOLS_DIR:?TOOLS_DIR must name the directory of the built tools}/makeroll
if [[ ! -x $makeroll ]]; then
    echo "makeroll is not built: $makeroll"
    exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0 failed=0

check() {  # NAME COMMAND...: one check, reported on one line
    local name=$1
    shift
    if "$@"; then
        echo "ok: $name"
        passed=$((passed + 1))
    else
        echo "FAILED: $name"
        failed=$((failed + 1))
    fi
}

regenerates() {  # ORGAN
    "$makeroll" "$source_dir/tools/scores/demo$1.txt" "$work/demo$1.mid" >/dev/null &&
        cmp "$work/demo$1.mid" "$source_dir/examples/demo$1.mid"
}

refuses_missing_hole() {
    # F#4 is not on the 165's bass.
    sed 's/^1-2    bass     C2 /1-2    bass     F#4 /' \
        "$source_dir/tools/scores/demo165.txt" >"$work/bad.txt"
    local message status
    message=$("$makeroll" "$work/bad.txt" "$work/bad.mid" 2>&1)
    status=$?
    [[ $status -eq 1 && $(wc -l <<<"$message") -eq 1 && $message == *"no hole for F#4"* &&
        ! -e $work/bad.mid ]]
}

check "examples/demo165.mid is made from tools/scores/demo165.txt" regenerates 165
check "examples/demo150.mid is made from tools/scores/demo150.txt" regenerates 150
check "makeroll refuses a note without a hole" refuses_missing_hole

echo "$passed passed, $failed failed"
[[ $failed -eq 0 ]]
