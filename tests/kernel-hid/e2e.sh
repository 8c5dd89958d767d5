#!/bin/bash
# End-to-end tests of the hidapi path through a real Linux USB stack.
#
# A QEMU guest (TCG, no KVM needed) boots Debian's stock kernel straight into
# an initramfs; its xHCI controller carries a usb-redir device whose other end
# is wheel-usb-emulator on the host, a wheel light emulated in user space. The
# guest runs the programs under test against /dev/hidraw0 through the kernel's
# own usbcore, usbhid and hidraw drivers, and writes their output to its
# second serial port; the emulator writes every report it saw and the blocks
# it holds per slot. This script compares both with what they must be.
#
#   e2e.sh can-run     exit 0 when QEMU can run here, else say why (one line)
#   e2e.sh setup       fetch the kernel, build the initramfs (cached)
#   e2e.sh SCENARIO    boot one guest and check its results
#
# Environment (set by CTest): WHEEL_E2E_BUILD (the build tree),
# WHEEL_E2E_EMULATOR, WHEEL_E2E_PROBE, WHEEL_E2E_WHEELCTL, WHEEL_SOURCE_DIR.
# Results of each run stay in BUILD/kernel-hid/runs/SCENARIO/.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source_dir=${WHEEL_SOURCE_DIR:-$(cd "$here/../.." && pwd)}
build=${WHEEL_E2E_BUILD:-$source_dir/build}
emulator=${WHEEL_E2E_EMULATOR:-$build/tests/wheel-usb-emulator}
probe=${WHEEL_E2E_PROBE:-$build/tests/wheel-hid-probe}
wheelctl=${WHEEL_E2E_WHEELCTL:-$build/bin/wheelctl}
cache=$build/kernel-hid
initramfs=$cache/initramfs.cpio
picture=$source_dir/res/samples/wheel-sample.png
qemu=qemu-system-x86_64
# The guest's own bound on one scenario; a run never takes more than this.
guest_timeout=150

# ---- QEMU ------------------------------------------------------------------

can_run() {
    if ! command -v $qemu >/dev/null 2>&1; then
        echo "kernel-hid end-to-end tests SKIPPED: $qemu is not installed (scripts/install-deps installs qemu-system-x86)"
        return 1
    fi
    local out
    if ! out=$(echo quit | timeout 30 $qemu -machine none -accel tcg -nodefaults -no-user-config \
                   -display none -monitor stdio 2>&1); then
        echo "kernel-hid end-to-end tests SKIPPED: $qemu cannot run here: $(echo "$out" | tail -n 1)"
        return 1
    fi
    return 0
}

setup() {
    mkdir -p "$cache"
    if ! can_run; then
        touch "$cache/qemu-unusable"
        exit 77
    fi
    rm -f "$cache/qemu-unusable"
    "$here/fetch-kernel.sh" "$cache" || exit 1
    local programs=("$probe")
    [ -x "$wheelctl" ] && programs+=("$wheelctl")
    "$here/make-initramfs.sh" "$cache" "$initramfs" "${programs[@]}" "$picture" || exit 1
    sed 's/^/kernel-hid: kernel /' "$cache/kernel/VERSION"
}

# run_guest SCENARIO [EMULATOR OPTION...]: boots one guest against a fresh
# emulator. Leaves in $run: result.log (the guest's steps), console.log (the
# kernel; result.txt without the CRs), device.txt (the emulator's transcript), slots/ (its blocks),
# emulator.log, qemu.log, and the wall time of the boot in $wall_ms.
run_guest() {
    local scenario=$1; shift
    run=$cache/runs/$scenario
    rm -rf "$run"
    mkdir -p "$run"
    local sockdir
    sockdir=$(mktemp -d "${TMPDIR:-/tmp}/wheel-e2e.XXXXXX")
    local socket=$sockdir/usbredir

    "$emulator" --socket "$socket" --transcript "$run/device.txt" --slots "$run/slots" \
        --log "$run/emulator.log" --timeout $((guest_timeout + 30)) "$@" 2> "$run/emulator.err" &
    local emulator_pid=$!
    local i=0
    while [ ! -S "$socket" ] && [ $i -lt 100 ] && kill -0 $emulator_pid 2>/dev/null; do
        sleep 0.05
        i=$((i + 1))
    done
    if [ ! -S "$socket" ]; then
        echo "FAIL: the emulator did not start listening:"
        cat "$run/emulator.err"
        kill $emulator_pid 2>/dev/null
        wait $emulator_pid 2>/dev/null
        rm -rf "$sockdir"
        return 1
    fi

    local start end
    start=$(date +%s%N)
    timeout $guest_timeout $qemu -machine pc -accel tcg -m 768 -nodefaults -no-user-config \
        -display none -no-reboot \
        -kernel "$cache/kernel/vmlinux" -initrd "$initramfs" \
        -append "console=ttyS0 ${WHEEL_E2E_KERNEL_ARGS:-quiet} panic=-1 wheel.scenario=$scenario" \
        -serial "file:$run/console.log" -serial "file:$run/result.log" \
        -device qemu-xhci,id=xhci \
        -chardev "socket,id=ur,path=$socket" \
        -device usb-redir,chardev=ur,id=redir,bus=xhci.0 \
        > "$run/qemu.log" 2>&1
    local qemu_status=$?
    end=$(date +%s%N)
    wall_ms=$(( (end - start) / 1000000 ))
    wait $emulator_pid
    local emulator_status=$?
    rm -rf "$sockdir"
    if [ $qemu_status -ne 0 ]; then
        echo "FAIL: QEMU ended with status $qemu_status after ${wall_ms} ms (124: the guest's $guest_timeout s ran out)"
        tail -n 5 "$run/qemu.log" "$run/console.log"
        return 1
    fi
    if [ $emulator_status -ne 0 ]; then
        echo "FAIL: the emulator ended with status $emulator_status:"
        cat "$run/emulator.err"
        return 1
    fi
    # The guest's serial port ends its lines with CR LF.
    tr -d '\r' < "$run/result.log" > "$run/result.txt"
    if ! grep -q '^==== scenario end exit=' "$run/result.txt"; then
        echo "FAIL: the guest did not finish its scenario; its console says:"
        tail -n 20 "$run/console.log"
        return 1
    fi
    return 0
}

# ---- reading the guest's results ------------------------------------------

# The output of step NAME (without its markers).
step_output() {
    awk -v name="$1" '
        $0 == "==== " name { inside = 1; next }
        inside && index($0, "==== " name " exit=") == 1 { exit }
        inside { print }' "$run/result.txt"
}

step_status() {
    sed -n "s/^==== $1 exit=\\([0-9]*\\)\$/\\1/p" "$run/result.txt" | head -n 1
}

# The content of a file that the guest showed.
guest_file() {
    awk -v path="$1" '
        $0 == "==== file " path { inside = 1; next }
        inside && $0 == "==== file end" { exit }
        inside { print }' "$run/result.txt"
}

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

expect_status() {  # STEP STATUS
    local got
    got=$(step_status "$1")
    [ "$got" = "$2" ] || fail "step $1 exited with '${got:-nothing}', expected $2"
}

expect_line() {  # STEP TEXT: the step printed a line containing TEXT
    step_output "$1" | grep -qF -- "$2" || fail "step $1 printed no line with \"$2\""
}

expect_no_line() {
    ! step_output "$1" | grep -qF -- "$2" || fail "step $1 printed \"$2\""
}

# ---- scenarios ----------------------------------------------------------------

scenario_probe_list() {
    run_guest probe-list || return 1
    expect_status list 0
    expect_line list "device 0483:5750 path=/dev/hidraw0"
    expect_line list "found 1"
}

scenario_probe_exchange() {
    run_guest probe-exchange || return 1
    expect_status exchange 0
    expect_line exchange "exchanged 160 reports"
    local outs ins
    outs=$(grep -c '^out ' "$run/device.txt")
    ins=$(grep -c '^in ' "$run/device.txt")
    [ "$outs" = 160 ] && [ "$ins" = 160 ] ||
        fail "the emulator saw $outs output reports and sent $ins answers, expected 160 each"
    step_output exchange | sed -n 's/.*round trip \([0-9.]*\) ms/exchange round trip: \1 ms/p'
}

scenario_probe_echo() {
    run_guest probe-echo --echo || return 1
    expect_status echo 0
    expect_line echo "echoed 160 reports"
    step_output echo | sed -n 's/.*round trip \([0-9.]*\) ms/echo round trip: \1 ms/p'
}

scenario_probe_unplug() {
    run_guest probe-unplug --unplug-after 10 --replug-ms 600 || return 1
    expect_status unplug 0
    expect_line unplug "read after report 10 failed: device gone"
    expect_line unplug "uevent remove /dev/hidraw0"
    expect_line unplug "uevent add /dev/hidraw0"
    expect_line unplug "exchanged 8 reports"
    local lines
    lines=$(grep -c '^out ' "$run/device.txt")
    [ "$lines" = 18 ] || fail "the emulator saw $lines output reports, expected 10 before and 8 after the unplug"
}

# ---- main ---------------------------------------------------------------------------

case ${1:-} in
    can-run)
        can_run
        exit $?
        ;;
    setup)
        setup
        exit 0
        ;;
    "")
        sed -n '12,18p' "$0"
        exit 2
        ;;
esac

if [ -f "$cache/qemu-unusable" ]; then
    exit 77
fi
if [ ! -f "$initramfs" ] || [ ! -f "$cache/kernel/vmlinux" ]; then
    echo "FAIL: no guest yet; run '$0 setup' first (CTest does)"
    exit 1
fi
fn=scenario_$(echo "$1" | tr - _)
if ! declare -F "$fn" >/dev/null; then
    echo "unknown scenario $1"
    exit 2
fi
"$fn" || failures=$((failures + 1))
echo "scenario $1: ${wall_ms:-?} ms wall time, $failures failure(s); results in $run"
[ $failures -eq 0 ]
