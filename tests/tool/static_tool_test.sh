#!/bin/bash
# The self-contained qzareport (./qza package) as a customer's server gets
# it: ldd lists only the C library and the kernel's own; copied alone into
# an empty folder and run with an environment of PATH alone, it checks and
# reports a collection with the schema it carries, and collects the machine
# it runs on.
#
#   static_tool_test.sh TOOL LINUX_SAMPLE SCRATCH_DIR
# Exit status: 0 passed, 1 failed, 77 skipped (TOOL not built).
set -euo pipefail

tool=$1
sample=$2
scratch=$3
if [ ! -x "$tool" ]; then
  echo "SKIPPED: no self-contained tool at $tool (./qza package builds it)" >&2
  exit 77
fi
rm -rf "$scratch"
mkdir -p "$scratch/server"
failures=0

fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}

for library in $(ldd "$tool" | awk '{print $1}'); do
  case $(basename "$library") in
    linux-vdso.so.* | libc.so.* | libm.so.* | ld-linux*.so.*) ;;
    *) fail "the tool links $library" ;;
  esac
done

cp "$tool" "$scratch/server/qzareport"
# A collection as a server's collector writes it: without the sources' schema.
grep -v '^#pragma include' "$sample" >"$scratch/server/collection.mof"
cd "$scratch/server"
env -i PATH=/usr/bin:/bin ./qzareport --check collection.mof | grep -q "no problem found" ||
  fail "--check of the collection"
env -i PATH=/usr/bin:/bin ./qzareport -q -f text -o report collection.mof || fail "no report of the collection"
grep -q "J30A1B2C" report/system_overview.txt || fail "the report does not name the sample's serial number"
# The customer's use: collect this machine, then report the collection.
env -i PATH=/usr/bin:/bin ./qzareport collect -q -o machine.mof || fail "collect on this machine"
env -i PATH=/usr/bin:/bin ./qzareport --check machine.mof | grep -q "no problem found" ||
  fail "--check of the collection collect wrote"
env -i PATH=/usr/bin:/bin ./qzareport -q -f text -o machine-report machine.mof || fail "no report of the collection"
grep -qF "$(hostname)" machine-report/system_overview.txt || fail "the report does not name this machine"

cd /
[ $failures -eq 0 ] && rm -rf "$scratch"
exit $((failures > 0))
