#!/bin/sh
# Writes varo's manual page from varo's own help: the overview of `varo
# help` and each command's `--help`, so that the two never drift apart.
#
#   make-man-page.sh VARO OUTPUT VERSION
set -eu
varo=$1
output=$2
version=$3

# Loading the kit registers its messages in the runtime folder: keep that
# out of the user's own.
runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT
export XDG_RUNTIME_DIR="$runtime"

# Help text as roff: backslashes and lines that roff would take for requests
# are escaped; each line stays a line.
roff_text() {
  sed -e 's/\\/\\e/g' -e "s/^\\([.']\\)/\\\\\\&\\1/"
}

overview=$("$varo" help)
summary=$(printf '%s\n' "$overview" | sed -n '1s/^varo: //p')

{
  printf '.TH VARO 1 "" "varokit %s" "User Commands"\n' "$version"
  printf '.SH NAME\nvaro \\- %s\n' "$(printf '%s' "$summary" | roff_text)"
  printf '.SH SYNOPSIS\n.B varo\n.I command\n.RI [ arguments ]\n.RI [ options ]\n'
  printf '.br\n.B varo help\n.RI [ command ]\n.br\n.B varo \\-\\-version\n'
  printf '.SH DESCRIPTION\n'
  # The paragraphs between the summary and the command list.
  printf '%s\n' "$overview" | sed -n '2,/^Commands/p' | sed '$d' | roff_text | sed 's/^$/.PP/'
  printf '.SH COMMANDS\n'
  printf '%s\n' "$overview" | sed -n 's/^  varo //p' | while read -r line; do
    # The command's own words come before its first argument or option.
    words=$(printf '%s\n' "$line" | awk '{ for (i = 1; i <= NF && $i ~ /^[a-z]/; i++) printf "%s ", $i }')
    printf '.TP\n.B varo %s\n' "$(printf '%s' "$line" | roff_text)"
    printf '.nf\n'
    # shellcheck disable=SC2086
    "$varo" $words --help | sed -e 1d -e 's/^  //' | roff_text
    printf '.fi\n'
  done
  printf '.SH ENVIRONMENT\n'
  printf '.TP\n.B VARO_DATA_DIR\nthe data folder, ahead of the suite folder and ~/.local/share/varokit/\n'
  printf '.TP\n.B XDG_CONFIG_HOME\nholds varokit/registry, where varo setup records the suite folder (ROOTDIR)\n'
  printf '.SH EXIT STATUS\n0 done, 1 the operation failed (the kit'"'"'s code is printed), 2 bad usage.\n'
} >"$output"
