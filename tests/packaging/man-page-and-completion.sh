#!/bin/sh
# varo's manual page and its bash completion follow varo's own help: the
# page describes every command the help lists, with its options, and the
# completion offers the commands, a command's options and the databases.
#
#   man-page-and-completion.sh VARO MAN_PAGE COMPLETION
set -eu
varo=$1
page=$2
completion=$3

work=$(mktemp -d /tmp/varokit-man-test-XXXXXX)
trap 'rm -rf "$work"' EXIT
export VARO_DATA_DIR="$work/data" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }

"$varo" help | sed -n 's/^  varo //p' >"$work/commands"
[ -s "$work/commands" ] || fail "varo help lists no commands"
while read -r line; do
  grep -qxF ".B varo $line" "$page" || fail "the manual page lacks: varo $line"
done <"$work/commands"
for option in $("$varo" db delete --help | sed -n 's/^ *--\([a-z-]*\).*/\1/p'); do
  grep -q "^\\\\-\\\\-$option\\|^--$option" "$page" || fail "the manual page lacks db delete's --$option"
done
man -l "$page" >/dev/null 2>&1 || [ ! -x "$(command -v man)" ] || fail "man cannot read the page"

"$varo" db create "work notes" >/dev/null

# What the completion offers for the words of a command line, the last one
# being completed, one per line and sorted.
offered() {
  bash -c '. "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _varo; printf "%s\n" "${COMPREPLY[@]}" | sort' \
    complete "$completion" "$varo" "$@"
}
expected_commands=$(awk '{ print $1 }' "$work/commands" | sort -u)
[ "$(offered "")" = "$expected_commands" ] || fail "commands offered: $(offered "")"
[ "$(offered db de)" = "$(printf 'default\ndelete')" ] || fail "db de: $(offered db de)"
[ "$(offered db delete "")" = "work notes" ] || fail "databases offered: $(offered db delete "")"
[ "$(offered db delete w --)" = "$(printf -- '--forget\n--help\n--yes')" ] || fail "options offered: $(offered db delete w --)"
exit $failed
