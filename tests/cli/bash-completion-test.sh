#!/bin/bash
# The packaged bash completion against the built wheelctl:
#   bash-completion-test.sh COMPLETION_FILE BIN_DIR
set -u
PATH=$2:$PATH
source "$1"
status=0
expect() {  # expect "CANDIDATES" WORD...
    local want=$1; shift
    COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMPREPLY=()
    _wheelctl wheelctl "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    if [[ "${COMPREPLY[*]}" != "$want" ]]; then
        echo "FAIL: [$*] gave [${COMPREPLY[*]}], want [$want]"; status=1
    fi
}
expect "calibrate convert download factory-reset list help" wheelctl ''
expect "factory-reset" wheelctl --simulate --lang en f
expect "en zh" wheelctl convert p.png --lang ''
expect "on off" wheelctl download p.png --48 ''
expect "--frame" wheelctl convert p.png --48 on --fr
expect "--left" wheelctl --simulate calibrate --angle 5 --le
expect "--simulate --lang --help" wheelctl -
exit $status
