#!/bin/bash
# The README's install commands on a built tree: `cmake --install` under a
# prefix with blanks and quotes, the Debian package built with cpack (its
# files, declared dependencies, copyright, changelog and lintian's verdict,
# and that building it leaves the record of the install alone), then the
# `uninstall` target, which must remove that install and only it.
# Usage: install.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
source=$2
work=$(mktemp -d)
manifest=$build/install_manifest.txt
[ -e "$manifest" ] && cp "$manifest" "$work/saved_manifest"
restore() {
  if [ -e "$work/saved_manifest" ]; then cp "$work/saved_manifest" "$manifest"
  else rm -f "$manifest"; fi
  rm -rf "$work"
}
trap restore EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
files_under() { (cd "$1" && find . -type f -o -type l | sed 's|^\./||' | sort); }

prefix="$work/a prefix's \"name\""
cmake --install "$build" --prefix "$prefix" > /dev/null
installed=$(files_under "$prefix")
expected=$'bin/za2vu\nbin/zocheck\nbin/zosim\nshare/bash-completion/completions/za2vu'
expected+=$'\nshare/bash-completion/completions/zocheck\nshare/bash-completion/completions/zosim'
expected+=$'\nshare/doc/za2vu/copyright\nshare/man/man1/za2vu.1.gz\nshare/man/man1/zocheck.1.gz'
expected+=$'\nshare/man/man1/zosim.1.gz'
[ "$installed" = "$expected" ] || fail "installed files:"$'\n'"$installed"
[ "$(sed "s|^$prefix/||" "$manifest" | sort)" = "$expected" ] ||
  fail "the manifest does not list the install: $(cat "$manifest")"
[ "$("$prefix/bin/za2vu" -version)" = "1.0" ] || fail "the installed program does not run"
[ "$("$prefix/bin/zocheck" --version)" = "zocheck 1.0" ] || fail "the installed checker does not run"
[ "$("$prefix/bin/zosim" --version)" = "zosim 1.0" ] || fail "the installed simulator does not run"
for program in za2vu zocheck zosim; do
  gunzip -c "$prefix/share/man/man1/$program.1.gz" | cmp -s - "$source/doc/$program.1" ||
    fail "the installed manual page is not doc/$program.1"
  cmp -s "$prefix/share/bash-completion/completions/$program" "$source/completion/$program" ||
    fail "the installed completion is not completion/$program"
done
grep -qxF " Copyright (c) 2026 the za2vu authors" "$prefix/share/doc/za2vu/copyright" &&
  grep -qx "License: Expat" "$prefix/share/doc/za2vu/copyright" ||
  fail "the copyright file does not carry LICENSE"

recorded=$(cksum < "$manifest")
if ! (cd "$build" && cpack -G DEB -B "$work/deb") > "$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"
  exit 1
fi
[ "$(cksum < "$manifest")" = "$recorded" ] || fail "building the package rewrote $manifest"
deb=$(echo "$work"/deb/za2vu_*.deb)
packaged=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $NF }' | sort)
expected_packaged=$'./usr/bin/za2vu\n./usr/bin/zocheck\n./usr/bin/zosim'
expected_packaged+=$'\n./usr/share/bash-completion/completions/za2vu'
expected_packaged+=$'\n./usr/share/bash-completion/completions/zocheck'
expected_packaged+=$'\n./usr/share/bash-completion/completions/zosim'
expected_packaged+=$'\n./usr/share/doc/za2vu/changelog.Debian.gz\n./usr/share/doc/za2vu/copyright'
expected_packaged+=$'\n./usr/share/lintian/overrides/za2vu\n./usr/share/man/man1/za2vu.1.gz'
expected_packaged+=$'\n./usr/share/man/man1/zocheck.1.gz\n./usr/share/man/man1/zosim.1.gz'
[ "$packaged" = "$expected_packaged" ] || fail "packaged files:"$'\n'"$packaged"
depends=$(dpkg-deb -f "$deb" Depends)
[[ $depends == *libc6* && $depends == *libstdc++6* ]] || fail "Depends: $depends"
[ "$(dpkg-deb -f "$deb" Version)" = "1.0-1" ] || fail "Version: $(dpkg-deb -f "$deb" Version)"
lintian_report=$(lintian --fail-on error,warning "$deb" 2>&1) || fail "lintian:"$'\n'"$lintian_report"

cmake --build "$build" --target uninstall > /dev/null
left=$(files_under "$prefix")
[ -z "$left" ] || fail "left after uninstall:"$'\n'"$left"
[ ! -e "$prefix/share/doc/za2vu" ] || fail "uninstall left share/doc/za2vu"

[ "$failures" -eq 0 ] || { echo "$failures failures"; exit 1; }
