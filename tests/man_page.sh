#!/bin/bash
# Checks the manual page against the program: every option that the help text
# lists must head an entry of the OPTIONS section (as roff writes it, "\-v"),
# and the page must render without any groff warning.
set -euo pipefail
program=$1
page=$2

documented=$(sed -n '/^\.SH OPTIONS/,/^\.SH /p' "$page" |
  sed -n 's/^\.B[IR]* //p' | tr ' ,"' '\n\n\n' | sed 's/\\-/-/g')
missing=0
for name in $("$program" --help | sed -n 's/^ *\(-[-a-zA-Z0-9]*\).*/\1/p'); do
  if ! grep -qxF -- "$name" <<<"$documented"; then
    echo "option $name has no entry in $page"
    missing=1
  fi
done

warnings=$(groff -ww -man -Tutf8 -z "$page" 2>&1)
if [ -n "$warnings" ]; then
  echo "$warnings"
  missing=1
fi
exit $missing
