#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs dxf2tkm under valgrind's memory check on the input of every end-to-end
# case (tests/cases/*: its files and arguments) and fails on any report: an
# invalid read or write, a jump on an uninitialised value, a leak. What the
# program prints is left to the end-to-end tests.
#
#   valgrindCases.sh PROGRAM CASES_DIR
set -u
binary=$1
casesDir=$2

source "$(dirname "$0")/caseSupport.sh"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=0
count=0
for caseDir in "$casesDir"/*/; do
    name=$(basename "$caseDir")
    workDir="$scratch/$name"
    prepareCase "$caseDir" "$workDir"
    report="$scratch/$name.valgrind"
    (cd "$caseWorkDir" && exec valgrind --quiet --error-exitcode=99 --leak-check=full \
        --show-leak-kinds=definite,indirect,possible \
        --errors-for-leak-kinds=definite,indirect,possible --log-file="$report" \
        "$binary" "${caseArgs[@]}") > /dev/null 2>&1
    status=$?
    count=$((count + 1))
    if [ "$status" = 99 ] || [ -s "$report" ]; then
        echo "valgrind reports on case $name:"
        head -40 "$report"
        failed=1
    fi
done
echo "$count cases run under valgrind"
exit $failed
