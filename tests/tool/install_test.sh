#!/bin/bash
# Installs the tool from a build tree into a temporary prefix, moves the
# prefix elsewhere (nothing may point back at the build tree or at the
# prefix it was installed to), and builds the Debian package and unpacks
# it; then runs each installed tool with an environment of PATH alone: a
# whole report of the bundled sample and a --check, its manual page without
# warnings from man, and its bash completion. Moved away, the data is found
# through QZA_DATA_DIR and without it not at all.
#
#   install_test.sh BUILD_DIR SCRATCH_DIR
set -euo pipefail

build=$(cd "$1" && pwd)
scratch=$2
rm -rf "$scratch"
mkdir -p "$scratch"
scratch=$(cd "$scratch" && pwd)
failures=0

fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}

# Runs the tool of ROOT/BIN with PATH alone (and the VAR=VALUE words first).
run() {
  local root=$1
  shift
  local settings=()
  while [[ ${1:-} == *=* ]]; do settings+=("$1"); shift; done
  env -i PATH=/usr/bin:/bin "${settings[@]}" "$root/bin/qzareport" "$@"
}

cmake --install "$build" --prefix "$scratch/prefix" >/dev/null
mv "$scratch/prefix" "$scratch/installed"
(cd "$build" && cpack -G DEB -B "$scratch/cpack" >/dev/null)
package=$(ls "$scratch"/cpack/*.deb)
dpkg-deb -x "$package" "$scratch/package"

# Each library the packaged tool links comes from a package it depends on.
depends=$(dpkg-deb -f "$package" Depends)
# The owner is asked of the file the loader picks: a name alone can match
# several packages (libc6 and libc6-i386 both ship libm.so.6).
tool="$scratch/package/usr/bin/qzareport"
for library in $(objdump -p "$tool" | awk '/NEEDED/ {print $2}'); do
  path=$(ldd "$tool" | awk -v name="$library" '$1 == name {print $3}')
  owner=$( (dpkg -S "$path" 2>/dev/null || dpkg -S "$(readlink -f "$path")") | head -n 1 | cut -d: -f1)
  [[ ", $depends" == *", $owner "* || ", $depends" == *", $owner," ]] ||
    fail "$library comes from $owner, which the package does not depend on ($depends)"
done

for root in "$scratch/installed" "$scratch/package/usr"; do
  report=$scratch/report-$(basename "$root")
  run "$root" -q -o "$report" || fail "$root: no report of the bundled sample"
  [ -s "$report/index.html" ] || fail "$root: the report has no index.html"
  run "$root" --check "$root/share/qza/samples/windows-server.mof" | grep -q "no problem found" ||
    fail "$root: --check of the Windows sample"
  warnings=$(MANWIDTH=80 man --warnings -l "$root/share/man/man1/qzareport.1" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$root: man --warnings: $warnings"
  [ -s "$root/share/bash-completion/completions/qzareport" ] || fail "$root: no bash completion"
done

# Completion of the words before the cursor word ('_' is the empty word).
installed=$scratch/installed
while read -r expected words; do
  read -ra line <<<"$words"
  for i in "${!line[@]}"; do [ "${line[i]}" != _ ] || line[i]=""; done
  actual=$(cd "$installed/share/qza" && PATH=$installed/bin:/usr/bin:/bin bash -c '
    source "$0"; COMP_WORDS=(qzareport "$@"); COMP_CWORD=$#; _qzareport; echo "${COMPREPLY[*]}"' \
    "$installed/share/bash-completion/completions/qzareport" "${line[@]}")
  [ "$actual" == "${expected//,/ }" ] || fail "completion of '$words': '$actual', expected '$expected'"
done <<'TABLE'
--format                    --fo
html,text,inventory,trace   -f _
text,trace                  --format t
default,luz                 --mode _
--quiet                     --qu
samples/preboot.mof         --check samples/pre
schema                      -o sch
redact                      red
fleet                       fl
add,host,query,report       fleet _
--redact                    --reda
--keyword,--keywords-file   --keyw
--keep-mac-vendor           redact --kee
--engine                    fleet query --eng
--map                       unredact --m
TABLE

# Data moved away from the executable is found through QZA_DATA_DIR only.
mv "$installed/share/qza" "$scratch/data"
run "$installed" QZA_DATA_DIR="$scratch/data" --check "$scratch/data/samples/preboot.mof" >/dev/null ||
  fail "QZA_DATA_DIR: the moved data is not found"
if message=$(run "$installed" --check "$scratch/data/samples/preboot.mof" 2>&1); then
  fail "without QZA_DATA_DIR, the moved schema was still found"
fi
[[ $message == *"no schema/schema.mof in the data folder $installed/share/qza"* ]] ||
  fail "without the data, the message is: $message"

[ $failures -eq 0 ] && rm -rf "$scratch"
exit $((failures > 0))
