#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the fuzz targets and runs each for SECONDS seconds, two at a time.
# Inputs reach 300 KB, and every target has a seed over 64 KiB, so that lines
# cross the readers' read chunks.
# Fails on any crash, leak, timeout or sanitizer report; the input that found
# it is left in build/fuzz/run/artifacts/.
#
#   fuzz/runFuzzers.sh SECONDS [TARGET...]
set -uo pipefail
seconds=${1:?usage: runFuzzers.sh SECONDS [TARGET...]}
shift
cd "$(dirname "$0")/.."
root=$PWD
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=(fuzzObjReader fuzzRdsReader fuzzDxfReader fuzzConversion fuzzTkmParser)
fi

cmake --preset fuzz > /dev/null && cmake --build --preset fuzz > /dev/null || exit 1

work=$root/build/fuzz/run
mkdir -p "$work/artifacts"

# Model files of one kind from the tests and examples, by extension.
modelsWith() {
    find "$root/tests" "$root/examples" -type f -iname "*.$1" 2>/dev/null
}

seedTarget() {
    local target=$1 seeds=$work/seeds/$target
    rm -rf "$seeds"
    mkdir -p "$seeds" "$work/corpus/$target"
    case $target in
        fuzzObjReader) modelsWith obj | xargs -r -I{} cp {} "$seeds/" ;;
        fuzzRdsReader) modelsWith rds | xargs -r -I{} cp {} "$seeds/" ;;
        fuzzDxfReader) modelsWith dxf | xargs -r -I{} cp {} "$seeds/" ;;
        fuzzConversion)
            # The first byte: '0', '1', '2' choose the format alone, '-', '.', '/'
            # the same format with every fit option (see fuzzConversion.cpp).
            local kind prefix label file
            for kind in rds0- obj1. dxf2/; do
                for label in plain fitted; do
                    prefix=${kind:3:1}
                    [ $label = fitted ] && prefix=${kind:4:1}
                    while IFS= read -r file; do
                        { printf '%s' "$prefix"; cat "$file"; } > "$seeds/${kind:3:1}-$label-$(basename "$file")"
                    done < <(modelsWith "${kind:0:3}")
                done
            done ;;
        fuzzTkmParser)
            local file n=0
            while IFS= read -r file; do
                n=$((n + 1))
                cp "$file" "$seeds/$n-$(basename "$file")"
            done < <(find "$root/tests" -type f -name "*.tkm")
            largeBrick > "$seeds/large.tkm" ;;
    esac
}

# A brick file of 512 coloured quads (about 260 KB): inputs well past 64 KiB,
# as large as the readers see.
largeBrick() {
    printf '2 2 5\r\nSPECIALBRICK\r\n\r\n1\r\n\r\n0.000000 0.000000 0.000000\r\n'
    printf '2.000000 2.000000 5.000000\r\nCOVERAGE: //TBNESW \r\n'
    printf '0 : 999\r\n%.0s' 1 2 3 4 5 6
    printf -- '----------------%s quads:\r\n0\r\n' top bottom north east south west
    printf -- '----------------omni quads:\r\n512\r\n'
    local quad
    for quad in $(seq 512); do
        printf '\r\nTEX:SIDE\r\nPOSITION:\r\n'
        printf -- '-1.000000 -1.000000 0.%06d\r\n' 1 2 3 4 | sed "s/0\./$((quad % 3))./"
        printf 'UV COORDS:\r\n0.200000 0.200000\r\n0.200000 0.800000\r\n'
        printf '0.800000 0.800000\r\n0.800000 0.200000\r\nCOLORS:\r\n'
        printf '1.000000 0.501961 0.000000 1.000000\r\n%.0s' 1 2 3 4
        printf 'NORMALS:\r\n'
        printf '0.000000 0.000000 1.000000\r\n%.0s' 1 2 3 4
    done
}

dictionaryOf() {
    case $1 in
        fuzzObjReader) echo "$root/fuzz/obj.dict" ;;
        fuzzRdsReader) echo "$root/fuzz/rds.dict" ;;
        fuzzDxfReader) echo "$root/fuzz/dxf.dict" ;;
        fuzzConversion) echo "$root/fuzz/conversion.dict" ;;
        fuzzTkmParser) echo "$root/tkmPreview/tkm.dict" ;;
    esac
}

runTarget() {
    local target=$1 binary
    binary=$(find "$root/build/fuzz" -type f -name "$target" -perm -u+x | head -1)
    seedTarget "$target"
    "$binary" "$work/corpus/$target" "$work/seeds/$target" \
        -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=307200 \
        -dict="$(dictionaryOf "$target")" -artifact_prefix="$work/artifacts/$target-" \
        -print_final_stats=1 > "$work/$target.log" 2>&1
    local status=$?
    local executions coverage
    executions=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$work/$target.log" | grep -o '[0-9]*$')
    coverage=$(grep -o 'cov: [0-9]*' "$work/$target.log" | tail -1)
    echo "$target: status $status, ${executions:-?} executions, ${coverage:-cov: ?}"
    if [ $status -ne 0 ]; then
        grep -E 'ERROR|SUMMARY|runtime error|Test unit written' "$work/$target.log" | head -20
    fi
    return $status
}

failed=0
pids=()
for target in "${targets[@]}"; do
    runTarget "$target" &
    pids+=($!)
    if [ ${#pids[@]} -eq 2 ]; then
        wait "${pids[0]}" || failed=1
        pids=("${pids[@]:1}")
    fi
done
for pid in "${pids[@]}"; do
    wait "$pid" || failed=1
done
exit $failed
