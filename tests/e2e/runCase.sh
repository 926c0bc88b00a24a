#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs dxf2tkm once for one end-to-end case and compares what it did, byte for
# byte, with what the case expects.
#
# A case is a folder holding:
#   args       the arguments after the program name, one per line (may be empty)
#   files/     copied into a fresh working folder, where the program runs
#   stdout     the expected standard output
#   status     the expected exit status
#   expected/  the files the working folder must hold afterwards besides those
#              of files/ (a file of the same name replaces the one of files/)
#   folder     optional: a relative path, made inside the fresh folder, that
#              serves as the working folder (a deep one: Windows takes a
#              working folder of up to 258 characters)
# The program runs as "dxf2tkm" (its argv[0]) so that the echo is the same
# wherever it was built.
#
#   runCase.sh PROGRAM CASE_DIR [EMULATOR...]
#
# With an emulator (Wine, for a Windows program) the program runs as
# "EMULATOR... PROGRAM ARGUMENTS...". Wine gives a program the Windows form of
# its own path as argv[0] ("Z:\tmp\...\dxf2tkm.exe"); exactly that first
# echo line is read as "argv[0] = dxf2tkm". Standard output is then compared
# apart from its line ends, as a Windows program writes CR LF to a text
# stream; the files it writes are compared byte for byte. An emulator that
# exits with 77 after printing "SKIPPED: ..." skips the case.
set -u
binary=$1
caseDir=$2
emulator=("${@:3}")

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
workDir="$scratch/work"
source "$(dirname "$0")/caseSupport.sh"
prepareCase "$caseDir" "$workDir"
workDir=$caseWorkDir
args=("${caseArgs[@]}")
# The name the program is started under, argv[0]: dxf2tkm, or the case's name file.
programName=dxf2tkm
[ ! -f "$caseDir/name" ] || programName=$(cat "$caseDir/name")

if [ ${#emulator[@]} -eq 0 ]; then
    (cd "$workDir" && exec -a "$programName" "$binary" "${args[@]}") > "$scratch/stdout" 2> "$scratch/stderr"
    status=$?
else
    mkdir "$scratch/bin"
    program=$scratch/bin/dxf2tkm.exe
    cp "$binary" "$program"
    (cd "$workDir" && exec "${emulator[@]}" "$program" "${args[@]}") > "$scratch/raw" 2> "$scratch/stderr"
    status=$?
    if [ $status = 77 ] && grep -q '^SKIPPED:' "$scratch/raw"; then
        cat "$scratch/raw"
        exit 77
    fi
    sed -e 's/\r$//' "$scratch/raw" > "$scratch/stdout"
    if [ "$(head -n 1 "$scratch/stdout")" = "argv[0] = Z:${program//\//\\}" ]; then
        # Wine names the program by its path: the start under another name is native only.
        { echo "argv[0] = $programName"; tail -n +2 "$scratch/stdout"; } > "$scratch/renamed"
        mv "$scratch/renamed" "$scratch/stdout"
    fi
fi

failed=0
if ! cmp -s "$caseDir/stdout" "$scratch/stdout"; then
    echo "standard output differs (expected, actual):"
    diff <(cat -A "$caseDir/stdout") <(cat -A "$scratch/stdout") | head -40
    failed=1
fi
expectedStatus=$(cat "$caseDir/status")
if [ "$status" != "$expectedStatus" ]; then
    echo "exit status $status, expected $expectedStatus"
    failed=1
fi
if [ -s "$scratch/stderr" ]; then
    echo "unexpected standard error:"
    head -20 "$scratch/stderr"
    failed=1
fi

# The working folder holds exactly the case's files and the expected outputs.
listFiles() { [ -d "$1" ] && (cd "$1" && find . -type f | sort); }
wanted=$( { listFiles "$caseDir/files"; listFiles "$caseDir/expected"; } | sort -u)
present=$(listFiles "$workDir")
if [ "$wanted" != "$present" ]; then
    echo "files in the working folder differ (expected, actual):"
    diff <(echo "$wanted") <(echo "$present")
    failed=1
fi
if [ -d "$caseDir/expected" ]; then
    while IFS= read -r file; do
        if ! cmp -s "$caseDir/expected/$file" "$workDir/$file"; then
            echo "$file differs (expected, actual):"
            diff <(cat -A "$caseDir/expected/$file") <(cat -A "$workDir/$file") | head -40
            failed=1
        fi
    done < <(listFiles "$caseDir/expected")
fi
exit $failed
