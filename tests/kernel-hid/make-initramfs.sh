#!/bin/bash
# Builds the guest's initramfs: busybox-static, the stock kernel's USB and HID
# modules, the guest init and its scenarios, and the programs under test with
# every library that ldd lists for them. The result is an uncompressed newc
# cpio (the kernel unpacks it faster than it would inflate a compressed one)
# and is rebuilt only when one of its inputs changed.
#
#   make-initramfs.sh CACHE_DIR OUTPUT FILE...
#
# Executable FILEs go to /bin with their libraries, the others to /data.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
cache=${1:?usage: make-initramfs.sh CACHE_DIR OUTPUT PROGRAM...}
output=${2:?usage: make-initramfs.sh CACHE_DIR OUTPUT PROGRAM...}
shift 2
programs=()
data=()
for f in "$@"; do
    if [ -x "$f" ]; then programs+=("$f"); else data+=("$f"); fi
done
modules=$cache/kernel/modules
busybox=/bin/busybox
if [ ! -x "$busybox" ] || ldd "$busybox" >/dev/null 2>&1; then
    echo "make-initramfs: a static /bin/busybox is needed (Debian package busybox-static)" >&2
    exit 1
fi

libraries() {
    ldd "$@" | awk '/=> \// { print $3 } /^\t\/[^ ]+ \(0x/ { print $1 }' | sort -u
}

# Everything that goes in, by content: rebuild only when it changed.
stamp=$( (sha256sum "$0" "$busybox" "$modules"/*.ko "$here/guest-init.sh" "$here/guest-scenarios.sh" "${programs[@]}" "${data[@]}";
          for lib in $(libraries "${programs[@]}"); do sha256sum "$(readlink -f "$lib")"; done) | sha256sum | cut -d' ' -f1)
if [ -f "$output" ] && [ -f "$output.stamp" ] && [ "$(cat "$output.stamp")" = "$stamp" ]; then
    exit 0
fi

stage=$(mktemp -d "$cache/initramfs.XXXXXX")
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage"/{bin,sbin,proc,sys,dev,tmp,run,etc,data,lib/wheel-modules}
cp "$busybox" "$stage/bin/busybox"
for applet in $("$busybox" --list); do
    [ "$applet" = busybox ] || ln -sf busybox "$stage/bin/$applet"
done
cp "$modules"/*.ko "$stage/lib/wheel-modules/"
cp "$here/guest-init.sh" "$stage/init"
cp "$here/guest-scenarios.sh" "$stage/scenarios.sh"
chmod 755 "$stage/init"
cp "${programs[@]}" "$stage/bin/"
[ ${#data[@]} -eq 0 ] || cp "${data[@]}" "$stage/data/"

# Each library goes where ldd found it; the loader there has no ld.so.cache,
# so the directories go into LD_LIBRARY_PATH.
dirs=""
for lib in $(libraries "${programs[@]}"); do
    mkdir -p "$stage$(dirname "$lib")"
    cp -L "$lib" "$stage$lib"
    case ":$dirs:" in *":$(dirname "$lib"):"*) ;; *) dirs="$dirs${dirs:+:}$(dirname "$lib")" ;; esac
done
echo "export LD_LIBRARY_PATH=$dirs" > "$stage/etc/wheel-env"

(cd "$stage" && find . -mindepth 1 | LC_ALL=C sort | cpio -o -H newc -R 0:0 --quiet) > "$output.tmp"
mv "$output.tmp" "$output"
echo "$stamp" > "$output.stamp"
echo "make-initramfs: $(du -h "$output" | cut -f1) with ${programs[*]##*/}"
