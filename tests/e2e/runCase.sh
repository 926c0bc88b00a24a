#!/usr/bin/env bash
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
# The program runs as "dxf2tkm" (its argv[0]) so that the echo is the same
# wherever it was built.
set -u
binary=$1
caseDir=$2

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
workDir="$scratch/work"
mkdir "$workDir"
if [ -d "$caseDir/files" ]; then
    cp -R "$caseDir/files/." "$workDir/"
fi

args=()
if [ -f "$caseDir/args" ]; then
    mapfile -t args < "$caseDir/args"
fi

(cd "$workDir" && exec -a dxf2tkm "$binary" "${args[@]}") > "$scratch/stdout" 2> "$scratch/stderr"
status=$?

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
