#!/usr/bin/env bash
# Builds the Debian package from a finished build and checks it as a user's machine and the
# Debian tools see it: the control fields, every installed file, the AppStream metadata, the
# German manual pages, the programs running from the unpacked tree, and no lintian errors.
#
# Usage: package-test.sh CPACK BUILD-DIR SOURCE-DIR
set -uo pipefail

if [ $# -ne 3 ]; then
  echo "usage: $0 CPACK BUILD-DIR SOURCE-DIR" >&2
  exit 1
fi
cpack=$1 build=$2 source=$(cd "$3" && pwd)
for tool in dpkg-deb dpkg-shlibdeps appstreamcli desktop-file-validate lintian man help2man; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing; run scripts/install-deps" >&2; exit 1; }
done
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=0
fail() {
  echo "FAIL: $*" >&2
  failed=1
}

if ! log=$("$cpack" --config "$build/CPackConfig.cmake" -B "$scratch/out" 2>&1); then
  echo "$log" >&2
  echo "FAIL: cpack failed" >&2
  exit 1
fi
version=$(sed -n 's/^project(Folivo VERSION \([0-9.]*\).*/\1/p' "$source/CMakeLists.txt")
deb=$scratch/out/folivo_${version}_amd64.deb
if [ ! -f "$deb" ]; then
  echo "FAIL: cpack wrote no $(basename "$deb"): $(ls "$scratch/out")" >&2
  exit 1
fi

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = folivo ] || fail "Package is $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version $(field Version) is not the project's $version"
case "$(field Section)" in graphics | text) ;; *) fail "Section is '$(field Section)'" ;; esac
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ -n "$(field Homepage)" ] || fail "no Homepage"
# dpkg-shlibdeps found the libraries the programs link against.
for library in libqt6widgets6 libc6 libexempi8 libnettle8; do
  grep -qE "(^|, )$library( |,|\$)" <<<"$(field Depends)" || fail "Depends lacks $library: $(field Depends)"
done

root=$scratch/root
dpkg-deb -x "$deb" "$root" || { echo "FAIL: dpkg-deb -x failed" >&2; exit 1; }
outside=$(cd "$root" && find . -mindepth 1 -maxdepth 1 ! -name usr)
[ -z "$outside" ] || fail "files outside /usr: $outside"
[ ! -e "$root/usr/local" ] || fail "files under /usr/local"

for program in folivo folivo-cli; do
  binary=$root/usr/bin/$program
  if [ ! -x "$binary" ]; then fail "/usr/bin/$program is missing"; continue; fi
  file "$binary" | grep -q ', stripped' || fail "/usr/bin/$program is not stripped"
done
desktop=$root/usr/share/applications/folivo.desktop
if [ -f "$desktop" ]; then
  grep -qE '^MimeType=(.*;)?application/pdf;' "$desktop" || fail "the menu entry lacks MimeType application/pdf"
  desktop-file-validate "$desktop" || fail "desktop-file-validate rejects the menu entry"
else
  fail "/usr/share/applications/folivo.desktop is missing"
fi
[ -f "$root/usr/share/icons/hicolor/scalable/apps/folivo.svg" ] || fail "the icon is missing"
for doc in copyright changelog.gz; do
  [ -f "$root/usr/share/doc/folivo/$doc" ] || fail "/usr/share/doc/folivo/$doc is missing"
done

metainfo=$root/usr/share/metainfo/folivo.metainfo.xml
if [ -f "$metainfo" ]; then
  # The id must be the menu entry's name, which is not in reverse-DNS form: the vendor has no
  # domain of record yet. Every other finding, down to hints, fails.
  if ! report=$(appstreamcli validate --no-net --strict --override=cid-desktopapp-is-not-rdns=pedantic "$metainfo" 2>&1); then
    fail "appstreamcli validate: $report"
  fi
  grep -q '<launchable type="desktop-id">folivo.desktop</launchable>' "$metainfo" || fail "metainfo does not launch folivo.desktop"
  grep -q "<release version=\"$version\"" "$metainfo" || fail "metainfo lacks the release $version"
  grep -q '<summary xml:lang="de">' "$metainfo" || fail "metainfo lacks a German summary"
else
  fail "/usr/share/metainfo/folivo.metainfo.xml is missing"
fi

# The manual pages as man shows them: German headings and the programs' own German help.
manpage() {
  local page=$root/usr/share/man/man1/$1.1.gz text warnings
  if [ ! -f "$page" ]; then fail "/usr/share/man/man1/$1.1.gz is missing"; return; fi
  text=$(LC_ALL=C.UTF-8 MANWIDTH=80 MAN_DISABLE_SECCOMP=1 man -l "$page" 2>/dev/null | col -b)
  warnings=$(LC_ALL=C.UTF-8 MAN_DISABLE_SECCOMP=1 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "man warns about $1(1): $warnings"
  shift
  for expected in BEZEICHNUNG ÜBERSICHT BESCHREIBUNG "$@"; do
    grep -qF -- "$expected" <<<"$text" || fail "$page lacks '$expected': $text"
  done
}
manpage folivo "folivo - PDF-Dokumente bearbeiten" "zeigt diese Hilfe an" "[DATEI.pdf]"
manpage folivo-cli "folivo-cli - PDF-Dokumente ohne Fenster" "folivo-cli BEFEHL" "Beendigungsstatus"

# The unpacked programs run on the system's libraries; the window program answers without a display.
cli=$root/usr/bin/folivo-cli
if [ -x "$cli" ]; then
  help=$("$cli" --help) || fail "folivo-cli --help exits $?"
  grep -q '^Aufruf: folivo-cli' <<<"$help" || fail "folivo-cli --help: $help"
  [ "$("$cli" --version | head -1)" = "folivo-cli (Folivo) $version" ] || fail "folivo-cli --version: $("$cli" --version)"
  info=$(cd "$scratch" && "$cli" info "$source/examples/sample.pdf" 2>&1) || fail "folivo-cli info exits $?: $info"
  grep -qx "pages: 2" <<<"$info" || fail "the packaged folivo-cli does not read the sample's 2 pages"
fi
if [ -x "$root/usr/bin/folivo" ]; then
  help=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$root/usr/bin/folivo" --help 2>&1) || fail "folivo --help exits $?: $help"
  grep -q '^Aufruf: folivo ' <<<"$help" || fail "folivo --help: $help"
fi

# lintian: errors fail, warnings are shown.
report=$(lintian --tag-display-limit 0 "$deb" 2>&1)
errors=$(grep '^E:' <<<"$report")
[ -z "$errors" ] || fail "lintian errors:
$errors"
grep -E '^[WI]:' <<<"$report" | sed 's/^/lintian: /'

if [ $failed -eq 0 ]; then
  echo "$(basename "$deb"): fields, files, metainfo, manual pages, programs and lintian pass"
fi
exit $failed
