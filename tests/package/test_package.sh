# The Debian package as a user gets it: built by scripts/package, lintian
# reports neither error nor warning, it holds the installed files and no
# other, root's with the usual modes; installed into this machine with
# dpkg -i, the players sound the installed soundfont from any folder, kolvo
# render chooses it, the manual pages render without warnings and the
# completion offers the subcommands; dpkg -r leaves none of its files
# behind.
#
# Needs root and dpkg.  Other test runs on this machine may install the
# package too: the install and removal are serialised with a lock, and
# what is installed is always removed.

source "$(dirname "$0")/../e2e/lib.sh"
if ! command -v dpkg >/dev/null; then
    echo "SKIP: no dpkg on this machine"
    exit 77
fi
if [ "$(id -u)" -ne 0 ]; then
    echo "SKIP: installing a package needs root"
    exit 77
fi
if ! command -v lintian >/dev/null; then
    echo "SKIP: lintian is not installed (scripts/install-deps --test)"
    exit 77
fi
KOLVO165=/usr/bin/kolvo165 KOLVO150=/usr/bin/kolvo150 KOLVO=/usr/bin/kolvo
SOURCE_DIR=${SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}
kolvo_setup
LAST_COMMAND="scripts/package"

bash "$SOURCE_DIR/scripts/package" >"$WORK/package.log" 2>&1 ||
    { tail -40 "$WORK/package.log"; fail "scripts/package failed"; e2e_finish; }
deb=$(tail -1 "$WORK/package.log")
echo "$deb: $(stat -c %s "$deb") bytes"

LAST_COMMAND="lintian"
lintian "$deb" 2>&1 | grep -v '^running with root' | tee "$WORK/lintian"
grep -q '^[EW]:' "$WORK/lintian" && fail "lintian reports errors or warnings"

LAST_COMMAND="dpkg -c"
expected=$(for file in "${INSTALLED_FILES[@]}"; do
    mode=-rw-r--r--
    [[ $file == bin/* ]] && mode=-rwxr-xr-x
    echo "$mode root/root ./usr/$file"
done)
expect_same_lines "packaged files" "$expected" \
    "$(dpkg -c "$deb" | awk '$1 !~ /^d/ { print $1, $2, $6 }' | LC_ALL=C sort -k3)"
dpkg -c "$deb" | awk '$1 ~ /^d/ && ($1 != "drwxr-xr-x" || $2 != "root/root")' | grep . &&
    fail "folders not root's with mode 755"

exec 9>/tmp/kolvo-package.lock
flock -w 1800 9 || { fail "another run held /tmp/kolvo-package.lock for 30 minutes"; e2e_finish; }
if dpkg-query -W -f='${Status}' kolvo 2>/dev/null | grep -q "install ok installed"; then
    echo "SKIP: a kolvo package is installed on this machine already; not replacing it"
    exit 77
fi
trap 'dpkg -r kolvo >/dev/null 2>&1; rm -rf "$WORK"' EXIT
LAST_COMMAND="dpkg -i"
dpkg -i "$deb" >"$WORK/dpkg.log" 2>&1 || { cat "$WORK/dpkg.log"; fail "dpkg -i failed"; e2e_finish; }
dpkg -L kolvo | while read -r path; do [ -d "$path" ] || echo "$path"; done >"$WORK/files"

RUN_DIR=/
for organ in 165 150; do
    run_program "kolvo$organ" "/usr/share/doc/kolvo/examples/demo$organ.mid"
    expect_status 0
    expect_stderr_lacks "Warning: soundfont"
    expect_sound
done

RUN_DIR=/tmp
roll150 "$WORK/r150.mid"
run_program kolvo render "$WORK/r150.mid" -o "$WORK/r150.wav"
expect_status 0
expect_stderr_only "kolvo: soundfont /usr/share/kolvo/bandorgan.sf2 (the players' fixed path)"
[ -s "$WORK/r150.wav" ] || fail "no WAV file"

LAST_COMMAND="man"
for page in kolvo kolvo165 kolvo150; do
    expect_manual_renders "/usr/share/man/man1/$page.1.gz"
    [ "$(man -w "$page")" = "/usr/share/man/man1/$page.1.gz" ] || fail "man -w $page: $(man -w "$page")"
done

LAST_COMMAND="completion"
expect_same_lines "subcommands offered" "$(kolvo_subcommands; printf '%s\n' --help --version)" \
    "$(complete_kolvo "" kolvo "")"

LAST_COMMAND="dpkg -r"
dpkg -r kolvo >"$WORK/dpkg.log" 2>&1 || { cat "$WORK/dpkg.log"; fail "dpkg -r failed"; }
while read -r file; do
    [ -e "$file" ] && fail "$file is left behind"
done <"$WORK/files"
for folder in /usr/share/kolvo /usr/share/doc/kolvo; do
    [ -e "$folder" ] && fail "$folder is left behind"
done

e2e_finish
