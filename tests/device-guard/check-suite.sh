#!/bin/sh
# Runs the test suite of a build (every test but the kernel-HID ones) with a
# wheel light that hidapi reports and lets be opened (the stand-in
# FakeWheelHidapi.c, preloaded into every process), and checks that no test
# opened it or wrote to it. A test that tried fails on the guard's abort; one
# that got past the guard would show in the stand-in's log.
#
#   tests/device-guard/check-suite.sh [BUILD_DIR]      (default: build)
#
# Only for a build without sanitizers (they refuse a preloaded library).
set -u
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../../build}" && pwd)
shim=$build/tests/wheel-fake-hidapi.so
if [ ! -f "$shim" ]; then
    echo "no $shim: build the default preset first"
    exit 2
fi
log=$(mktemp)
trap 'rm -f "$log"' EXIT

wrap=""
if command -v xvfb-run >/dev/null 2>&1; then
    wrap='xvfb-run -a -s "-screen 0 1280x1024x24"'
fi
export WHEEL_FAKE_HIDAPI_LOG="$log" LD_PRELOAD="$shim"
eval "$wrap ctest --test-dir \"$build\" -LE e2e -j \"$(nproc)\" --output-on-failure"
status=$?
unset LD_PRELOAD

starts=$(grep -c '^init' "$log")
enumerations=$(grep -c '^enumerate' "$log")
opens=$(grep -c '^open' "$log")
writes=$(grep -c '^write' "$log")
echo "check-suite: hidapi backends started $starts, the reported wheel light enumerated $enumerations times, opened $opens times, written $writes times"
if [ "$starts" -eq 0 ]; then
    echo "check-suite: FAIL: no test process started hidapi through the stand-in; was it loaded?"
    exit 1
fi
if [ "$opens" -ne 0 ] || [ "$writes" -ne 0 ] || [ $status -ne 0 ]; then
    echo "check-suite: FAIL"
    exit 1
fi
echo "check-suite: no test opened or wrote to the wheel light"
