# Shared by the end-to-end scripts (sourced): a case's working folder and its
# arguments.

# prepareCase CASE_DIR WORK_DIR: makes WORK_DIR holding the case's files/ and
# sets the array caseArgs to the case's arguments (args, one per line).
prepareCase() {
    mkdir "$2"
    if [ -d "$1/files" ]; then
        cp -R "$1/files/." "$2/"
    fi
    caseArgs=()
    if [ -f "$1/args" ]; then
        mapfile -t caseArgs < "$1/args"
    fi
}
