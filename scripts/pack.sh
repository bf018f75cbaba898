#!/usr/bin/env bash
# Packs built programs into an MSI, a zip and their SHA256SUMS:
#   pack.sh BIN_DIR OUT_DIR VERSION
# BIN_DIR holds Orvelin.exe and Help.html (and orvelinc.exe when built).
# scripts/package.sh calls it on the release build; the package test on the
# test build, once per version it installs.
set -euo pipefail
[ $# -eq 3 ] || { echo "usage: $0 BIN_DIR OUT_DIR VERSION" >&2; exit 2; }
top=$(cd "$(dirname "$0")/.." && pwd)
bin=$1 out=$2 version=$3
name="Orvelin-$version-x64"

rm -rf "$out/stage"
stage="$out/stage/Orvelin"
mkdir -p "$stage"
cp "$bin/Orvelin.exe" "$bin/Help.html" "$stage/"
[ -f "$bin/orvelinc.exe" ] && cp "$bin/orvelinc.exe" "$stage/"

# wixl finds the package's files beside its source.
msi_work="$out/stage/msi"
mkdir -p "$msi_work"
cp "$top/packaging/Orvelin.wxs" "$top/res/pictures/orvelin.ico" "$stage"/* "$msi_work/"
rm -f "$out/$name.msi" "$out/$name.zip"
(cd "$msi_work" && wixl -a x64 -D "Version=$version" -o "$out/$name.msi" Orvelin.wxs)
(cd "$out/stage" && zip -q -X -r "$out/$name.zip" Orvelin)
(cd "$out" && sha256sum "$name.msi" "$name.zip" >SHA256SUMS)
