#!/usr/bin/env bash
# The packages on a machine of their own (a Wine prefix under the build
# folder): the MSI installs and upgrades silently with one entry in Apps &
# Features, a program run from the installation keeps its backup points in
# the user's local application data and writes nothing beside itself, the
# zip's copy keeps them beside itself, and an uninstall removes the program
# and its shortcut but leaves the user's data.
#   PackageTest.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
top=$1 build=$2
bin="$build/bin"
work="$build/package-test"
export ORV_WINE_ROOT="$build/wine-package"
run() { "$top/cmake/wine-run.sh" "$@"; }
fail() { echo "FAILED: $*" >&2; exit 1; }
check() { local what=$1; shift; "$@" || fail "$what"; echo "ok: $what"; }

# An address winget would not take is refused before anything is built.
for url in "http://example.org/" "https://example.org/a b" "https://example.org/'x"; do
  status=0; bash "$top/scripts/package.sh" --download-url "$url" >/dev/null 2>&1 || status=$?
  check "package.sh refuses the download address $url" test "$status" -eq 2
done

version=$(head -n 1 "$top/VERSION" | tr -d '[:space:]')
rm -rf "$work"
"$top/scripts/pack.sh" "$bin" "$work/old" 1.9.0 >/dev/null
"$top/scripts/pack.sh" "$bin" "$work/new" "$version" >/dev/null
"$top/scripts/pack.sh" "$bin" "$work/rebuilt" "$version" >/dev/null  # the same version, another product code

# The winget manifest names the MSI's own hash and codes, as plain text.
"$top/scripts/winget-manifest.sh" "$work/winget" "$version" "https://example.org/Orvelin-$version-x64.msi" \
  "$work/new/Orvelin-$version-x64.msi"
installer_yaml=$(find "$work/winget" -name '*.installer.yaml')
msi_property() { msiinfo export "$work/new/Orvelin-$version-x64.msi" Property | tr -d '\r' | awk -F'\t' -v n="$1" '$1 == n { print $2 }'; }
check "the manifest's files are there" test "$(find "$work/winget" -name '*.yaml' | wc -l)" -eq 3
check "the manifest holds no carriage return" sh -c "! grep -q \$'\\r' '$installer_yaml'"
check "the manifest names the MSI's product code" grep -qx "ProductCode: '$(msi_property ProductCode)'" "$installer_yaml"
check "the manifest names the MSI's upgrade code" grep -q "UpgradeCode: '$(msi_property UpgradeCode)'" "$installer_yaml"
check "the manifest names the MSI's hash" grep -qi "InstallerSha256: $(sha256sum "$work/new/Orvelin-$version-x64.msi" | cut -d' ' -f1)" "$installer_yaml"

run "$bin/orvhelper.exe" 1 >/dev/null 2>&1 || true  # the machine made once
drive_c="$ORV_WINE_ROOT/prefix/drive_c"
program_dir="$drive_c/Program Files/Orvelin"
local_data="$drive_c/users/$(whoami)/AppData/Local/Orvelin"
win() { WINEPREFIX="$ORV_WINE_ROOT/prefix" winepath -w "$1" 2>/dev/null; }

# A clean start: whatever an earlier run left is removed with Windows' tools.
for msi in "$work/rebuilt/Orvelin-$version-x64.msi" "$work/new/Orvelin-$version-x64.msi" "$work/old/Orvelin-1.9.0-x64.msi"; do
  run msiexec /x "$(win "$msi")" /qn >/dev/null 2>&1 || true
done
rm -rf "$local_data" "$drive_c/Tools"

entries() {  # the Apps & Features entries named Orvelin, as "DisplayVersion" lines
  run reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s /reg:64 2>/dev/null |
    tr -d '\r' | awk '/^HKEY_/ { key = $0 } /DisplayName.*REG_SZ.*Orvelin$/ { named[key] = 1 }
      /DisplayVersion/ { version[key] = $3 } END { for (k in named) print version[k] }'
}

check "the old MSI installs silently" run msiexec /i "$(win "$work/old/Orvelin-1.9.0-x64.msi")" /qn
check "one entry, the old version" test "$(entries)" = "1.9.0"
check "the new MSI installs silently" run msiexec /i "$(win "$work/new/Orvelin-$version-x64.msi")" /qn
check "the upgrade leaves one entry, the new version" test "$(entries)" = "$version"
check "a rebuild of the same version installs silently" run msiexec /i "$(win "$work/rebuilt/Orvelin-$version-x64.msi")" /qn
check "and replaces it: still one entry" test "$(entries)" = "$version"
arp() {  # a value of the Orvelin entry in Apps & Features
  run reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s /reg:64 2>/dev/null |
    tr -d '\r' | awk -v name="$1" '/^HKEY_/ { key = $0 } /DisplayName.*REG_SZ.*Orvelin$/ { named[key] = 1 }
      $1 == name { value[key] = $0 } END { for (k in named) print value[k] }'
}
check "Apps & Features names the publisher" sh -c "echo '$(arp Publisher)' | grep -q 'Orvelin Software'"
check "Apps & Features has the help link" sh -c "echo '$(arp HelpLink)' | grep -q 'https://'"
check "the program and its help are installed" test -f "$program_dir/Orvelin.exe" -a -f "$program_dir/Help.html"
check "a Start-menu shortcut" test -n "$(find "$drive_c" -iname 'Orvelin.lnk' | head -n 1)"
check "the installation is recorded" sh -c "'$top/cmake/wine-run.sh' reg query 'HKLM\\Software\\Orvelin' /v InstallFolder /reg:64 | grep -qi 'Program Files.Orvelin'"

# The installed program starts (and is still running when the wait ends).
status=0; timeout 10 "$top/cmake/wine-run.sh" "$program_dir/Orvelin.exe" >/dev/null 2>&1 || status=$?
check "the installed program starts" test "$status" -eq 124
WINEPREFIX="$ORV_WINE_ROOT/prefix" wineserver -k >/dev/null 2>&1 || true

# What a program in the installation folder does with its data.
cp "$bin/orvdata_probe.exe" "$program_dir/"
probe=$(run "$program_dir/orvdata_probe.exe" | tr -d '\r')
echo "$probe"
check "run from the installation it knows it is installed" grep -qx 'installed=1' <<<"$probe"
short=$(WINEPREFIX="$ORV_WINE_ROOT/prefix" winepath -s "$(win "$program_dir/orvdata_probe.exe")" 2>/dev/null | tr -d '\r')
echo "short name: $short"
check "started by its short name it still knows it is installed" sh -c "'$top/cmake/wine-run.sh' '$short' | tr -d '\r' | grep -qx 'installed=1'"
rm -f "$program_dir/orvdata_probe.exe"
check "its backup point lands in the local application data" test -n "$(find "$local_data/Backup" -name 'HKEY_CURRENT_USER*' 2>/dev/null | head -n 1)"
check "nothing is written beside the installed program" test "$(ls "$program_dir" | sort | tr '\n' ' ')" = "Help.html Orvelin.exe "

# The zip's copy keeps its data beside itself.
mkdir -p "$drive_c/Tools"
unzip -q "$work/new/Orvelin-$version-x64.zip" -d "$drive_c/Tools"
cp "$bin/orvdata_probe.exe" "$drive_c/Tools/Orvelin/"
probe=$(run "$drive_c/Tools/Orvelin/orvdata_probe.exe" | tr -d '\r')
echo "$probe"
check "the zip's copy is not the installed one" grep -qx 'installed=0' <<<"$probe"
check "the zip's copy keeps its backup points beside itself" test -d "$drive_c/Tools/Orvelin/Backup"

check "the MSI uninstalls silently" run msiexec /x "$(win "$work/rebuilt/Orvelin-$version-x64.msi")" /qn
check "the program is gone" test ! -e "$program_dir/Orvelin.exe"
check "the shortcut is gone" test -z "$(find "$drive_c" -iname 'Orvelin.lnk' | head -n 1)"
check "no entry is left in Apps & Features" test -z "$(entries)"
check "the user's backup points stay" test -d "$local_data/Backup"
rm -rf "$local_data" "$drive_c/Tools"
echo "package test passed"
