#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Both programs as started from Explorer, forced by DXF2TKM_TEST_EXPLORER=1:
# quiet lines, "Press Enter to close this window." and a wait only Enter ends;
# the help without a file; under Wine, each picture opened in the program the
# prefix associates with .svg (a command that notes the path it was given).
#
#   explorerStart.sh DXF2TKM TKMPREVIEW CASES_DIR [EMULATOR...]
set -u
cases=$3
emulator=("${@:4}")
scratch=$(mktemp -d)
previous=
trap 'exec 3>&- 2> /dev/null
    [ -z "$previous" ] || "${emulator[@]}" reg add "$classes\.svg" /ve /d "$previous" /f > /dev/null
    rm -rf "$scratch"' EXIT
work=$scratch/work
mkdir "$work"
exe=${4:+.exe}
cp "$1" "$scratch/dxf2tkm$exe"
cp "$2" "$scratch/tkmpreview$exe"
cp "$cases/exampleWedge/files/wedge.obj" "$work/"
export DXF2TKM_TEST_EXPLORER=1

run() {
    local program=$1
    shift
    cd "$work" || exit 1
    if [ ${#emulator[@]} -eq 0 ]; then
        exec -a "$program" "$scratch/$program" "$@"
    fi
    exec "${emulator[@]}" "$scratch/$program$exe" "$@"
}

failed=0
fail() { echo "FAILED: $*"; failed=1; }
# expect NAME STATUS OUTPUT WANTED: the status and output, carriage returns dropped.
expect() { [ "$2 ${3//$'\r'/}" = "$4" ] || fail "$1: status, output '$2 $3'"; }
prompt="Press Enter to close this window."

if [ ${#emulator[@]} -gt 0 ]; then
    probe=$(run dxf2tkm --version 2>&1) || [ $? != 77 ] || { echo "$probe"; exit 77; }
    # Wine's classes root reads the machine's classes before the user's.
    opened=$scratch/opened.txt
    opener="cmd.exe /c echo %1>Z:${opened//\//\\}"
    classes='HKLM\Software\Classes'
    previous=$("${emulator[@]}" reg query "$classes\.svg" /ve 2> /dev/null |
        sed -n 's/^ *(Default) *REG_SZ *//p' | tr -d '\r')
    "${emulator[@]}" reg add "$classes\.svg" /ve /d dxf2tkmTest.svg /f > /dev/null &&
        "${emulator[@]}" reg add "$classes\dxf2tkmTest.svg\shell\open\command" \
            /ve /d "$opener" /f > /dev/null || fail "the .svg association could not be set"
fi

# A double-click: the version, the help, the prompt, and a wait until Enter.
version=$(run dxf2tkm --version < /dev/null | head -n 1 | tr -d '\r')
mkfifo "$scratch/keyboard"
(run dxf2tkm < "$scratch/keyboard" > "$scratch/out" 2>&1) &
program=$!
exec 3> "$scratch/keyboard"
for _ in $(seq 300); do
    grep -q "^$prompt" "$scratch/out" && break
    sleep 0.1
done
sleep 1
kill -0 $program 2> /dev/null || fail "the program did not wait for Enter"
echo >&3
exec 3>&-
wait $program
expect help $? "$(cat "$scratch/out")" "2 $version
Drop model files (.obj, .rds, .dxf) on dxf2tkm.exe to convert them.
Each brick is written beside its model, with the extension .tkm.
Drop a brick on tkmpreview.exe for a picture of it.
The documentation is in the docs folder beside the program (start with README.md).
$prompt"

# A model dropped on the converter: its quiet line; the end of input ends the wait too.
model=$work/wedge
out=$(run dxf2tkm "$model.obj" < /dev/null 2>&1)
expect "dropped model" $? "$out" "0 $model.obj -> $model.tkm: 5 quads (4 coloured, 1 paintable), 1 collision box, size 4 2 3
$prompt"
cmp -s "$work/wedge.tkm" "$cases/exampleWedge/expected/wedge.tkm" || fail "wedge.tkm differs"

# A file of another program dropped on the converter: what to do instead.
: > "$work/castle.blend"
out=$(run dxf2tkm "$work/castle.blend" < /dev/null 2>&1)
expect "dropped .blend" $? "$out" "1 $work/castle.blend: ERROR: not a model dxf2tkm reads; export the model as OBJ (File > Export > Wavefront (.obj)), or use the Blender add-on, which writes the brick itself
$prompt"

# The brick dropped on the preview: the picture written and, on Windows, opened.
out=$(echo | run tkmpreview wedge.tkm 2>&1)
expect preview $? "$out" "0 Wrote wedge.svg
$prompt"
[ -s "$work/wedge.svg" ] || fail "no picture"
if [ ${#emulator[@]} -gt 0 ]; then
    for _ in $(seq 100); do
        [ -s "$opened" ] && break
        sleep 0.1
    done
    grep -q 'wedge\.svg' "$opened" 2> /dev/null || fail "the picture was not opened"
fi

# A model dropped on the preview: what to do with it, not the parser's line 1.
out=$(run tkmpreview wedge.obj < /dev/null 2>&1)
expect "model on the preview" $? "$out" "1 tkmpreview: wedge.obj is a model, not a brick: \
convert it with dxf2tkm first (drop it on dxf2tkm.exe), then draw the .tkm file it writes
$prompt"
exit $failed
