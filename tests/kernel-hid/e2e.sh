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
# WHEEL_E2E_EMULATOR, WHEEL_E2E_PROBE, WHEEL_E2E_LINK_PROBE, WHEEL_E2E_WHEELCTL,
# WHEEL_SOURCE_DIR.
# WHEEL_E2E_EMULATOR_EXTRA adds emulator options to every run (for checking by
# hand that a scenario fails when the device misbehaves, e.g. "--wrong-code 55").
# Results of each run stay in BUILD/kernel-hid/runs/SCENARIO/.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source_dir=${WHEEL_SOURCE_DIR:-$(cd "$here/../.." && pwd)}
build=${WHEEL_E2E_BUILD:-$source_dir/build}
emulator=${WHEEL_E2E_EMULATOR:-$build/tests/wheel-usb-emulator}
probe=${WHEEL_E2E_PROBE:-$build/tests/wheel-hid-probe}
link_probe=${WHEEL_E2E_LINK_PROBE:-$build/tests/wheel-link-probe}
wheelctl=${WHEEL_E2E_WHEELCTL:-$build/bin/wheelctl}
cache=$build/kernel-hid
# The host's wheelctl keeps its record of the (simulated) wheel light's slots
# here, never in the user's data folder.
export XDG_DATA_HOME=$cache/data-home
initramfs=$cache/initramfs.cpio
picture=$source_dir/res/samples/wheel-sample.png
set_dir=$cache/set
qemu=${WHEEL_E2E_QEMU:-qemu-system-x86_64}
# The guest's own bound on one scenario; a run never takes more than this.
guest_timeout=150

# ---- QEMU ------------------------------------------------------------------

can_run() {
    if ! command -v $qemu >/dev/null 2>&1; then
        echo "kernel-hid end-to-end tests SKIPPED: $qemu is not installed (scripts/install-deps installs qemu-system-x86)"
        return 1
    fi
    local out status
    out=$(echo quit | timeout 30 $qemu -machine none -accel tcg -nodefaults -no-user-config \
              -display none -monitor stdio 2>&1)
    status=$?
    if [ $status -ne 0 ]; then
        out=$(echo "$out" | grep -v '^(qemu)\|^QEMU .*monitor' | tail -n 1)
        echo "kernel-hid end-to-end tests SKIPPED: $qemu cannot run here: ${out:-exit status $status}"
        return 1
    fi
    return 0
}

# The set scenario's pictures: the sample turned by 18 more degrees for each
# box, p01.png to p20.png, and set.wheelset, which gives every box but the
# first of each five adjustments of its own (box_adjustments).
box_adjustments() {  # BOX: prints "wheelctl options|set file fields"
    case $(($1 % 5)) in
        1) echo '|' ;;
        2) echo '--rotate 90|, "rotate": 90' ;;
        3) echo '--invert|, "invert": true' ;;
        4) echo '--threshold 100 --fit fit|, "threshold": 100, "fit": "fit"' ;;
        0) echo '--rotate 270 --fit crop|, "rotate": 270, "fit": "crop"' ;;
    esac
}

make_set() {
    mkdir -p "$set_dir"
    local box name fields entries=""
    for box in $(seq 1 20); do
        name=$(printf 'p%02d.png' "$box")
        # Made once: the initramfs is rebuilt whenever its files change.
        if [ ! -f "$set_dir/$name" ]; then
            convert "$picture" -background white -virtual-pixel background -distort SRT $(((box - 1) * 18)) \
                -alpha remove -colorspace gray -depth 8 -define png:exclude-chunks=date,time "$set_dir/$name" ||
                return 1
        fi
        fields=$(box_adjustments "$box" | cut -d'|' -f2)
        entries="$entries${entries:+,}
    { \"box\": $box, \"picture\": \"$name\"$fields }"
    done
    printf '{\n  "format": "wheel-set",\n  "version": 1,\n  "mode48": true,\n  "slots": [%s\n  ]\n}\n' \
        "$entries" > "$set_dir/set.wheelset"
}

setup() {
    mkdir -p "$cache"
    if ! can_run; then
        touch "$cache/qemu-unusable"
        exit 77
    fi
    rm -f "$cache/qemu-unusable"
    "$here/fetch-kernel.sh" "$cache" || exit 1
    local programs=("$probe" "$link_probe")
    [ -x "$wheelctl" ] && programs+=("$wheelctl")
    make_set || exit 1
    "$here/make-initramfs.sh" "$cache" "$initramfs" "${programs[@]}" "$picture" "$set_dir"/* || exit 1
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

    "$emulator" --socket "$socket" --transcript "$run/device.txt" --times "$run/device-times.txt" --slots "$run/slots" \
        --log "$run/emulator.log" --timeout $((guest_timeout + 30)) "$@" ${WHEEL_E2E_EMULATOR_EXTRA:-} \
        2> "$run/emulator.err" &
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

# The editor's protocol, link and hot-plug monitor as the window wires them
# (the monitor on the "kernel" source): a three-picture download loses the
# device after its 10th report, fails with "下载失败，USB被拔出!", and the
# device's return is logged.
scenario_link_unplug() {
    run_guest link-unplug --unplug-after 10 --replug-ms 600 || return 1
    expect_status link 0
    expect_line link "hot-plug source: libudev (kernel)"
    expect_line link "下载进度:33%"
    expect_no_line link "下载进度:66%"
    expect_no_line link "下载成功！"
    expect_line link "removed=1 back=1"
    # the lines the user reads, in order
    local lines
    lines=$(step_output link | grep -E '设备被拔出|关闭设备|下载失败，USB被拔出!|设备已连接' | tr '\n' '|')
    [ "$lines" = "设备被拔出|关闭设备|[驰光--自行车风火轮编辑软件V2.0] 下载失败，USB被拔出!|设备已连接|" ] ||
        fail "the link's lines: $lines"
    local outs ins
    outs=$(grep -c '^out ' "$run/device.txt")
    ins=$(grep -c '^in ' "$run/device.txt")
    [ "$outs" = 10 ] && [ "$ins" = 9 ] || fail "the device saw $outs reports and answered $ins, expected 10 and 9"
}

# ---- what the device must have seen -----------------------------------------

# The transcript lines of one block sent to SLOT: eight reports of 62 bytes
# each, answered seven times with 0xAA and then 0x44.
expected_block_lines() {  # SLOT BLOCK_FILE
    local slot=$1 chunk=0 data
    local zeros  # the 63 bytes after the answer code
    zeros=$(printf ' 00%.0s' $(seq 63))
    while IFS= read -r data; do
        printf 'out 00 %02x %02x%s\n' "$slot" "$chunk" "$data"
        if [ $chunk -lt 7 ]; then
            printf 'in 00 aa%s\n' "$zeros"
        else
            printf 'in 00 44%s\n' "$zeros"
        fi
        chunk=$((chunk + 1))
    done < <(od -An -v -tx1 -w62 "$2")
}

# BLOCK_FILE with byte 493 set to 0xBB: the last picture of a download.
last_picture_block() {  # BLOCK_FILE OUTPUT
    { head -c 493 "$1"; printf '\273'; tail -c +495 "$1"; } > "$2"
}

# compare_files EXPECTED ACTUAL WHAT: equal, or a failure showing the first
# difference.
compare_files() {
    if ! cmp -s "$1" "$2"; then
        fail "$3: not as expected ($1 vs $2):"
        diff "$1" "$2" | head -n 6 | cut -c1-120
    fi
}

# The picture's 496-byte block as the host converts it (48-picture mode on).
host_block() {  # OUTPUT
    "$wheelctl" convert "$picture" --block "$1" --48 on >/dev/null ||
        fail "wheelctl convert on the host failed"
}

# ---- scenarios with wheelctl ---------------------------------------------------

# Skips the scenario (CTest status 77) while wheelctl lacks a command it uses.
needs_command() {
    if ! "$wheelctl" "$1" --help >/dev/null 2>&1; then
        echo "SKIPPED: wheelctl has no '$1' command"
        exit 77
    fi
}

scenario_list() {
    run_guest list || return 1
    expect_status list 0
    step_output list | grep -q $'^/dev/hidraw0\t0483:5750' ||
        fail "wheelctl list did not list /dev/hidraw0 0483:5750: $(step_output list)"
}

# A download into "第1幅" and "第20幅", then a calibration by 45 degrees to the
# left: every report on the device's side as computed from the picture's block
# and as wheelctl's simulation sends it on the host; the guest's own transcript
# equals the device's; the device holds the right block in each slot.
scenario_download() {
    needs_command download
    needs_command calibrate
    run_guest download || return 1
    expect_status download 0
    expect_line download "下载成功！"
    expect_line download "图片下载完成!"
    expect_status calibrate 0
    expect_line calibrate "风火轮位置校准成功!"

    local dir=$run/expected
    mkdir -p "$dir"
    host_block "$dir/block.bin"
    last_picture_block "$dir/block.bin" "$dir/block-last.bin"
    { expected_block_lines 1 "$dir/block.bin"; expected_block_lines 0 "$dir/block-last.bin"; } > "$dir/download.txt"
    head -n 32 "$run/device.txt" > "$run/device-download.txt"
    tail -n +33 "$run/device.txt" > "$run/device-calibrate.txt"
    compare_files "$dir/download.txt" "$run/device-download.txt" "the download's reports (computed vs device)"
    guest_file /tmp/download.txt > "$run/guest-download.txt"
    compare_files "$run/device-download.txt" "$run/guest-download.txt" "the download's reports (device vs guest wheelctl)"

    # The same commands on the host through the simulated wheel light.
    "$wheelctl" --simulate download "$picture" --slots 1,20 --48 on --transcript "$dir/host-download.txt" \
        > "$dir/host-download.out" 2>&1 || fail "wheelctl --simulate download failed on the host"
    "$wheelctl" --simulate calibrate --angle 45 --left --transcript "$dir/host-calibrate.txt" \
        > "$dir/host-calibrate.out" 2>&1 || fail "wheelctl --simulate calibrate failed on the host"
    compare_files <(grep '^out ' "$dir/host-download.txt") <(grep '^out ' "$run/device-download.txt") \
        "the download's output reports (host simulation vs device)"
    compare_files <(grep '^out ' "$dir/host-calibrate.txt") <(grep '^out ' "$run/device-calibrate.txt") \
        "the calibration's output reports (host simulation vs device)"

    # The calibration block: no picture, marker 0xCC, left (0), 45 x 0.6 = 27
    # steps; byte 492 (the 48-picture mode) as the host simulation sends it.
    local mode
    mode=$(grep '^out ' "$dir/host-calibrate.txt" | sed -n '8p' | cut -d' ' -f63)
    { head -c 492 /dev/zero; printf "\\x${mode:-00}\\xcc\\x00\\x1b"; } > "$dir/calibration.bin"
    expected_block_lines 0 "$dir/calibration.bin" > "$dir/calibrate.txt"
    compare_files "$dir/calibrate.txt" "$run/device-calibrate.txt" "the calibration's reports (computed vs device)"
    guest_file /tmp/calibrate.txt > "$run/guest-calibrate.txt"
    compare_files "$run/device-calibrate.txt" "$run/guest-calibrate.txt" "the calibration's reports (device vs guest wheelctl)"

    compare_files "$dir/block.bin" "$run/slots/slot-1.bin" "slot 1 (第1幅)"
    compare_files "$dir/block-last.bin" "$run/slots/slot-0.bin" "slot 0 (第20幅)"
    compare_files "$dir/calibration.bin" "$run/slots/calibration.bin" "the calibration block"
    local held
    held=$(cd "$run/slots" 2>/dev/null && ls slot-*.bin | tr '\n' ' ')
    [ "$held" = "slot-0.bin slot-1.bin " ] || fail "the device holds blocks in: $held"
}

# All twenty slots, right after the probe's 160 echoes through the same path
# (to a slot that no download uses): the download's time against 160 echo
# round trips measured in the same guest.
scenario_download_all() {
    needs_command download
    run_guest download-all --echo-slot ee || return 1
    expect_status echo 0
    expect_line echo "echoed 160 reports"
    expect_status download 0
    expect_line download "下载成功！"

    local dir=$run/expected
    mkdir -p "$dir"
    host_block "$dir/block.bin"
    last_picture_block "$dir/block.bin" "$dir/block-last.bin"
    local slot
    for slot in $(seq 1 19); do
        expected_block_lines $slot "$dir/block.bin"
    done > "$dir/download.txt"
    expected_block_lines 0 "$dir/block-last.bin" >> "$dir/download.txt"
    tail -n 320 "$run/device.txt" > "$run/device-download.txt"
    compare_files "$dir/download.txt" "$run/device-download.txt" "the 20-slot download's reports (computed vs device)"
    for slot in $(seq 1 19); do
        compare_files "$dir/block.bin" "$run/slots/slot-$slot.bin" "slot $slot"
    done
    compare_files "$dir/block-last.bin" "$run/slots/slot-0.bin" "slot 0 (第20幅)"

    local held
    held=$(ls "$run/slots" | wc -l)
    [ "$held" = 20 ] || fail "the device holds $held blocks, expected 20"

    # Timing: the probe's mean echo round trip, and the download from its first
    # report to its last answer as the device saw them plus one round trip
    # (the first report's way in and the last answer's way out).
    local rtt span
    rtt=$(step_output echo | sed -n 's/.*round trip \([0-9.]*\) ms/\1/p')
    span=$(tail -n 320 "$run/device-times.txt" | awk 'NR == 1 { a = $1 } END { printf "%.1f", ($1 - a) * 1000 }')
    awk -v rtt="$rtt" -v span="$span" -v wall="$(step_output download | sed -n 's/^wall \(.*\) s$/\1/p')" 'BEGIN {
        download = span + rtt
        printf "performance: echo round trip %.3f ms; 20-slot download %.1f ms (device span %.1f ms + one round trip); 160 x round trip %.1f ms; ratio %.3f (goal <= 1.1); wheelctl start to end %s s\n",
            rtt, download, span, 160 * rtt, download / (160 * rtt), wall }' | tee "$run/performance.txt"
}

# A set of twenty different pictures, each with its adjustments, in one
# download through the kernel, right after the probe's 160 echoes: every
# report and every slot's block as the host converts each picture, the
# record the guest's wheelctl keeps, and the download's time against 160
# echo round trips.
scenario_set() {
    needs_command download-set
    run_guest set --echo-slot ee || return 1
    expect_status echo 0
    expect_line echo "echoed 160 reports"
    expect_status download 0
    expect_line download "下载进度:5%"
    expect_line download "下载成功！"

    local dir=$run/expected box slot name
    mkdir -p "$dir"
    : > "$dir/download.txt"
    for box in $(seq 1 20); do
        name=$(printf 'p%02d.png' "$box")
        slot=$((box % 20))
        # shellcheck disable=SC2046
        "$wheelctl" convert "$set_dir/$name" --block "$dir/$name.bin" --48 on \
            $(box_adjustments "$box" | cut -d'|' -f1) >/dev/null || fail "wheelctl convert $name failed on the host"
        [ "$box" = 20 ] && last_picture_block "$dir/$name.bin" "$dir/$name.last.bin" && mv "$dir/$name.last.bin" "$dir/$name.bin"
        expected_block_lines $slot "$dir/$name.bin" >> "$dir/download.txt"
        compare_files "$dir/$name.bin" "$run/slots/slot-$slot.bin" "box $box (slot $slot)"
    done
    [ "$(md5sum "$dir"/p*.bin | cut -d' ' -f1 | sort -u | wc -l)" = 20 ] || fail "the twenty blocks are not all different"
    tail -n 320 "$run/device.txt" > "$run/device-download.txt"
    compare_files "$dir/download.txt" "$run/device-download.txt" "the set's reports (computed vs device)"
    local held
    held=$(ls "$run/slots" | wc -l)
    [ "$held" = 20 ] || fail "the device holds $held blocks, expected 20"

    expect_status slots 0
    local lines
    lines=$(step_output slots | cut -f1-3 | tr '\t\n' ' |')
    [ "$lines" = "$(for box in $(seq 1 20); do printf '%d %d p%02d.png|' "$box" $((box % 20)) "$box"; done)" ] ||
        fail "the record in the guest: $lines"

    local rtt span
    rtt=$(step_output echo | sed -n 's/.*round trip \([0-9.]*\) ms/\1/p')
    span=$(tail -n 320 "$run/device-times.txt" | awk 'NR == 1 { a = $1 } END { printf "%.1f", ($1 - a) * 1000 }')
    awk -v rtt="$rtt" -v span="$span" -v wall="$(step_output download | sed -n 's/^wall \(.*\) s$/\1/p')" 'BEGIN {
        download = span + rtt
        printf "performance: echo round trip %.3f ms; 20-picture set download %.1f ms (device span %.1f ms + one round trip); 160 x round trip %.1f ms; ratio %.3f (goal <= 1.1); wheelctl start to end (twenty pictures loaded) %s s\n",
            rtt, download, span, 160 * rtt, download / (160 * rtt), wall }' | tee "$run/performance.txt"
}

# Pulled out after the 10th report of a three-picture download.
scenario_unplug() {
    needs_command download
    run_guest unplug --unplug-after 10 --replug-ms 600 || return 1
    local status
    status=$(step_status download)
    [ -n "$status" ] && [ "$status" != 0 ] || fail "the download ended with status '${status}', expected a failure"
    expect_line download "设备被拔出"
    expect_line download "关闭设备"
    expect_line download "下载失败，USB被拔出!"
    expect_no_line download "下载成功！"
    # wheelctl ends with its download; the device's return is the link-unplug
    # scenario's to see.
    local outs ins
    outs=$(grep -c '^out ' "$run/device.txt")
    ins=$(grep -c '^in ' "$run/device.txt")
    [ "$outs" = 10 ] && [ "$ins" = 9 ] || fail "the device saw $outs reports and answered $ins, expected 10 and 9"
}

# Pulled out after the 10th report of a three-picture download and back 100 ms
# later, while wheelctl hears no notice of either (it listens to the "udev"
# source, which no udevd feeds in the guest): the download ends at once, as an
# unplug ends it, and a second download connects afresh and fills the slots.
scenario_replug() {
    needs_command download
    run_guest replug --unplug-after 10 --replug-ms 100 || return 1
    local status lines
    status=$(step_status download)
    [ -n "$status" ] && [ "$status" != 0 ] || fail "the first download ended with status '${status}', expected a failure"
    lines=$(step_output download | grep -E '设备被拔出|关闭设备|USB被拔出|没有应答|下载成功' | tr '\n' '|')
    [ "$lines" = "设备被拔出|关闭设备|[驰光--自行车风火轮编辑软件V2.0] 下载失败，USB被拔出!|" ] ||
        fail "the first download's lines: $lines"
    echo "replug: the first download ended after $(step_output download | sed -n 's/^wall \(.*\) s$/\1/p') s (wheelctl's start included)"

    expect_status again 0
    lines=$(step_output again | grep -E '尝试连接风火轮|风火轮已经找到|下载成功！' | tr '\n' '|')
    [ "$lines" = "尝试连接风火轮|风火轮已经找到|下载成功！|" ] || fail "the second download's lines: $lines"

    local dir=$run/expected
    mkdir -p "$dir"
    host_block "$dir/block.bin"
    last_picture_block "$dir/block.bin" "$dir/block-last.bin"
    { expected_block_lines 1 "$dir/block.bin"; expected_block_lines 2 "$dir/block.bin";
      expected_block_lines 3 "$dir/block-last.bin"; } > "$dir/again.txt"
    tail -n 48 "$run/device.txt" > "$run/device-again.txt"
    compare_files "$dir/again.txt" "$run/device-again.txt" "the second download's reports (computed vs device)"
    local outs
    outs=$(grep -c '^out ' "$run/device.txt")
    [ "$outs" = 34 ] || fail "the device saw $outs reports, expected 10 before the unplug and 24 after"
    compare_files "$dir/block.bin" "$run/slots/slot-1.bin" "slot 1"
    compare_files "$dir/block.bin" "$run/slots/slot-2.bin" "slot 2"
    compare_files "$dir/block-last.bin" "$run/slots/slot-3.bin" "slot 3"
}

# A device that takes reports and never answers, and one that answers with an
# unknown code: either way the download gives up after its 5-second bound.
check_stalled_download() {
    local status wall
    status=$(step_status download)
    [ -n "$status" ] && [ "$status" != 0 ] || fail "the download ended with status '${status}', expected a failure"
    expect_no_line download "下载成功！"
    wall=$(step_output download | sed -n 's/^wall \(.*\) s$/\1/p')
    awk -v w="${wall:-0}" 'BEGIN { exit !(w >= 5.0 && w < 60.0) }' ||
        fail "the stalled download took ${wall:-?} s, expected the 5-second bound"
    local outs
    outs=$(grep -c '^out ' "$run/device.txt")
    [ "$outs" = 1 ] || fail "the device saw $outs reports, expected 1"
}

scenario_silent() {
    needs_command download
    run_guest silent --silent || return 1
    check_stalled_download
    [ "$(grep -c '^in ' "$run/device.txt")" = 0 ] || fail "the silent device answered"
}

scenario_wrong_code() {
    needs_command download
    run_guest wrong-code --wrong-code 55 || return 1
    check_stalled_download
    grep -q '^in 00 55' "$run/device.txt" || fail "the device did not answer with 0x55"
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
