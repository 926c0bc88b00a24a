#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs a Windows program under Wine: runUnderWine.sh DEFAULT_PREFIX PROGRAM [ARGUMENTS...]
#
# Wine keeps its state in a prefix folder: $WINEPREFIX when set, otherwise
# DEFAULT_PREFIX. The first start fills the prefix, which takes seconds; runs
# started at the same time wait for that rather than fill it twice. The prefix
# gets Wine's null display driver: the programs open no window, and without a
# display the default driver would print errors at every start. Without Wine
# the program is not run and the test counts as skipped (exit status 77).
# Windows programs there keep their temporary files in the system's own
# temporary folder (Z: is /), as on Linux, rather than deep inside the prefix:
# a Windows path of 4,095 characters then fits Linux's limit once Wine maps it
# back to a Linux path.
set -u
defaultPrefix=$1
shift
# Debian's "wine" is a script that warns on standard error when the 32-bit
# part is missing, which 64-bit programs do not need: the loader itself first.
wine=
for candidate in /usr/lib/wine/wine64 wine64 wine; do
    if command -v "$candidate" > /dev/null; then
        wine=$(command -v "$candidate")
        break
    fi
done
if [ -z "$wine" ]; then
    echo "SKIPPED: needs wine (Debian package wine)"
    exit 77
fi
# Wine reads the Linux arguments and file names in the locale's character
# set; file names here are UTF-8, whatever locale the caller has.
if [ "$(locale charmap 2> /dev/null)" != UTF-8 ]; then
    export LC_ALL=C.UTF-8
fi
export WINEPREFIX=${WINEPREFIX:-$defaultPrefix}
export WINEDEBUG=${WINEDEBUG:--all}
# A program that crashes ends at once with a failure rather than wait in
# Wine's debugger.
export WINEDLLOVERRIDES="winedbg.exe=d${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
ready=$WINEPREFIX/.dxf2tkm-ready
if [ ! -f "$ready" ]; then
    mkdir -p "$WINEPREFIX"
    (
        flock 9
        if [ ! -f "$ready" ]; then
            temporary=Z:$(tr / '\\' <<< "${TMPDIR:-/tmp}")
            "$wine" wineboot --init > /dev/null 2>&1 &&
                "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f \
                    > /dev/null 2>&1 &&
                "$wine" reg add 'HKCU\Environment' /v TEMP /d "$temporary" /f > /dev/null 2>&1 &&
                "$wine" reg add 'HKCU\Environment' /v TMP /d "$temporary" /f > /dev/null 2>&1 &&
                touch "$ready"
        fi
    ) 9> "$WINEPREFIX/.dxf2tkm-lock"
fi

# Debian's Wine runs without its preloader, which would reserve the addresses
# Windows programs need before Linux places anything there by chance. Now and
# then (here about one start in a few hundred, seen with two programs starting
# at once) Wine ends with status 1 before the program runs, silently, within a
# few milliseconds, where the quickest real run takes over 20. Wine runs
# without address-space randomisation here, and such a start is tried again,
# at most three times.
attempt=1
while true; do
    started=${EPOCHREALTIME/./}
    setarch "$(uname -m)" -R "$wine" "$@"
    status=$?
    elapsed=$((${EPOCHREALTIME/./} - started))
    if [ $status != 1 ] || [ $elapsed -ge 15000 ] || [ $attempt = 3 ]; then
        exit $status
    fi
    attempt=$((attempt + 1))
done
