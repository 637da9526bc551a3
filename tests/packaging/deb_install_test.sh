#!/usr/bin/env bash
# Builds the Debian package from this build tree and checks its control data; installs it with
# dpkg into a scratch root whose package database is this machine's, so that its computed
# dependencies must be met here; uses what it installed as a user would (the programs from
# bin/, the settings file, the desktop entry, the icons, man); then removes and purges it.
# The programs run from the scratch root with this machine's libraries.
# Usage: deb_install_test.sh BUILD_DIR SOURCE_DIR SCRATCH_DIR
set -euo pipefail
build=$1
source_dir=$2
scratch=$3
root=$scratch/root

source "$(dirname "$0")/install_test_helpers.sh"

# dpkg on the scratch root; fakeroot lets the files be owned by root without being root, and
# every path is taken whatever this machine's dpkg configuration leaves out (slim images drop
# man pages).
dpkg_root() {
  fakeroot dpkg --root="$root" --log=/dev/null --force-not-root --path-include='/*' "$@" \
    > "$scratch/dpkg.log" 2>&1 ||
    { cat "$scratch/dpkg.log"; fail "dpkg $* failed on the scratch root"; }
}

build_package() {
  cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/package" > "$scratch/cpack.log" 2>&1 ||
    { cat "$scratch/cpack.log"; fail "cpack could not build the package"; }
  deb=$(echo "$scratch"/package/tamrex_*.deb)
  [ -f "$deb" ] || fail "cpack made no tamrex_*.deb in $scratch/package"
}

check_control() {
  local depends library
  [ "$(dpkg-deb --field "$deb" Package)" = tamrex ] || fail "the package is not called tamrex"
  [ "$(dpkg-deb --field "$deb" Section)" = graphics ] || fail "the package's section is not graphics"
  [ -n "$(dpkg-deb --field "$deb" Maintainer)" ] || fail "the package names no maintainer"
  [ -n "$(dpkg-deb --field "$deb" Description | sed -n 2p)" ] ||
    fail "the package has no long description"
  depends=$(dpkg-deb --field "$deb" Depends)
  for library in libc6 libstdc++6 libfreeimage3 libqt6widgets6 libqt6gui6; do
    [[ ", $depends," == *", $library "* || ", $depends," == *", $library,"* ]] ||
      fail "Depends ($depends) does not name $library"
  done
  [ "$(dpkg-deb --info "$deb" conffiles)" = /etc/tamrex/Tamrex.ini ] ||
    fail "/etc/tamrex/Tamrex.ini is not the package's only conffile"
  local outside='^\./((etc|usr|usr/lib)/)?$|^\./(etc/tamrex|usr/bin|usr/lib/tamrex|usr/share)/'
  if dpkg-deb --contents "$deb" | awk '{print $6}' | grep -Ev "$outside"; then
    fail "the package has files outside /etc/tamrex, /usr/bin, /usr/lib/tamrex and /usr/share"
  fi
}

install_package() {
  mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
  cp /var/lib/dpkg/status "$root/var/lib/dpkg/status"
  dpkg_root --install "$deb"
}

check_count_from_path() {
  local version out err
  version=$(dpkg-deb --field "$deb" Version | cut -d- -f1)
  "$root/usr/bin/tamrex-count" --version | grep -q "^tamrex-count $version " ||
    fail "tamrex-count --version does not name the package's version"
  mkdir -p "$scratch/photos"
  cp "$source_dir/samples/stack_a.jpg" "$scratch/photos/"
  echo "BDLINE=not the one to read" > "$scratch/photos/Tamrex.ini"
  out=$(cd "$scratch/photos" && "$root/usr/bin/tamrex-count" stack_a.jpg) ||
    fail "the installed tamrex-count failed"
  [[ $out == "stack_a.jpg: count 20 ("* ]] ||
    fail "the installed tamrex-count printed '$out', not a count of 20"

  # The settings read are /etc's, through the link beside the programs.
  echo "BDLINE=abc" > "$root/etc/tamrex/Tamrex.ini"
  err=$(cd "$scratch/photos" && "$root/usr/bin/tamrex-count" stack_a.jpg 2>&1 >/dev/null) &&
    fail "a broken /etc/tamrex/Tamrex.ini was not read"
  [[ $err == *"$(realpath "$root")/usr/lib/tamrex/Tamrex.ini line 1: BDLINE value 'abc'"* ]] ||
    fail "tamrex-count did not read /usr/lib/tamrex/Tamrex.ini: $err"
  cp "$source_dir/Tamrex.ini" "$root/etc/tamrex/Tamrex.ini"
}

check_window() {
  local out
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/tamrex" --version) ||
    fail "the installed tamrex --version failed"
  [[ $out =~ ^tamrex\ [0-9.]+\ \(FreeImage\ [0-9.]+,\ Qt\ [0-9.]+\)$ ]] ||
    fail "tamrex --version printed '$out'"
}

check_desktop_entry() {
  local entry=$root/usr/share/applications/tamrex.desktop hicolor=$root/usr/share/icons/hicolor
  local program icon size
  desktop-file-validate "$entry" ||
    fail "desktop-file-validate found faults in the installed tamrex.desktop"
  program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
  [ -x "$root/usr/bin/$program" ] || fail "the desktop entry runs '$program', which is not in /usr/bin"
  for icon in "$source_dir"/packaging/icons/tamrex-*.png; do
    size=$(basename "$icon" .png)
    size=${size#tamrex-}
    cmp -s "$icon" "$hicolor/${size}x${size}/apps/tamrex.png" ||
      fail "the ${size}x${size} icon is not installed in the hicolor theme"
  done
  cmp -s "$source_dir/packaging/icons/tamrex.svg" "$hicolor/scalable/apps/tamrex.svg" ||
    fail "the scalable icon is not installed in the hicolor theme"
}

check_man_pages() {
  local page
  for page in tamrex-count tamrex; do
    [ "$(MANPATH="$root/usr/share/man" man -w "$page")" = "$root/usr/share/man/man1/$page.1.gz" ] ||
      fail "man $page does not find the installed page"
    MANPATH="$root/usr/share/man" MANWIDTH=80 LC_ALL=C.UTF-8 man --warnings -P cat "$page" \
      > "$scratch/$page.txt" 2> "$scratch/$page.warnings" || fail "man $page failed"
    [ ! -s "$scratch/$page.warnings" ] || { cat "$scratch/$page.warnings"; fail "man $page warned"; }
  done
  grep -q -- "--max-pixels N" "$scratch/tamrex-count.txt" || fail "man tamrex-count shows no options"
}

remove_and_purge() {
  echo "PWIDTH=7" >> "$root/etc/tamrex/Tamrex.ini"
  dpkg_root --remove tamrex
  [ ! -e "$root/usr/bin/tamrex-count" ] && [ ! -e "$root/usr/lib/tamrex" ] ||
    fail "removing left the programs"
  grep -qx "PWIDTH=7" "$root/etc/tamrex/Tamrex.ini" ||
    fail "removing did not keep the changed settings file"
  dpkg_root --purge tamrex
  [ -z "$(find "$root" -path "$root/var" -prune -o ! -type d -print)" ] ||
    fail "purging left files behind"
}

rm -rf "$scratch"
mkdir -p "$scratch"
keep_users_manifest "$build" "$scratch"
build_package
check_control
install_package
check_count_from_path
check_window
check_desktop_entry
check_man_pages
remove_and_purge
echo "PASS: $(basename "$deb")"
