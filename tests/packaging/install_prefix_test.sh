#!/usr/bin/env bash
# `cmake --install` into a prefix of its own, as a user without the package would: the programs
# run through their links in bin/ and find the settings file in PREFIX/etc through the link
# beside them, the manifest lists every file so that the install can be undone, and installing
# again keeps settings that were changed by hand.
# Usage: install_prefix_test.sh BUILD_DIR SOURCE_DIR SCRATCH_DIR
set -euo pipefail
build=$1
source_dir=$2
scratch=$3
prefix=$scratch/prefix

source "$(dirname "$0")/install_test_helpers.sh"

install_into_prefix() {
  cmake --install "$build" --prefix "$prefix" > "$scratch/install.log" 2>&1 ||
    { cat "$scratch/install.log"; fail "cmake --install into $prefix failed"; }
}

rm -rf "$scratch"
mkdir -p "$scratch/photos"
keep_users_manifest "$build" "$scratch"
install_into_prefix

for program in tamrex tamrex-count; do
  [ "$(readlink "$prefix/bin/$program")" = "../lib/tamrex/$program" ] ||
    fail "bin/$program is not a relative link to lib/tamrex/$program"
done
[ "$(readlink "$prefix/lib/tamrex/Tamrex.ini")" = "../../etc/tamrex/Tamrex.ini" ] ||
  fail "lib/tamrex/Tamrex.ini is not a relative link to etc/tamrex/Tamrex.ini"
cmp -s "$source_dir/Tamrex.ini" "$prefix/etc/tamrex/Tamrex.ini" ||
  fail "etc/tamrex/Tamrex.ini is not the default"

# A settings file in the working folder must not be the one read.
cp "$source_dir/samples/stack_a.jpg" "$scratch/photos/"
echo "BDLINE=not the one to read" > "$scratch/photos/Tamrex.ini"
out=$(cd "$scratch/photos" && "$prefix/bin/tamrex-count" stack_a.jpg) ||
  fail "tamrex-count through bin/ failed"
case "$out" in
  "stack_a.jpg: count 20 ("*) ;;
  *) fail "tamrex-count through bin/ printed '$out', not a count of 20" ;;
esac

sort "$manifest" > "$scratch/manifest"
find "$prefix" ! -type d | sort > "$scratch/installed"
diff -u "$scratch/manifest" "$scratch/installed" ||
  fail "install_manifest.txt does not list exactly the files installed, so they cannot all be removed"

printf 'BDLINE=320\nTHRESHOLD=110\nPWIDTH=7\n' > "$prefix/etc/tamrex/Tamrex.ini"
install_into_prefix
grep -qx "PWIDTH=7" "$prefix/etc/tamrex/Tamrex.ini" ||
  fail "installing again overwrote the changed settings file"
grep -q "Keeping: $prefix/etc/tamrex/Tamrex.ini" "$scratch/install.log" ||
  fail "installing again did not say it kept the settings file"
echo "PASS"
