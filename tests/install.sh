#!/bin/bash
# The README's install commands on a built tree: `cmake --install` under a
# prefix with blanks and quotes, the Debian package built with cpack (its
# files, declared dependencies, copyright, changelog and lintian's verdict,
# and that building it leaves the records of the install alone), then the
# `uninstall` target, which must remove that install and only it: the files,
# and the folders the install made once they are empty, not those that were
# there before.
# Usage: install.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
source=$2
work=$(mktemp -d)
manifest=$build/install_manifest.txt
folders=$build/install_folders.txt
# The records of the build's own install, put back at the end.
for record in "$manifest" "$folders"; do
  [ -e "$record" ] && cp "$record" "$work/saved_$(basename "$record")"
done
restore() {
  for record in "$manifest" "$folders"; do
    saved=$work/saved_$(basename "$record")
    if [ -e "$saved" ]; then cp "$saved" "$record"; else rm -f "$record"; fi
  done
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
expected+=$'\nshare/man/man1/zosim.1.gz\nshare/man/man5/zo.5.gz'
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
gunzip -c "$prefix/share/man/man5/zo.5.gz" | cmp -s - "$source/doc/zo.5" ||
  fail "the installed manual page is not doc/zo.5"
grep -qxF " Copyright (c) 2026 the za2vu authors" "$prefix/share/doc/za2vu/copyright" &&
  grep -qx "License: Expat" "$prefix/share/doc/za2vu/copyright" ||
  fail "the copyright file does not carry LICENSE"

recorded=$(cksum "$manifest" "$folders")
if ! (cd "$build" && cpack -G DEB -B "$work/deb") > "$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"
  exit 1
fi
[ "$(cksum "$manifest" "$folders")" = "$recorded" ] ||
  fail "building the package rewrote $manifest or $folders"
deb=$(echo "$work"/deb/za2vu_*.deb)
packaged=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $NF }' | sort)
expected_packaged=$'./usr/bin/za2vu\n./usr/bin/zocheck\n./usr/bin/zosim'
expected_packaged+=$'\n./usr/share/bash-completion/completions/za2vu'
expected_packaged+=$'\n./usr/share/bash-completion/completions/zocheck'
expected_packaged+=$'\n./usr/share/bash-completion/completions/zosim'
expected_packaged+=$'\n./usr/share/doc/za2vu/changelog.Debian.gz\n./usr/share/doc/za2vu/copyright'
expected_packaged+=$'\n./usr/share/lintian/overrides/za2vu\n./usr/share/man/man1/za2vu.1.gz'
expected_packaged+=$'\n./usr/share/man/man1/zocheck.1.gz\n./usr/share/man/man1/zosim.1.gz'
expected_packaged+=$'\n./usr/share/man/man5/zo.5.gz'
[ "$packaged" = "$expected_packaged" ] || fail "packaged files:"$'\n'"$packaged"
depends=$(dpkg-deb -f "$deb" Depends)
[[ $depends == *libc6* && $depends == *libstdc++6* ]] || fail "Depends: $depends"
[ "$(dpkg-deb -f "$deb" Version)" = "1.0-1" ] || fail "Version: $(dpkg-deb -f "$deb" Version)"
[[ $(dpkg-deb -f "$deb" Description) == *zocheck* ]] || fail "the description does not name zocheck"
changelog=$(dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/doc/za2vu/changelog.Debian.gz |
  gunzip)
[[ $changelog == *zocheck* ]] || fail "the changelog does not name zocheck"
lintian_report=$(lintian --fail-on error,warning "$deb" 2>&1) || fail "lintian:"$'\n'"$lintian_report"

cmake --build "$build" --target uninstall > /dev/null
[ ! -e "$prefix" ] || fail "left after uninstall:"$'\n'"$(cd "$prefix" && find . | sort)"

# Installed twice into a prefix where some folders stand already, one with a
# file of its own: uninstall keeps those and removes every other folder.
prefix=$work/usr
mkdir -p "$prefix/bin" "$prefix/share/man"
touch "$prefix/bin/other"
folders_under() { (cd "$1" && find . -mindepth 1 -type d | sed 's|^\./||' | sort); }
before=$(folders_under "$prefix")
cmake --install "$build" --prefix "$prefix" > /dev/null
rm -r "$prefix/share/man/man5"
cmake --install "$build" --prefix "$prefix" > /dev/null
cmake --build "$build" --target uninstall > /dev/null
[ "$(folders_under "$prefix")" = "$before" ] ||
  fail "folders after uninstall:"$'\n'"$(folders_under "$prefix")"
[ "$(files_under "$prefix")" = "bin/other" ] ||
  fail "files after uninstall:"$'\n'"$(files_under "$prefix")"

[ "$failures" -eq 0 ] || { echo "$failures failures"; exit 1; }
