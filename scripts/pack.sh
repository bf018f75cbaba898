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
# The help from the sources: the build copies it only when the program links.
cp "$bin/Orvelin.exe" "$top/res/Help.html" "$stage/"
if [ -f "$bin/orvelinc.exe" ]; then
  # The zip and the MSI hold the same files.
  grep -q 'orvelinc.exe' "$top/packaging/Orvelin.wxs" ||
    { echo "pack.sh: orvelinc.exe is built but the MSI has no component for it" >&2; exit 1; }
  cp "$bin/orvelinc.exe" "$stage/"
fi

# wixl finds the package's files beside its source.
msi_work="$out/stage/msi"
mkdir -p "$msi_work"
cp "$top/packaging/Orvelin.wxs" "$top/res/pictures/orvelin.ico" "$stage"/* "$msi_work/"
rm -f "$out/$name.msi" "$out/$name.zip"
(cd "$msi_work" && wixl -a x64 -D "Version=$version" -o "$out/$name.msi" Orvelin.wxs)
# A rebuild of the same version must replace the installed one, not sit
# beside it in Apps & Features: the upgrade row takes its own version too
# (msidbUpgradeAttributesVersionMaxInclusive, 0x200). wixl 0.101 has no
# AllowSameVersionUpgrades, so the row is set in the finished package.
msiinfo export "$out/$name.msi" Upgrade >"$msi_work/Upgrade.idt"
sed -i 's/\t1\t\tWIX_UPGRADE_DETECTED/\t513\t\tWIX_UPGRADE_DETECTED/' "$msi_work/Upgrade.idt"
grep -q $'\t513\t\tWIX_UPGRADE_DETECTED' "$msi_work/Upgrade.idt" || { echo "pack.sh: the MSI's upgrade row is not as expected" >&2; exit 1; }
msibuild "$out/$name.msi" -i "$msi_work/Upgrade.idt"
(cd "$out/stage" && zip -q -X -r "$out/$name.zip" Orvelin)
(cd "$out" && sha256sum "$name.msi" "$name.zip" >SHA256SUMS)
