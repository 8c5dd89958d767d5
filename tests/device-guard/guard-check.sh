#!/bin/sh
# The guard of the test suite, against a wheel light that hidapi reports (the
# stand-in FakeWheelHidapi.c, preloaded): wheelctl lists it, but a command
# that would open it stops with a message naming the guard, and nothing was
# opened or written.
#
#   guard-check.sh FAKE_HIDAPI_SO WHEELCTL     (CTest sets WHEEL_NO_REAL_DEVICE)
set -u
shim=$1
wheelctl=$2
if [ -z "${WHEEL_NO_REAL_DEVICE:-}" ]; then
    echo "FAIL: WHEEL_NO_REAL_DEVICE is not set; not running wheelctl without it"
    exit 1
fi
log=$(mktemp)
trap 'rm -f "$log"' EXIT
export WHEEL_FAKE_HIDAPI_LOG="$log"

# The stand-in is in place: otherwise stop before anything could reach a
# real device.
listed=$(LD_PRELOAD="$shim" "$wheelctl" list 2>&1)
case $listed in
    */dev/hidraw-fake-wheel*) ;;
    *) echo "FAIL: the stand-in was not loaded; wheelctl list said: $listed"; exit 1 ;;
esac

out=$(LD_PRELOAD="$shim" "$wheelctl" factory-reset 2>&1)
status=$?
failures=0
if [ $status -lt 128 ]; then
    echo "FAIL: wheelctl factory-reset ended with status $status, expected an abort"
    failures=1
fi
case $out in
    *"WHEEL_NO_REAL_DEVICE is set"*"refusing to open the real HID device /dev/hidraw-fake-wheel"*) ;;
    *) echo "FAIL: no message naming the guard; wheelctl said: $out"; failures=1 ;;
esac
if grep -q '^open\|^write' "$log"; then
    echo "FAIL: the device was reached:"
    cat "$log"
    failures=1
fi
[ $failures -eq 0 ] && echo "the guard stopped wheelctl before it opened the reported wheel light"
exit $failures
