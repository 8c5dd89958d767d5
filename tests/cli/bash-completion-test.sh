#!/bin/bash
# The packaged bash completion against the built wheelctl:
#   bash-completion-test.sh COMPLETION_FILE BIN_DIR
PATH=$2:$PATH
source "$1"
status=0
expect() {  # expect "CANDIDATES" WORD...
    COMP_WORDS=("${@:2}"); COMP_CWORD=$(($# - 2)); COMPREPLY=()
    _wheelctl wheelctl "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    [[ "${COMPREPLY[*]}" == "$1" ]] || { echo "FAIL: [${*:2}] gave [${COMPREPLY[*]}]"; status=1; }
}
expect "calibrate convert download download-set factory-reset list slots help" wheelctl ''
expect "on off" wheelctl download p.png --48 ''
expect "--left" wheelctl --simulate calibrate --angle 5 --le
expect "0 90 180 270" wheelctl download p.png --slots 1 --rotate ''
expect "stretch fit crop" wheelctl convert p.png --fit ''
expect "threshold dither outline" wheelctl download p.png --slots 1 --tone ''
expect "en zh" wheelctl --lang ''
expect "" wheelctl calibrate --angle ''
expect "--block" wheelctl convert p.png --frame /dev/null --b
exit $status
