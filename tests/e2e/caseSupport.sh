# SPDX-License-Identifier: MIT
# Shared by the end-to-end scripts (sourced): a case's working folder and its
# arguments.

# prepareCase CASE_DIR WORK_DIR: makes the case's working folder, WORK_DIR or
# the path below it that the case's folder file names, holding the case's
# files/; sets caseWorkDir to it and the array caseArgs to the case's
# arguments (args, one per line).
prepareCase() {
    caseWorkDir=$2
    if [ -f "$1/folder" ]; then
        caseWorkDir="$2/$(cat "$1/folder")"
    fi
    mkdir -p "$caseWorkDir"
    if [ -d "$1/files" ]; then
        cp -R "$1/files/." "$caseWorkDir/"
    fi
    caseArgs=()
    if [ -f "$1/args" ]; then
        mapfile -t caseArgs < "$1/args"
    fi
}
