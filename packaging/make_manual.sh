#!/bin/sh
# Writes the gzipped manual page of a program from its own --help (help2man), with the sections
# of INCLUDE that the help has not (a missing INCLUDE is skipped).
# Usage: make_manual.sh PROGRAM VERSION INCLUDE OUT.1.gz
set -eu
program=$1; version=$2; include=$3; out=$4
page=${out%.gz}
include_option=
[ -f "$include" ] && include_option="--include=$include"
# The page states the project's version without the commit, so that it changes only with the help.
# shellcheck disable=SC2086
help2man --no-info --section=1 --version-string="$version" $include_option --output="$page" \
  "$program"
# A command's synopsis and description (two paragraphs in the help) become one tagged entry with
# the command's name in bold, as options are.
perl -0pi -e 's/^\.IP\n([^.\n]\S*)( [^\n]*)?\n\.IP\n/.TP\n\\fB$1\\fR$2\n/mg' "$page"
gzip -9 -n -f "$page"
