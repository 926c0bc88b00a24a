#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# valgrindCases.sh PROGRAM CASES_DIR: runs PROGRAM under valgrind's memory check
# on every end-to-end case's files and arguments; fails on any report (invalid
# access, uninitialised value, leak). The output is left to the end-to-end tests.
set -u
source "$(dirname "$0")/caseSupport.sh"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=0
for caseDir in "$2"/*/; do
    name=$(basename "$caseDir")
    prepareCase "$caseDir" "$scratch/$name"
    report="$scratch/$name.valgrind"
    (cd "$caseWorkDir" && exec valgrind --quiet --error-exitcode=99 --leak-check=full \
        --show-leak-kinds=definite,indirect,possible \
        --errors-for-leak-kinds=definite,indirect,possible --log-file="$report" \
        "$1" "${caseArgs[@]}") > /dev/null 2>&1
    if [ $? = 99 ] || [ -s "$report" ]; then
        echo "valgrind reports on case $name:"
        head -40 "$report"
        failed=1
    fi
done
echo "$(ls -d "$2"/*/ | wc -l) cases run under valgrind"
exit $failed
