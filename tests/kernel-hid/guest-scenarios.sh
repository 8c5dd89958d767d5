# Scenarios run inside the test guest (sourced by /init). Each prints its steps
# between markers that the host's e2e.sh reads back:
#   ==== NAME               start of a step's output
#   ==== NAME exit=STATUS   its end and exit status
#   ==== file PATH ... ==== file end   a file's content

step() {
    name=$1; shift
    echo "==== $name"
    "$@"
    echo "==== $name exit=$?"
}

show() {
    echo "==== file $1"
    [ -f "$1" ] && cat "$1"
    echo "==== file end"
}

# The device enumerates a moment after the drivers are loaded.
wait_device() {
    i=0
    while [ ! -e /dev/hidraw0 ] && [ $i -lt 150 ]; do
        sleep 0.1
        i=$((i + 1))
    done
    [ -e /dev/hidraw0 ] || { echo "no /dev/hidraw0 after 15 s"; return 1; }
}

run_scenario() {
    case $1 in
        probe-unplug)
            wait_device || return 1
            step unplug wheel-hid-probe unplug
            ;;
        link-unplug)
            wait_device || return 1
            step link wheel-link-probe 1 2 3
            ;;
        list)
            wait_device
            step list wheelctl list
            ;;
        download)
            wait_device || return 1
            step download wheelctl download /data/wheel-sample.png --slots 1,20 --48 on \
                --transcript /tmp/download.txt
            show /tmp/download.txt
            step calibrate wheelctl calibrate --angle 45 --left --transcript /tmp/calibrate.txt
            show /tmp/calibrate.txt
            ;;
        download-all)
            wait_device || return 1
            step echo wheel-hid-probe echo 160
            step download time -f "wall %e s" wheelctl download /data/wheel-sample.png --48 on \
                --slots 1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20
            ;;
        set)
            wait_device || return 1
            step echo wheel-hid-probe echo 160
            step download time -f "wall %e s" wheelctl download-set /data/set.wheelset
            step slots wheelctl slots
            ;;
        unplug)
            wait_device || return 1
            step download wheelctl download /data/wheel-sample.png --slots 1,2,3 --48 on
            ;;
        replug)
            wait_device || return 1
            # Without udevd no notice ever comes on the "udev" source: this
            # wheelctl learns of the unplug only from its own reads and writes.
            step download env WHEEL_UDEV_SOURCE=udev time -f "wall %e s" \
                wheelctl download /data/wheel-sample.png --slots 1,2,3 --48 on
            sleep 1
            wait_device || return 1
            step again wheelctl download /data/wheel-sample.png --slots 1,2,3 --48 on
            ;;
        silent|wrong-code)
            wait_device || return 1
            step download time -f "wall %e s" wheelctl download /data/wheel-sample.png --slots 1 --48 on
            ;;
        *)
            echo "unknown scenario '$1'"
            return 2
            ;;
    esac
}
