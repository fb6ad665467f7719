#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a Linux desktop needs from it: the
# two programs in bin (and nothing else there), the menu entry and the icon under share, and
# that the installed tool runs away from the build tree.
#
# Usage: install-test.sh CMAKE BUILD-DIR SOURCE-DIR
set -uo pipefail

if [ $# -ne 3 ]; then
  echo "usage: $0 CMAKE BUILD-DIR SOURCE-DIR" >&2
  exit 1
fi
cmake=$1 build=$2 source=$3
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
failed=0
fail() {
  echo "FAIL: $*" >&2
  failed=1
}

if ! log=$("$cmake" --install "$build" --prefix "$prefix" 2>&1); then
  echo "$log" >&2
  echo "FAIL: cmake --install failed" >&2
  exit 1
fi

bin=$prefix/bin
desktop=$prefix/share/applications/folivo.desktop
icon=$prefix/share/icons/hicolor/scalable/apps/folivo.svg

for program in folivo folivo-cli; do
  if [ ! -f "$bin/$program" ] || [ ! -x "$bin/$program" ]; then fail "$bin/$program is missing or not executable"; fi
done
extra=$(find "$bin" -mindepth 1 ! -name folivo ! -name folivo-cli 2>/dev/null)
[ -z "$extra" ] || fail "unexpected files in bin: $extra"

# The installed tool must find everything it needs without the build tree.
if [ -x "$bin/folivo-cli" ]; then
  info=$(cd "$prefix" && "$bin/folivo-cli" info "$source/examples/sample.pdf" 2>&1)
  status=$?
  [ $status -eq 0 ] || fail "installed folivo-cli info exits $status: $info"
  grep -qx "pages: 2" <<<"$info" || fail "installed folivo-cli info does not report the sample's 2 pages"
fi

# Whole-line values of a key in the [Desktop Entry] group.
entry() { sed -n '/^\[Desktop Entry\]/,/^\[/{s/^'"$1"'=//p}' "$desktop"; }

if [ ! -f "$desktop" ]; then
  fail "$desktop is missing"
else
  if command -v desktop-file-validate >/dev/null 2>&1; then
    # Hints are advice; errors and warnings are faults.
    problems=$(desktop-file-validate "$desktop" 2>&1)
    status=$?
    if [ $status -ne 0 ] || grep -qE 'error:|warning:' <<<"$problems"; then
      fail "desktop-file-validate: $problems"
    fi
  else
    echo "note: desktop-file-validate not installed, checking the keys only"
  fi
  [ "$(entry Type)" = Application ] || fail "Type is not Application"
  [ "$(entry Name)" = Folivo ] || fail "Name is not Folivo"
  [ -n "$(entry GenericName)" ] || fail "GenericName is missing"
  [ -n "$(entry Comment)" ] || fail "Comment is missing"
  [ "$(entry Terminal)" = false ] || fail "Terminal is not false"
  exec=$(entry Exec)
  read -r command argument <<<"$exec"
  [ -x "$bin/$command" ] || fail "Exec=$exec does not name an installed program"
  case "$argument" in %f | %F | %u | %U) ;; *) fail "Exec=$exec takes no file" ;; esac
  [[ ";$(entry MimeType)" == *";application/pdf;"* ]] || fail "MimeType lacks application/pdf"
  [[ ";$(entry Categories)" == *";Office;"* ]] || fail "Categories lack Office"
  iconName=$(entry Icon)
  [ "$iconName" = folivo ] || fail "Icon=$iconName, not folivo"
fi

if [ ! -f "$icon" ]; then
  fail "$icon is missing"
else
  cmp -s "$icon" "$source/app/icons/folivo.svg" || fail "the installed icon differs from app/icons/folivo.svg"
  if ! grep -q '<svg' "$icon" || ! grep -q 'viewBox=' "$icon"; then fail "$icon is not a scalable SVG"; fi
fi

if [ $failed -eq 0 ]; then
  echo "installed into a temporary prefix: bin/folivo, bin/folivo-cli, folivo.desktop, folivo.svg"
fi
exit $failed
