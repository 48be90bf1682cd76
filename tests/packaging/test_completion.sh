#!/usr/bin/env bash
# The bash completion against the real tool: what a Tab offers after a few command lines.
# Usage: test_completion.sh KT5270 COMPLETION_FILE
set -uo pipefail
tool=$1
source "$2"
export KT5270_COM1=/tmp/kt5270-completion-test-device

failures=0
# expect "WORDS..." "WANTED": the words offered for the last word of the line, space-separated;
# "+WORD" when WORD is to be among them (the ports present differ from machine to machine).
expect() {
  local line=$1 wanted=$2
  read -r -a COMP_WORDS <<<"$line"
  [[ $line == *" " ]] && COMP_WORDS+=("")
  COMP_WORDS[0]=$tool
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _kt5270
  local got="${COMPREPLY[*]}"
  if [[ $wanted == +* ]] && [[ " $got " == *" ${wanted#+} "* ]]; then
    return
  fi
  if [[ $got != "$wanted" ]]; then
    echo "FAIL: \"$line\" offers \"$got\", wanted \"$wanted\""
    failures=$((failures + 1))
  fi
}

expect "kt5270 st" "status"
expect "kt5270 set-" "set-baud set-address"
expect "kt5270 --port COM1 --json l" "log"
expect "kt5270 --port COM1 clock --s" "--set --step-wait --sync"
expect "kt5270 log download --f" "--format"
expect "kt5270 log download --format " "text csv json"
expect "kt5270 --format c" "csv"
expect "kt5270 --port COM1 status " ""
expect "kt5270 --port CO" "+COM1"
expect "kt5270 --port /tmp/kt5270-completion-t" "/tmp/kt5270-completion-test-device"
expect "kt5270 zero --addr" "--address"
[[ $failures -eq 0 ]] && echo "bash completion: all cases passed"
exit $((failures > 0))
