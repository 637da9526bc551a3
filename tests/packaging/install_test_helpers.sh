# Sourced by the install tests.

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Installing from a build tree, by cmake --install or cpack, writes its install_manifest.txt;
# a user's may list their own install, to remove it by. Puts it back, or away, on exit.
keep_users_manifest() {
  local build=$1 scratch=$2
  manifest=$build/install_manifest.txt
  kept_manifest=$scratch/users-install_manifest.txt
  if [ -e "$manifest" ]; then
    cp -p "$manifest" "$kept_manifest"
    trap 'mv "$kept_manifest" "$manifest"' EXIT
  else
    trap 'rm -f "$manifest"' EXIT
  fi
}
