#!/bin/bash
# Fetches Debian's stock amd64 kernel package once and keeps what the guest
# needs in the build tree: the uncompressed vmlinux (booted directly through
# its PVH entry point, which skips the BIOS and the decompressor) and the USB
# and HID modules, which Debian builds as modules.
#
#   fetch-kernel.sh CACHE_DIR
#
# The package is not installed, only unpacked. Its name and version are
# recorded in CACHE_DIR/kernel/VERSION; once fetched it is reused as it is,
# so a Debian kernel update does not change the guest under a passing test.
# WHEEL_E2E_KERNEL_PACKAGE=linux-image-X-amd64 picks another package (and
# refetches when it differs from the cached one).
set -euo pipefail

cache=${1:?usage: fetch-kernel.sh CACHE_DIR}
dest=$cache/kernel
modules="usb-common usbcore xhci-hcd xhci-pci hid usbhid hid-generic"

if [ -f "$dest/VERSION" ] && [ -f "$dest/vmlinux" ]; then
    if [ -z "${WHEEL_E2E_KERNEL_PACKAGE:-}" ] ||
       grep -qx "package=${WHEEL_E2E_KERNEL_PACKAGE}" "$dest/VERSION"; then
        exit 0
    fi
fi

package=${WHEEL_E2E_KERNEL_PACKAGE:-}
if [ -z "$package" ]; then
    # The versioned image package that the linux-image-amd64 meta package
    # currently points at.
    package=$(apt-cache depends linux-image-amd64 2>/dev/null |
              sed -n 's/^ *Depends: \(linux-image-[0-9][^ ]*-amd64\)$/\1/p' | head -n 1)
fi
if [ -z "$package" ]; then
    echo "fetch-kernel: cannot find Debian's linux-image-*-amd64 package (apt-cache depends linux-image-amd64)" >&2
    exit 1
fi

mkdir -p "$cache"
work=$(mktemp -d "$cache/fetch.XXXXXX")
trap 'rm -rf "$work"' EXIT
echo "fetch-kernel: downloading $package"
(cd "$work" && apt-get download -qq "$package" 2>&1 | grep -v '^W: Download is performed unsandboxed' >&2) || true
deb=$(ls "$work"/"$package"_*.deb 2>/dev/null | head -n 1)
if [ -z "$deb" ]; then
    echo "fetch-kernel: apt-get download $package failed" >&2
    exit 1
fi
version=$(dpkg-deb -f "$deb" Version)
dpkg -x "$deb" "$work/root"

release=${package#linux-image-}
vmlinuz=$work/root/boot/vmlinuz-$release

# The kernel's own extract-vmlinux method: find the start of the compressed
# payload by its magic bytes and decompress from there; trailing data makes
# the decompressor complain, so the result is judged by readelf alone.
extract() {  # MAGIC_AS_PCRE TOOL...
    local magic=$1; shift
    local offsets
    offsets=$(LC_ALL=C grep -aboP "$magic" "$vmlinuz" | cut -d: -f1) || return 1
    for off in $offsets; do
        tail -c +$((off + 1)) "$vmlinuz" | "$@" > "$work/vmlinux" 2>/dev/null || true
        if readelf -h "$work/vmlinux" >/dev/null 2>&1; then
            return 0
        fi
    done
    return 1
}
extract '\xfd7zXZ\x00' xz -dc ||
    extract '\x28\xb5\x2f\xfd' zstd -dc ||
    extract '\x1f\x8b\x08' gzip -dc ||
    { echo "fetch-kernel: cannot extract vmlinux from $vmlinuz" >&2; exit 1; }

if ! readelf -n "$work/vmlinux" | grep -q 'Xen'; then
    echo "fetch-kernel: $package has no PVH entry note; cannot boot it directly" >&2
    exit 1
fi

rm -rf "$dest"
mkdir -p "$dest/modules"
mv "$work/vmlinux" "$dest/vmlinux"
cp "$work/root/boot/config-$release" "$dest/config"
# Debian 12's kernel packages keep their modules in /lib/modules, Debian 13's
# (merged /usr) in /usr/lib/modules.
moddir=""
for d in "$work/root/usr/lib/modules/$release" "$work/root/lib/modules/$release"; do
    if [ -d "$d" ]; then
        moddir=$d
        break
    fi
done
if [ -z "$moddir" ]; then
    echo "fetch-kernel: $package has no modules in /usr/lib/modules/$release or /lib/modules/$release" >&2
    exit 1
fi
for m in $modules; do
    f=$(find "$moddir" -name "$m.ko*" | head -n 1)
    if [ -z "$f" ]; then
        echo "fetch-kernel: module $m missing from $package" >&2
        exit 1
    fi
    case $f in
        *.ko.xz) xz -dc "$f" > "$dest/modules/$m.ko" ;;
        *.ko.zst) zstd -qdc "$f" > "$dest/modules/$m.ko" ;;
        *) cp "$f" "$dest/modules/$m.ko" ;;
    esac
done
printf 'package=%s\nversion=%s\nrelease=%s\n' "$package" "$version" "$release" > "$dest/VERSION"
echo "fetch-kernel: cached $package $version in $dest"
