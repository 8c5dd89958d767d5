# The parts of scripts/check-release: the report, the host's tools and mirror,
# the system's set-up, mounts and removal, commands as the system's user, and
# the X display. Sourced by check-release, which sets root, logs, user, home,
# clone, only, remove.
# shellcheck shell=bash disable=SC2154,SC2034

# ---- the report ------------------------------------------------------------------

report_file=""
step_open=0
step_count=0
failures=0
started=$(date +%s)

report_init() {  # FILE TITLE
    report_file=$1
    printf '%s\n\n%-15s %-7s %8s  %s\n' "$2" step result time what > "$report_file"
}

minutes() { printf '%d:%02d' $(($1 / 60)) $(($1 % 60)); }

step_begin() {  # NAME DESCRIPTION
    step_count=$((step_count + 1))
    step_name=$1
    step_what=$2
    step_log=$logs/$(printf '%02d' $step_count)-${1// /-}.log
    step_start=$(date +%s)
    step_open=1
    echo "check-release: [$step_count] $step_what ($(date +%H:%M:%S))"
}

step_end() {  # STATUS; returns it
    local status=$1 took result=ok
    step_open=0
    took=$(($(date +%s) - step_start))
    if [ "$status" != 0 ]; then
        result=FAILED
        [ "$status" = 130 ] && result=stopped
        failures=$((failures + 1))
        echo "check-release: [$step_count] $result after $(minutes $took); the end of $step_log:" >&2
        tail -n 40 "$step_log" | sed 's/^/    /' >&2
    else
        echo "check-release: [$step_count] ok, $(minutes $took)"
    fi
    printf '%-15s %-7s %8s  %s\n' "$step_name" $result "$(minutes $took)" "$step_what" >> "$report_file"
    return "$status"
}

report_total() {
    printf '%-15s %-7s %8s\n' total "$([ $failures = 0 ] && echo ok || echo FAILED)" \
        "$(minutes $(($(date +%s) - started)))" >> "$report_file"
    echo
    cat "$report_file"
    [ $failures = 0 ]
}

wanted() { [[ ,$only, == *,$1,* ]]; }

# ---- the host ---------------------------------------------------------------------

# Where the machine's facts are read (tests point these elsewhere).
apt_etc=/etc/apt
os_release=/etc/os-release
mountinfo=/proc/self/mountinfo

host_tools() {  # COMMAND:PACKAGE...: installs the packages of the commands missing here
    local missing="" pair
    for pair in "$@"; do
        command -v "${pair%%:*}" >/dev/null 2>&1 || missing="$missing ${pair#*:}"
    done
    [ -z "$missing" ] && return 0
    echo "check-release: installing on this machine:$missing"
    env DEBIAN_FRONTEND=noninteractive apt-get update -qq || return 1
    # shellcheck disable=SC2086
    env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing >/dev/null
}

# The URI that apt here uses for this machine's release (or, with "security",
# for its security updates), from deb822 .sources files and one-line .list files.
configured_mirror() {  # [security]
    local codename suite uri
    # shellcheck disable=SC1090
    codename=$(. "$os_release" 2>/dev/null && echo "${VERSION_CODENAME:-}")
    [ -n "$codename" ] || return 1
    suite=$codename
    [ "${1:-}" = security ] && suite=$codename-security
    uri=$(
        for f in "$apt_etc"/sources.list.d/*.sources; do
            [ -f "$f" ] || continue
            # One paragraph per source; print its URIs when its suites hold ours.
            awk -v want="$suite" '
                function flush() { if (types ~ /(^| )deb( |$)/ && (" " suites " ") ~ (" " want " ")) print uris; types = uris = suites = "" }
                /^[ \t]*$/ { flush(); next }
                /^[Tt]ypes:/ { sub(/^[^:]*:[ \t]*/, ""); types = $0 }
                /^URIs:/ { sub(/^[^:]*:[ \t]*/, ""); uris = $0 }
                /^Suites:/ { sub(/^[^:]*:[ \t]*/, ""); suites = $0 }
                END { flush() }' "$f"
        done
        for f in "$apt_etc"/sources.list "$apt_etc"/sources.list.d/*.list; do
            [ -f "$f" ] || continue
            sed -e 's/#.*//' -e 's/\[[^]]*\]//' "$f" | awk -v want="$suite" '$1 == "deb" && $3 == want { print $2 }'
        done | cat
    )
    uri=$(echo "$uri" | tr ' ' '\n' | grep -m 1 -E '^(https?|file)://')
    [ -n "$uri" ] && echo "${uri%/}"
}

# ---- the system ----------------------------------------------------------------------

check_root_path() {  # ROOT: refuses anything but a folder of ours
    case $1 in
        /*/bookworm|/*/trixie) return 0 ;;
    esac
    echo "check-release: refusing to touch $1" >&2
    return 1
}

mounts_under() {  # ROOT: the mount points inside ROOT, deepest first
    awk -v root="$1" '$5 == root || index($5, root "/") == 1 { print $5 }' "$mountinfo" |
        awk '{ print length, $0 }' | sort -rn | cut -d' ' -f2-
}

unmount_system() {  # ROOT
    local m
    check_root_path "$1" || return 1
    for m in $(mounts_under "$1"); do
        umount "$m" 2>/dev/null || umount --lazy "$m"
    done
    [ -z "$(mounts_under "$1")" ] || { echo "check-release: still mounted in $1: $(mounts_under "$1" | tr '\n' ' ')" >&2; return 1; }
}

remove_system() {  # ROOT
    check_root_path "$1" || return 1
    [ -e "$1" ] || return 0
    # The host's /dev and /tmp are bound into it while it is in use: never
    # delete while anything is still mounted there.
    unmount_system "$1" || return 1
    rm -rf --one-file-system "$1"
}

setup_system() {  # ROOT RELEASE MIRROR SECURITY_MIRROR
    local root=$1 release=$2 keyring=/usr/share/keyrings/debian-archive-keyring.gpg signed=""
    [ -f "$root$keyring" ] && signed="Signed-By: $keyring"
    rm -f "$root/etc/apt/sources.list"
    cat > "$root/etc/apt/sources.list.d/debian.sources" <<EOF
Types: deb
URIs: $3
Suites: $release $release-updates
Components: main
$signed

Types: deb
URIs: $4
Suites: $release-security
Components: main
$signed
EOF
    printf '127.0.0.1\tlocalhost\n127.0.1.1\t%s\n' "$(hostname)" > "$root/etc/hosts"
    cp -L /etc/resolv.conf "$root/etc/resolv.conf"
    echo "LANG=C.UTF-8" > "$root/etc/default/locale"
    cat "$root/etc/debian_version"
}

mount_system() {  # ROOT
    local root=$1
    mount -t proc proc "$root/proc" &&
        mount -t sysfs sysfs "$root/sys" &&
        mount --rbind /dev "$root/dev" && mount --make-rslave "$root/dev" &&
        # The machine's /tmp: X servers of the host and of the system share one
        # abstract socket namespace (the network's), so xvfb-run -a in there must
        # see the lock files of the displays already taken out here.
        mount --bind /tmp "$root/tmp" && mount --make-slave "$root/tmp"
}

# ---- commands as the user --------------------------------------------------------------

user_pid=""
display=""
xvfb_pid=""

# The user's login environment, the release's umask for users (0002), and no
# real wheel light opened by anything it starts.
user_command() {  # COMMAND...
    local uid gid sudo_gid
    uid=$(chroot "$root" id -u "$user") && gid=$(chroot "$root" id -g "$user") &&
        sudo_gid=$(chroot "$root" getent group sudo | cut -d: -f3) || return 1
    echo "\$ $*"
    setsid chroot --userspec="$uid:$gid" --groups="$gid,$sudo_gid" "$root" \
        /usr/bin/env -i HOME="$home" USER="$user" LOGNAME="$user" SHELL=/bin/bash \
        PATH=/usr/local/bin:/usr/bin:/bin LANG=C.UTF-8 ${display:+DISPLAY=$display} WHEEL_NO_REAL_DEVICE=1 \
        /bin/bash -c "umask 0002 && cd '$clone' && $*" </dev/null &
    user_pid=$!
}

as_user_bg() { user_command "$@"; }

as_user() {
    user_command "$@" || return 1
    wait "$user_pid"
    local status=$?
    user_pid=""
    return $status
}

stop_user_job() {  # ends the user's command and everything it started
    [ -n "$user_pid" ] || return 0
    kill -TERM -- "-$user_pid" 2>/dev/null
    for _ in 1 2 3 4 5 6 7 8 9 10; do
        kill -0 -- "-$user_pid" 2>/dev/null || break
        sleep 1
    done
    kill -KILL -- "-$user_pid" 2>/dev/null
    wait "$user_pid" 2>/dev/null
    user_pid=""
}

# ---- the display -----------------------------------------------------------------------

start_display() {  # LOG: an Xvfb of our own; sets display
    local number_file
    number_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$number_file" >"$1" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do
        [ -s "$number_file" ] && break
        sleep 0.2
    done
    [ -s "$number_file" ] && display=:$(tr -d '\n' < "$number_file")
    rm -f "$number_file"
    [ -n "$display" ] || echo "check-release: Xvfb did not start (see $1)" >&2
}

stop_display() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    xvfb_pid=""
    display=""
}

# Waits until a window of the class is mapped, or PID has ended, or SECONDS pass.
wait_for_window() {  # DISPLAY CLASS SECONDS PID
    local deadline=$(($(date +%s) + $3)) id
    while [ "$(date +%s)" -lt "$deadline" ]; do
        for id in $(xwininfo -display "$1" -root -tree 2>/dev/null | awk -v c="(\"$2\"" 'index($0, c) { print $1 }'); do
            if xwininfo -display "$1" -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable'; then
                echo "window shown: $(xwininfo -display "$1" -id "$id" | sed -n 's/^xwininfo: Window id: //p')"
                return 0
            fi
        done
        kill -0 "$4" 2>/dev/null || { echo "ended before a window was shown"; return 1; }
        sleep 2
    done
    echo "no window after $3 s"
    return 1
}

# ---- the end ---------------------------------------------------------------------------

cleanup_done=0
cleanup() {
    [ $cleanup_done = 1 ] && return
    cleanup_done=1
    stop_user_job
    stop_display
    if [ -d "$root" ]; then
        unmount_system "$root" && echo "check-release: unmounted everything in $root"
        if [ "$remove" = 1 ]; then
            remove_system "$root" && echo "check-release: removed $root"
        fi
    fi
}
