#!/usr/bin/env bash
# Starts the real desktop program under Xvfb on a text-heavy corpus document, waits until the
# editing tab shows page 1, and checks on a screenshot that the page is there with its text and
# that the window carries the program icon. The screenshot stays in the output folder.
#
# Usage: screenshot-test.sh FOLIVO FOLIVO-CLI SCREEN-GRAB SOURCE-DIR OUTPUT-DIR [SECONDS]
# Exit 0 passed, 1 failed, 77 skipped (only when Xvfb is missing).
set -uo pipefail

if [ $# -lt 5 ]; then
  echo "usage: $0 FOLIVO FOLIVO-CLI SCREEN-GRAB SOURCE-DIR OUTPUT-DIR [SECONDS]" >&2
  exit 1
fi
folivo=$1 cli=$2 grab=$3 source=$4 output=$5 seconds=${6:-20}

if ! command -v Xvfb >/dev/null 2>&1; then
  echo "SKIP: Xvfb is not installed (scripts/install-deps installs it); no screenshot test"
  exit 77
fi

# A manual page: many text lines from the top of page 1, read without messages.
document=$source/../shared/corpus/gen-gs-ps2pdf-tar-manpage.pdf
if [ ! -f "$document" ]; then
  if [ "${FOLIVO_REQUIRE_CORPUS:-0}" = 1 ]; then
    echo "FAIL: $document is missing and FOLIVO_REQUIRE_CORPUS=1" >&2
    exit 1
  fi
  echo "note: corpus missing, using examples/sample.pdf"
  document=$source/examples/sample.pdf
fi

mkdir -p "$output"
shot=$output/folivo-screenshot.png
log=$output/folivo-screenshot.log
rm -f "$shot" "$log"
work=$(mktemp -d)
xvfbPid="" appPid=""

# shellcheck disable=SC2317  # called from the trap
stop() {
  local pid=$1
  [ -n "$pid" ] || return 0
  kill "$pid" 2>/dev/null || return 0
  for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -KILL "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
}
# shellcheck disable=SC2317
cleanup() {
  stop "$appPid"
  stop "$xvfbPid"
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

# -displayfd picks a free display number and reports it once the server accepts clients.
mkfifo "$work/displayfd"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/displayfd" >"$work/xvfb.log" 2>&1 &
xvfbPid=$!
display=""
read -r -t 20 display <"$work/displayfd"
if [ -z "$display" ]; then
  echo "FAIL: Xvfb did not start" >&2
  cat "$work/xvfb.log" >&2
  exit 1
fi

export DISPLAY=":$display" QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_FONT_DPI QT_ENABLE_HIGHDPI_SCALING \
  QT_AUTO_SCREEN_SCALE_FACTOR QT_STYLE_OVERRIDE
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
# Under Xvfb LeakSanitizer may see a small leak inside libdbus; only that is excused.
echo "leak:libdbus" >"$work/lsan.supp"
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$work/lsan.supp"

# What page 1 looks like at the window's starting zoom, drawn by the same renderer.
if ! "$cli" render "$document" --page 1 --zoom 50 -o "$work/reference.png"; then
  echo "FAIL: folivo-cli could not render page 1 of $document" >&2
  exit 1
fi

"$folivo" "$document" >"$log" 2>&1 &
appPid=$!

status=0
if ! "$grab" page "$shot" "$work/reference.png" "$seconds"; then
  echo "FAIL: the screen does not show page 1 of $document (see $shot)" >&2
  status=1
fi
if ! kill -0 "$appPid" 2>/dev/null; then
  echo "FAIL: folivo ended early" >&2
  status=1
elif [ $status -eq 0 ] && ! "$grab" icon Folivo; then
  echo "FAIL: the window has no icon" >&2
  status=1
fi
if [ $status -ne 0 ] && [ -s "$log" ]; then
  echo "--- folivo's output:" >&2
  cat "$log" >&2
fi
echo "screenshot: $shot"
exit $status
