#!/bin/bash
# The helpers of scripts/check-release that must never pick the wrong thing:
# the mirror it downloads a system from, the folders it would delete, and the
# mounts it undoes first. Nothing here runs as root or touches the machine.
#
#   check-release-lib-test.sh path/to/check-release-lib.sh
set -u
# shellcheck disable=SC1090
. "${1:?usage: check-release-lib-test.sh check-release-lib.sh}"

failed=0
expect() {  # WHAT GOT WANT
    if [ "$2" != "$3" ]; then
        printf 'FAIL %s\n  got:  %s\n  want: %s\n' "$1" "$2" "$3" >&2
        failed=$((failed + 1))
    fi
}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# ---- the mirror: deb822 sources beside sources that are not Debian's ----
apt_etc=$tmp/apt1
os_release=$tmp/os-release-bookworm
mkdir -p "$apt_etc/sources.list.d"
printf 'ID=debian\nVERSION_ID="12"\nVERSION_CODENAME=bookworm\n' > "$os_release"
cat > "$apt_etc/sources.list.d/nodesource.sources" <<'EOF'
Types: deb
URIs: https://deb.nodesource.com/node_20.x
Suites: nodistro
Components: main
EOF
cat > "$apt_etc/sources.list.d/debian.sources" <<'EOF'
Types: deb-src
URIs: http://src.example.org/debian
Suites: bookworm
Components: main

Types: deb
# a comment inside the paragraph
URIs: http://mirror.example.org/debian/
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb
URIs: http://security.example.org/debian-security
Suites: bookworm-security
Components: main
EOF
printf 'deb http://old.example.org/debian bookworm main\n' > "$apt_etc/sources.list.d/old.list.disabled"
expect "deb822 mirror" "$(configured_mirror)" "http://mirror.example.org/debian"
expect "deb822 security mirror" "$(configured_mirror security)" "http://security.example.org/debian-security"

# ---- the mirror: one-line sources with options, comments and deb-src ----
apt_etc=$tmp/apt2
os_release=$tmp/os-release-trixie
mkdir -p "$apt_etc/sources.list.d"
printf 'ID=debian\nVERSION_ID="13"\nVERSION_CODENAME=trixie\n' > "$os_release"
cat > "$apt_etc/sources.list" <<'EOF'
# deb http://commented.example.org/debian trixie main
deb-src http://src.example.org/debian trixie main
deb [arch=amd64 signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] https://mirror.example.org/debian trixie main contrib
deb http://security.example.org/debian-security trixie-security main
EOF
expect "one-line mirror" "$(configured_mirror)" "https://mirror.example.org/debian"
expect "one-line security mirror" "$(configured_mirror security)" "http://security.example.org/debian-security"

# No source for this machine's release: no mirror, and a failure.
printf 'ID=debian\nVERSION_CODENAME=forky\n' > "$os_release"
configured_mirror > /dev/null && expect "no mirror for forky" found none

# ---- the folders it would delete --------------------------------------------
for path in /var/tmp/wheel-check-release/trixie /srv/x/bookworm; do
    check_root_path "$path" 2>/dev/null || expect "accepts $path" refused accepted
done
for path in / "" /var/tmp /var/tmp/wheel-check-release trixie /var/tmp/trixie/home /var/tmp/sid; do
    check_root_path "$path" 2>/dev/null && expect "refuses '$path'" accepted refused
done

# ---- the mounts it undoes: only those inside the system, deepest first --------
mountinfo=$tmp/mountinfo
cat > "$mountinfo" <<'EOF'
22 1 254:0 / / rw,relatime shared:1 - ext4 /dev/vda rw
24 22 0:6 / /dev rw,relatime - devtmpfs devtmpfs rw
40 22 0:30 / /var/tmp/w/trixie/proc rw,relatime - proc proc rw
41 22 0:6 / /var/tmp/w/trixie/dev rw,relatime - devtmpfs devtmpfs rw
42 41 0:24 / /var/tmp/w/trixie/dev/pts rw,relatime - devpts devpts rw
43 22 254:0 /tmp /var/tmp/w/trixie/tmp rw,relatime - ext4 /dev/vda rw
44 22 0:31 / /var/tmp/w/trixie2/proc rw,relatime - proc proc rw
45 22 0:32 / /var/tmp/w/trixie rw,relatime - tmpfs tmpfs rw
EOF
got=$(mounts_under /var/tmp/w/trixie | tr '\n' ' ')
# Deepest first; the order of mounts at one depth does not matter.
case $got in
    "/var/tmp/w/trixie/dev/pts "*" /var/tmp/w/trixie ") ;;
    *) expect "mounts under the system, deepest first" "$got" "/var/tmp/w/trixie/dev/pts ... /var/tmp/w/trixie" ;;
esac
expect "mounts under the system" "$(mounts_under /var/tmp/w/trixie | sort | tr '\n' ' ')" \
    "/var/tmp/w/trixie /var/tmp/w/trixie/dev /var/tmp/w/trixie/dev/pts /var/tmp/w/trixie/proc /var/tmp/w/trixie/tmp "
expect "no mounts under a system without any" "$(mounts_under /var/tmp/w/bookworm)" ""

# ---- the report ----------------------------------------------------------------
logs=$tmp/logs
mkdir -p "$logs"
report_init "$logs/report.txt" "title" > /dev/null
step_begin "make test" "make test" > /dev/null
step_end 0 > /dev/null
step_begin "make package" "make package" > /dev/null
step_end 2 2> /dev/null > /dev/null && expect "a failed step returns its status" 0 2
step_begin "tsan x20" "stopped by a signal" > /dev/null
step_end 130 2> /dev/null > /dev/null
report_total > /dev/null && expect "a run with a failed step fails" ok failed
expect "report lines" "$(sed -n '4,$s/^\(.\{15\}\) \([A-Za-z]*\) .*/\1|\2/p' "$logs/report.txt" | tr -s ' ' | tr '\n' ';')" \
    "make test |ok;make package |FAILED;tsan x20 |stopped;total |FAILED;"

if [ $failed = 0 ]; then
    echo "check-release-lib: all passed"
else
    echo "check-release-lib: $failed failed" >&2
    exit 1
fi
