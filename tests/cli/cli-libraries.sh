#!/usr/bin/env bash
# zelta-cli runs without Qt Widgets, QtWebEngine and Qt Multimedia.
#   cli-libraries.sh ZELTA_CLI needed   none of them is among the libraries the loader
#                                       maps for it (all needed libraries, recursively)
#   cli-libraries.sh ZELTA_CLI serve    none of them is mapped while `zelta-cli tv serve`
#                                       runs on a library with a clip (plugins included);
#                                       run it inside a private network namespace
set -eu
cli=$1
mode=$2
forbidden='libQt6(Widgets|WebEngine[A-Za-z]*|Multimedia[A-Za-z]*|OpenGLWidgets)\.so'

check() { # $1: what was read, $2: the library list
  if ! grep -q 'libQt6Core\.so' <<<"$2"; then
    echo "no Qt Core in $1: nothing was read" >&2
    exit 1
  fi
  if grep -Eo "$forbidden[^ ]*" <<<"$2" | sort -u | grep .; then
    echo "zelta-cli loads the libraries above ($1)" >&2
    exit 1
  fi
  echo "$1: no widgets, web engine or multimedia libraries"
}

case $mode in
needed)
  check "ldd" "$(ldd "$cli")"
  ;;
serve)
  library="$HOME/My Library"
  mkdir -p "$library"
  if command -v ffmpeg >/dev/null; then
    ffmpeg -loglevel error -f lavfi -i testsrc=duration=1:size=160x120:rate=10 \
      -pix_fmt yuv420p "$library/clip.mp4"
  fi
  out=$(mktemp)
  "$cli" tv serve --name "Library Check" >"$out" &
  pid=$!
  trap 'kill -TERM $pid 2>/dev/null || true; rm -f "$out"' EXIT
  for _ in $(seq 200); do
    grep -q '^http://' "$out" && break
    kill -0 $pid 2>/dev/null || { echo "zelta-cli tv serve ended early" >&2; exit 1; }
    sleep 0.1
  done
  grep -q '^http://' "$out" || { echo "zelta-cli tv serve printed no address" >&2; exit 1; }
  sleep 1 # the clip's details and thumbnail are gathered now
  maps=$(cat "/proc/$pid/maps")
  kill -TERM $pid
  wait $pid || { echo "zelta-cli tv serve did not stop cleanly" >&2; exit 1; }
  trap 'rm -f "$out"' EXIT
  check "/proc/PID/maps during tv serve" "$maps"
  ;;
*)
  echo "usage: $0 ZELTA_CLI needed|serve" >&2
  exit 2
  ;;
esac
