#!/bin/sh
# Builds the fuzz targets (clang, ASan + UBSan) and runs each for a short
# while from its seed corpus. Exits non-zero on the first crash or leak.
#   fuzz/fuzz-short.sh            # about 60 s per target
#   FUZZ_SECONDS=10 fuzz/fuzz-short.sh
set -e
cd "$(dirname "$0")/.."
SECONDS_PER_TARGET=${FUZZ_SECONDS:-60}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "${JOBS:-2}" --target bmp_reader_fuzz
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Findings go to a scratch corpus; the checked-in seeds stay as they are.
cp fuzz/corpus/bmp/* "$work/"
build-fuzz/bin/bmp_reader_fuzz -max_total_time="$SECONDS_PER_TARGET" -max_len=4096 \
    -rss_limit_mb=2048 -artifact_prefix=build-fuzz/ -print_final_stats=1 "$work"
