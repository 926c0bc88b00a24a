#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs a test command only when the programs it needs are installed.
#
#   requireTools.sh PROGRAM=PACKAGE... -- COMMAND [ARGUMENT...]
#
# For the first PROGRAM not found on the PATH it prints
# "SKIPPED: needs PROGRAM (Debian package PACKAGE)" and exits with 77, which
# CTest reports as a skipped test; otherwise it runs COMMAND in its place.
set -u
skipped=77
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
    program=${1%%=*}
    package=${1#*=}
    if ! command -v "$program" >/dev/null 2>&1; then
        echo "SKIPPED: needs $program (Debian package $package)"
        exit $skipped
    fi
    shift
done
if [ $# -lt 2 ]; then
    echo "usage: requireTools.sh PROGRAM=PACKAGE... -- COMMAND [ARGUMENT...]" >&2
    exit 2
fi
shift
exec "$@"
