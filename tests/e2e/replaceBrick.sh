#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# How the brick file and the preview picture replace an old file: whole or not
# at all, whatever fails, with nothing else left in the folder.
#
#   replaceBrick.sh DXF2TKM TKMPREVIEW CASES_DIR SCENARIO [EMULATOR...]
#
# Permissions do not bind root, so as root the permission scenarios run the
# program as the user nobody (setpriv); without setpriv they are skipped.
#
# Windows programs run under the emulator (Wine), which exits with 77 after
# printing "SKIPPED: ..." when it cannot run them. Their output is read apart
# from its CR LF line ends. There the read-only attribute, which Wine gives a
# file without write permission, binds root as well.
set -u
converter=$1
preview=$2
cases=$3
scenario=$4
emulator=("${@:5}")

wedge=$cases/exampleWedge/files/wedge.obj
wedgeBrick=$cases/exampleWedge/expected/wedge.tkm   # 2,789 bytes
drawing=$cases/dxfCadDrawing/files/drawing.dxf
drawingBrick=$cases/dxfCadDrawing/expected/drawing.tkm

scratch=$(mktemp -d)
trap 'chmod -R u+w "$scratch"; rm -rf "$scratch"' EXIT
chmod 755 "$scratch"
work=$scratch/work
mkdir "$work"
# Copies of the programs that any user may run, wherever the build lies.
exe=
[ ${#emulator[@]} -gt 0 ] && exe=.exe
cp "$converter" "$scratch/dxf2tkm$exe"
cp "$preview" "$scratch/tkmpreview$exe"

# Runs one of the copies, under the emulator for a Windows program.
run() {
    local program=$1
    shift
    if [ ${#emulator[@]} -eq 0 ]; then
        exec -a "$program" "$scratch/$program" "$@"
    fi
    exec "${emulator[@]}" "$scratch/$program$exe" "$@"
}

if [ ${#emulator[@]} -gt 0 ]; then
    # Starts Wine before any limit applies to it; a skip ends here.
    probe=$(run dxf2tkm --version 2>&1)
    if [ $? = 77 ]; then
        echo "$probe"
        exit 77
    fi
fi

failed=0
fail() { echo "FAILED: $*"; failed=1; }

oldBrick() { printf 'an old brick\r\n%.0s' $(seq 300) > "$1"; }

# Runs the converter in the work folder: sets $out (standard output), $status.
convert() {
    out=$(cd "$work" && run dxf2tkm "$@" 2>&1)
    status=$?
    out=${out//$'\r'/}
}

# The same with a file-size limit of 1 KiB and SIGXFSZ ignored: every write
# past the first 1,024 bytes of a file fails. Wine's server, which the limit
# would stop, is started beforehand (it stays a few seconds).
convertWithFullDisk() {
    [ ${#emulator[@]} -gt 0 ] && (cd "$work" && run dxf2tkm --version > /dev/null)
    out=$(cd "$work" && trap '' XFSZ && ulimit -f 1 && run dxf2tkm "$@" 2>&1)
    status=$?
    out=${out//$'\r'/}
}

# As the user nobody when run as root, so that permissions bind.
asUser() {
    if [ "$(id -u)" = 0 ]; then
        setpriv --reuid=nobody --regid=nogroup --clear-groups "$@"
    else
        "$@"
    fi
}

# Under Wine the read-only attribute binds root too: no other user needed.
# $limits: prlimit's options, set once the user is dropped (asUser needs
# descriptors), SIGXFSZ ignored and only the standard streams open: with
# --nofile=4 the folder opens, but no temporary can be made beside the brick.
convertAsUser() {
    if [ ${#emulator[@]} -gt 0 ]; then
        convert "$@"
        return
    fi
    out=$(cd "$work" && exec 0</dev/null 3>&- 4>&- 5>&- 6>&- 7>&- 8>&- 9>&- && trap '' XFSZ &&
          asUser prlimit ${limits:-} "$scratch/dxf2tkm" "$@" 2>&1)
    status=$?
}

needPermissions() {
    if [ "$(id -u)" = 0 ] && ! command -v setpriv > /dev/null; then
        echo "SKIPPED: needs setpriv (Debian package util-linux) to drop root's permissions"
        exit 77
    fi
    [ "$(id -u)" = 0 ] && chown -R nobody:nogroup "$work"
}

expectStatus() { [ "$status" = "$1" ] || fail "exit status $status, expected $1"; }
expectLastLine() {
    [ "$(printf '%s' "$out" | tail -1)" = "$1" ] || fail "last line '$(printf '%s' "$out" | tail -1)', expected '$1'"
}
expectSame() { cmp -s "$1" "$2" || fail "$2 differs from $1"; }
expectFiles() {
    local present
    present=$(cd "$1" && find . -mindepth 1 | sort | tr '\n' ' ')
    [ "$present" = "$2" ] || fail "folder $1 holds '$present', expected '$2'"
}

case $scenario in
failedWriteKeepsOldBrick)
    cp "$wedge" "$work/"
    oldBrick "$scratch/old"
    cp "$scratch/old" "$work/wedge.tkm"
    convertWithFullDisk wedge.obj
    expectStatus 1
    expectLastLine "ERROR: failed to write wedge.tkm"
    expectSame "$scratch/old" "$work/wedge.tkm"
    expectFiles "$work" "./wedge.obj ./wedge.tkm "
    ;;
failedWriteLeavesNoFile)
    cp "$wedge" "$work/"
    convertWithFullDisk wedge.obj
    expectStatus 1
    expectLastLine "ERROR: failed to write wedge.tkm"
    expectFiles "$work" "./wedge.obj "
    ;;
readOnlyBrickIsNotReplaced)
    [ ${#emulator[@]} -eq 0 ] && needPermissions
    cp "$wedge" "$work/"
    oldBrick "$scratch/old"
    cp "$scratch/old" "$work/wedge.tkm"
    chmod 444 "$work/wedge.tkm"
    convertAsUser wedge.obj
    expectStatus 1
    expectLastLine "ERROR: failed to open wedge.tkm"
    expectSame "$scratch/old" "$work/wedge.tkm"
    expectFiles "$work" "./wedge.obj ./wedge.tkm "
    ;;
brickPathThatIsAFolder)
    cp "$wedge" "$work/"
    mkdir "$work/wedge.tkm"
    echo kept > "$work/wedge.tkm/inside"
    convert wedge.obj
    expectStatus 1
    expectLastLine "ERROR: failed to open wedge.tkm"
    expectFiles "$work" "./wedge.obj ./wedge.tkm ./wedge.tkm/inside "
    ;;
closedFolderIsWrittenInPlace)
    needPermissions
    cp "$wedge" "$work/"
    oldBrick "$work/wedge.tkm"
    [ "$(id -u)" = 0 ] && chown nobody "$work/wedge.tkm"
    chmod 555 "$work"
    convertAsUser wedge.obj
    expectStatus 0
    expectLastLine "Writing output file 'wedge.tkm'"
    expectSame "$wedgeBrick" "$work/wedge.tkm"
    expectFiles "$work" "./wedge.obj ./wedge.tkm "
    ;;
dropBoxFolderIsReplacedWhole)
    # A folder that may be written but not read still takes a temporary.
    cp "$wedge" "$work/"
    oldBrick "$scratch/old"
    cp "$scratch/old" "$work/wedge.tkm"
    needPermissions
    oldInode=$(stat -c %i "$work/wedge.tkm")
    chmod 300 "$work"
    limits=--fsize=1024 convertAsUser wedge.obj
    expectStatus 1
    expectLastLine "ERROR: failed to write wedge.tkm"
    expectSame "$scratch/old" "$work/wedge.tkm"
    convertAsUser wedge.obj
    expectStatus 0
    chmod 755 "$work"
    expectSame "$wedgeBrick" "$work/wedge.tkm"
    [ "$(stat -c %i "$work/wedge.tkm")" != "$oldInode" ] || fail "the old brick was written over in place"
    expectFiles "$work" "./wedge.obj ./wedge.tkm "
    ;;
inPlaceWriteFailingHalfwayLeavesNoBrick)
    # Written in place, the brick is gone with the old one: a truncated brick
    # would pass for a whole one.
    cp "$wedge" "$work/"
    oldBrick "$work/wedge.tkm"
    needPermissions
    limits="--nofile=4 --fsize=1024" convertAsUser wedge.obj
    expectStatus 1
    expectLastLine "ERROR: failed to write wedge.tkm"
    expectFiles "$work" "./wedge.obj "
    ;;
permissionBitsAreKept)
    cp "$wedge" "$work/"
    oldBrick "$work/wedge.tkm"
    chmod 640 "$work/wedge.tkm"
    convert wedge.obj
    expectStatus 0
    expectSame "$wedgeBrick" "$work/wedge.tkm"
    [ "$(stat -c %a "$work/wedge.tkm")" = 640 ] || fail "mode $(stat -c %a "$work/wedge.tkm"), expected 640"
    rm "$work/wedge.tkm"
    out=$(cd "$work" && umask 027 && "$scratch/dxf2tkm" wedge.obj 2>&1)
    [ "$(stat -c %a "$work/wedge.tkm")" = 640 ] || fail "new brick mode $(stat -c %a "$work/wedge.tkm") under umask 027"
    ;;
concurrentRunsLeaveOneWholeBrick)
    cp "$wedge" "$work/m.obj"
    cp "$drawing" "$work/m.dxf"
    for round in $(seq 50); do
        (run dxf2tkm "$work/m.obj" > /dev/null) & first=$!
        (run dxf2tkm "$work/m.dxf" > /dev/null) & second=$!
        wait $first || fail "round $round: the OBJ run failed"
        wait $second || fail "round $round: the DXF run failed"
        cmp -s "$work/m.tkm" "$wedgeBrick" || cmp -s "$work/m.tkm" "$drawingBrick" ||
            fail "round $round: m.tkm is neither brick"
        expectFiles "$work" "./m.dxf ./m.obj ./m.tkm "
        [ $failed = 0 ] || break
    done
    ;;
linkedBrickKeepsItsLink)
    mkdir "$work/models" "$work/bricks"
    cp "$wedge" "$work/models/"
    oldBrick "$scratch/old"
    cp "$scratch/old" "$work/bricks/wedge.tkm"
    ln -s ../bricks/wedge.tkm "$work/models/wedge.tkm"
    convertWithFullDisk models/wedge.obj
    expectStatus 1
    expectSame "$scratch/old" "$work/bricks/wedge.tkm"
    convert models/wedge.obj
    expectStatus 0
    [ "$(readlink "$work/models/wedge.tkm")" = ../bricks/wedge.tkm ] || fail "the link was not kept"
    expectSame "$wedgeBrick" "$work/bricks/wedge.tkm"
    expectFiles "$work" "./bricks ./bricks/wedge.tkm ./models ./models/wedge.obj ./models/wedge.tkm "
    ;;
previewKeepsItsOwnInput)
    cp "$wedgeBrick" "$work/w.tkm"
    for picture in w.tkm ./w.tkm "$work/w.tkm"; do
        out=$(cd "$work" && run tkmpreview w.tkm "$picture" 2>&1 > /dev/null)
        status=$?
        out=${out//$'\r'/}
        expectStatus 1
        [ "$out" = "tkmpreview: $picture is the brick file w.tkm itself; choose another picture path" ] ||
            fail "message '$out'"
        expectSame "$wedgeBrick" "$work/w.tkm"
    done
    expectFiles "$work" "./w.tkm "
    ;;
devicesAreWrittenInPlace)
    # A device is written, never replaced: nothing is made beside it or removed.
    cp "$wedgeBrick" "$work/w.tkm"
    devices=(/dev/null)
    [ ${#emulator[@]} -gt 0 ] && devices=(NUL '\\.\NUL')
    for device in "${devices[@]}"; do
        started=$SECONDS
        out=$(cd "$work" && run tkmpreview w.tkm "$device" 2>&1)
        [ $? = 0 ] && [ "${out//$'\r'/}" = "Wrote $device" ] || fail "preview of $device: '$out'"
        [ $((SECONDS - started)) -lt 2 ] || fail "writing $device took $((SECONDS - started)) s"
    done
    [ -c /dev/null ] || fail "/dev/null is no longer a device"
    expectFiles "$work" "./w.tkm "
    ;;
namesOutsideTheAnsiCodePage)
    # Both programs, a Cyrillic folder and file name: Windows gives such names
    # to a program only through its wide-character functions.
    mkdir "$work/Кирпич"
    cp "$wedge" "$work/Кирпич/кирпич.obj"
    oldBrick "$work/Кирпич/кирпич.tkm"
    convert Кирпич/кирпич.obj
    expectStatus 0
    expectLastLine "Writing output file 'Кирпич/кирпич.tkm'"
    expectSame "$wedgeBrick" "$work/Кирпич/кирпич.tkm"
    out=$(cd "$work" && run tkmpreview Кирпич/кирпич.tkm 2>&1)
    status=$?
    out=${out//$'\r'/}
    expectStatus 0
    [ "$out" = "Wrote Кирпич/кирпич.svg" ] || fail "preview said '$out'"
    grep -q '<svg' "$work/Кирпич/кирпич.svg" || fail "no picture in Кирпич/кирпич.svg"
    expectFiles "$work" "./Кирпич ./Кирпич/кирпич.obj ./Кирпич/кирпич.svg ./Кирпич/кирпич.tkm "
    ;;
severalPicturesOneFailing)
    # Each brick drawn in turn past a bad one; two bricks are never a brick
    # and a picture path, which would write over the second brick.
    cp "$wedgeBrick" "$work/a.tkm"
    cp "$drawingBrick" "$work/b.tkm"
    printf 'not a brick\r\n' > "$work/bad.tkm"
    out=$(cd "$work" && run tkmpreview a.tkm bad.tkm b.tkm 2> /dev/null)
    status=$?
    expectStatus 1
    [ "${out//$'\r'/}" = 'Wrote a.svg
Wrote b.svg
bad.tkm: line 1: expected the brick size: three whole numbers, found "not a brick"
Wrote 2 of 3 pictures' ] || fail "preview said '$out'"
    rm "$work/a.svg" "$work/b.svg"
    out=$(cd "$work" && run tkmpreview a.tkm b.tkm 2>&1)
    status=$?
    out=${out//$'\r'/}
    expectStatus 0
    expectLastLine "Wrote 2 of 2 pictures"
    expectSame "$drawingBrick" "$work/b.tkm"
    expectFiles "$work" "./a.svg ./a.tkm ./b.svg ./b.tkm ./bad.tkm "
    ;;
*)
    echo "unknown scenario $scenario"
    exit 2
    ;;
esac
exit $failed
