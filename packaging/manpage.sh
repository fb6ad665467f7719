#!/usr/bin/env bash
# Writes a program's German manual page from its own --help and --version output, gzipped
# the way Debian wants it (maximum compression, no name or time stamp in the header). Each
# COMMAND's "PROGRAM COMMAND --help" becomes a subsection of BEFEHLE.
#
# Usage: manpage.sh PROGRAM "SHORT DESCRIPTION" LOCALE-DIR OUTPUT.1.gz [COMMAND...]
set -euo pipefail

if [ $# -lt 4 ]; then
  echo "usage: $0 PROGRAM DESCRIPTION LOCALE-DIR OUTPUT.1.gz [COMMAND...]" >&2
  exit 1
fi
program=$1 description=$2 locales=$3 output=$4
shift 4
page=${output%.gz}

# Roff reads backslashes and leading dots itself; a plain "-" may become a hyphen.
roff() { sed -e 's/\\/\\e/g' -e 's/^[.'\'']/\\\&&/' -e 's/-/\\-/g'; }

# The description goes through the include file: help2man decodes that as UTF-8, but not --name.
{
  echo "[BEZEICHNUNG]"
  echo "$(basename "$program") \\- $(roff <<<"$description")"
  if [ $# -gt 0 ]; then
    echo "[BEFEHLE]"
    for command in "$@"; do
      echo ".SS \"$command\""
      echo ".nf"
      "$program" "$command" --help | roff
      echo ".fi"
    done
  fi
} >"$page.include"

# help2man takes its headings and its "Aufruf:" pattern from its German catalogue, which needs
# a German locale; the build compiles one into LOCALE-DIR rather than relying on the system's.
LOCPATH=$locales help2man --locale=de_DE.UTF-8 --no-info --section=1 --include="$page.include" \
  --output="$page" "$program"
rm -f "$page.include"
if ! grep -q '^\.SH ÜBERSICHT' "$page"; then
  echo "$0: help2man wrote English headings: the German locale in $locales does not work" >&2
  rm -f "$page"
  exit 1
fi
gzip -9nf "$page"
