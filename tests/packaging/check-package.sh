#!/usr/bin/env bash
# Builds the Debian package from the build tree, checks it with lintian and the
# desktop validators, unpacks it into a temporary root and runs the installed
# programs from there.
# Usage: check-package.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/out/*.deb)
echo "package: $(basename "$deb")"

# lintian: errors fail, warnings are reported.
lintian --allow-root "$deb" >"$work/lintian.txt" 2>&1 || true
cat "$work/lintian.txt"
if grep -q '^E:' "$work/lintian.txt"; then
  echo "lintian reports errors" >&2
  exit 1
fi

root="$work/root"
dpkg -x "$deb" "$root"
for f in usr/bin/corvana-zelta usr/bin/zelta-cli \
  usr/share/applications/example.corvana.zelta.desktop \
  usr/share/metainfo/example.corvana.zelta.metainfo.xml \
  usr/share/mime/packages/corvana-zelta.xml \
  usr/share/icons/hicolor/scalable/apps/corvana-zelta.svg \
  usr/share/man/man1/zelta-cli.1.gz usr/share/man/man1/corvana-zelta.1.gz \
  usr/share/bash-completion/completions/zelta-cli \
  usr/share/doc/corvana-zelta/copyright; do
  [ -e "$root/$f" ] || { echo "missing from the package: $f" >&2; exit 1; }
done
for size in 16 32 48 64 128 256; do
  [ -e "$root/usr/share/icons/hicolor/${size}x${size}/apps/corvana-zelta.png" ] ||
    { echo "missing icon size $size" >&2; exit 1; }
done

desktop-file-validate "$root/usr/share/applications/example.corvana.zelta.desktop"
appstreamcli validate --no-net --explain "$root/usr/share/metainfo/example.corvana.zelta.metainfo.xml"
xmllint --noout "$root/usr/share/mime/packages/corvana-zelta.xml"
bash -n "$root/usr/share/bash-completion/completions/zelta-cli"
zcat "$root/usr/share/man/man1/zelta-cli.1.gz" | grep -q "^\.TH ZELTA-CLI"

# The installed programs start.
version=$("$root/usr/bin/zelta-cli" version)
[[ $version == CorvanaZELTA\ * ]] || { echo "zelta-cli version printed: $version" >&2; exit 1; }
"$root/usr/bin/zelta-cli" library init >/dev/null

log="$HOME/CorvanaZELTA.log"
rm -f "$log"
QT_QPA_PLATFORM=offscreen "$root/usr/bin/corvana-zelta" >"$work/program.out" 2>&1 &
program=$!
for _ in $(seq 1 300); do
  grep -q 'built with Qt' "$log" 2>/dev/null && break
  kill -0 "$program" 2>/dev/null || { cat "$work/program.out"; echo "the program ended early" >&2; exit 1; }
  sleep 0.1
done
grep -q 'built with Qt' "$log" || { echo "the installed program wrote no log" >&2; exit 1; }
kill -TERM "$program"
wait "$program" || true
echo "installed programs start"
