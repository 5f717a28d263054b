#!/bin/bash
# Checks a manual page: it must render without any groff warning, with no
# line wider than 80 columns and no doubled period, and every page that its
# SEE ALSO names must be one of ours beside it. Given the program, it also
# checks the page against it: every option that the help text lists must
# head an entry of the OPTIONS section (as roff writes it, "\-v").
# Usage: man_page.sh PAGE [PROGRAM]
set -euo pipefail
page=$1
program=${2:-}
failed=0

if [ -n "$program" ]; then
  documented=$(sed -n '/^\.SH OPTIONS/,/^\.SH /p' "$page" |
    sed -n 's/^\.B[IR]* //p' | tr ' ,"' '\n\n\n' | sed 's/\\-/-/g')
  for name in $("$program" --help | sed -n 's/^ *\(-[-a-zA-Z0-9]*\).*/\1/p'); do
    if ! grep -qxF -- "$name" <<<"$documented"; then
      echo "option $name has no entry in $page"
      failed=1
    fi
  done
fi

# Tables go through tbl, as man runs it for a page whose first line asks.
warnings=$(groff -ww -t -man -Tutf8 -z "$page" 2>&1)
if [ -n "$warnings" ]; then
  echo "$warnings"
  failed=1
fi

rendered=$(groff -t -man -Tutf8 -rcR=1 -P-cbou "$page" 2>&1)
wide=$(LC_ALL=C.UTF-8 awk 'length > 80' <<<"$rendered")
if [ -n "$wide" ]; then
  echo "lines wider than 80 columns in $page:"
  echo "$wide"
  failed=1
fi
# A period that roff adds after a quoted sentence that has its own.
doubled=$(grep -E '[[:alpha:]]\.\.([^.]|$)' <<<"$rendered" || true)
if [ -n "$doubled" ]; then
  echo "doubled periods in $page:"
  echo "$doubled"
  failed=1
fi

see_also=$(sed -n '/^\.SH SEE ALSO/,/^\.SH /p' "$page" |
  sed -n 's/^\.BR \([a-z0-9]*\) (\([0-9]\)).*/\1.\2/p')
[ -n "$see_also" ] || { echo "$page has no SEE ALSO"; failed=1; }
for named in $see_also; do
  if [ ! -f "$(dirname "$page")/$named" ]; then
    echo "$page refers to $named, which is not beside it"
    failed=1
  fi
done
exit $failed
