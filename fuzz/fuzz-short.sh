#!/bin/sh
# Builds the fuzz targets (clang, ASan + UBSan) and runs each for a short
# while from its seed corpus. Exits non-zero on the first crash or leak.
#   fuzz/fuzz-short.sh            # about 60 s per target
#   FUZZ_SECONDS=10 fuzz/fuzz-short.sh
set -e
cd "$(dirname "$0")/.."
SECONDS_PER_TARGET=${FUZZ_SECONDS:-60}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "${JOBS:-2}" --target bmp_reader_fuzz picture_decode_fuzz set_file_fuzz
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Findings go to a scratch corpus; the checked-in seeds stay as they are.
for pair in bmp_reader:bmp picture_decode:picture set_file:set; do
    target=${pair%:*} corpus=${pair#*:}
    mkdir -p "$work/$corpus"
    cp fuzz/corpus/$corpus/* "$work/$corpus/"
    build-fuzz/bin/${target}_fuzz -max_total_time="$SECONDS_PER_TARGET" -max_len=4096 \
        -rss_limit_mb=2048 -artifact_prefix=build-fuzz/ -print_final_stats=1 "$work/$corpus"
done
