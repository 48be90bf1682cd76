#!/usr/bin/env bash
# Writes kt5270(1) with help2man from the tool's own texts: `kt5270 --help` and --version for
# the description and the shared options, each command's usage line for the synopsis, and
# each `kt5270 COMMAND --help` for its section, so that the page says what the tool says.
# Usage: make-man-page.sh TOOL OUTPUT
set -euo pipefail
tool=$(realpath "$1")
output=$2
source "$(dirname "$0")/../bash-completion/kt5270"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Roff reads a backslash as an escape and a leading dot or quote as a request.
roff_text() { sed -e 's/\\/\\e/g' -e "s/^[.']/\\\\\\&&/"; }
# A command's own help up to the shared options, which the page lists once.
own_help() { "$tool" "$1" --help | sed -e '/^Options, before or after the command:$/,$d' | sed -e '${/^$/d}'; }

# The usage paragraph of a help text as one synopsis line: "[options] status [--watch] ...".
synopsis() { sed -n '/^Usage: kt5270 /,/^$/p' | sed -e 's/^Usage: kt5270 //' -e 's/^ *//' | paste -s -d ' ' | sed 's/ *$//'; }
synopsis_line() { synopsis | roff_text | sed 's/^/.B kt5270\n/; s/$/\n.br/'; }

commands=$(_kt5270_commands "$tool")
{
  echo "[SYNOPSIS]"
  "$tool" --help | synopsis_line
  for command in $commands; do
    own_help "$command" | synopsis_line
  done
  echo "[COMMANDS]"
  for command in $commands; do
    echo ".SS $command"
    echo ".nf"
    own_help "$command" | sed '1,/^$/d' | roff_text
    echo ".fi"
  done
  echo "[SEE ALSO]"
  echo ".BR KT_5270 (1),"
  echo "the window with the same commands."
} >"$work/include"

# help2man reads the program's --help; the list of commands there is the synopsis above.
cat >"$work/kt5270" <<WRAPPER
#!/bin/sh
"$tool" "\$@" | sed '/^Commands:\$/,/^\$/d'
WRAPPER
chmod +x "$work/kt5270"
help2man --no-info --section=1 --name="the leak detection controller from the command line" \
  --include="$work/include" --output="$output" "$work/kt5270"
