# SPDX-License-Identifier: MIT
# prepareCase CASE_DIR WORK_DIR (sourced by the end-to-end scripts): copies the
# case's files/ into WORK_DIR, or into the path below it that its folder file
# names; sets caseWorkDir to that folder and caseArgs to the lines of args.
prepareCase() {
    caseWorkDir=$2
    [ ! -f "$1/folder" ] || caseWorkDir="$2/$(cat "$1/folder")"
    mkdir -p "$caseWorkDir"
    [ ! -d "$1/files" ] || cp -R "$1/files/." "$caseWorkDir/"
    caseArgs=()
    [ ! -f "$1/args" ] || mapfile -t caseArgs < "$1/args"
}
