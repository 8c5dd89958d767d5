#!/bin/sh
# The test guest's init: mounts the kernel's file systems, loads the USB and
# HID drivers, runs the scenario named on the kernel command line
# (wheel.scenario=NAME, see scenarios.sh) and powers off. There is no udevd:
# devtmpfs creates /dev/hidraw*, libudev enumerates straight from sysfs, and a
# hot-plug monitor has to listen to the "kernel" source.
#
# The scenario's output goes to the second serial port, the kernel's messages
# to the first, so the host reads the results without the kernel's noise.
export PATH=/bin
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
mount -t tmpfs tmpfs /tmp
. /etc/wheel-env
export LANG=C.UTF-8 HOME=/tmp WHEEL_UDEV_SOURCE=kernel

for m in usb-common usbcore xhci-hcd xhci-pci hid usbhid hid-generic; do
    insmod /lib/wheel-modules/$m.ko || echo "init: insmod $m failed" > /dev/ttyS0
done

scenario=$(sed -n 's/.*wheel\.scenario=\([^ ]*\).*/\1/p' /proc/cmdline)
. /scenarios.sh
{
    echo "==== scenario $scenario"
    run_scenario "$scenario"
    echo "==== scenario end exit=$?"
} > /dev/ttyS1 2>&1
sync
poweroff -f
