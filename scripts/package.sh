#!/usr/bin/env bash
# Builds the release and packs it into build/package/:
#   Orvelin-VERSION-x64.msi   per-machine Windows Installer package (wixl)
#   Orvelin-VERSION-x64.zip   the same files, to unpack and run
#   SHA256SUMS                the hashes of both
#   winget/                   a winget manifest (schema 1.6) pointing at the MSI,
#                             only when the release's download address is given:
#
#   bash scripts/package.sh [--download-url https://example.org/releases/2.0.0/]
#
# The address is the MSI's own (ending in .msi) or the folder that holds it.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)

download_url=""
while [ $# -gt 0 ]; do
  case "$1" in
    --download-url) download_url=${2:?--download-url needs an address}; shift 2 ;;
    --download-url=*) download_url=${1#*=}; shift ;;
    -h|--help) sed -n '2,12p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "package.sh: unknown argument: $1" >&2; exit 2 ;;
  esac
done

# Checked before anything is built: winget takes only https addresses, and
# the address goes into the manifest's YAML as it stands.
if [ -n "$download_url" ] && ! [[ "$download_url" =~ ^https://[A-Za-z0-9.-]+(:[0-9]+)?(/[A-Za-z0-9._~%!\$\&()*+,\;=:@/-]*)?$ ]]; then
  echo "package.sh: --download-url must be an https address without spaces or quotes, not '$download_url'" >&2
  exit 2
fi

"$top/scripts/deps.sh"

version=$(head -n 1 "$top/VERSION" | tr -d '[:space:]')
[[ "$version" =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || { echo "VERSION must read MAJOR.MINOR.PATCH, not '$version'" >&2; exit 1; }
name="Orvelin-$version-x64"

# The release: the programs alone, no tests or benchmarks.
release="$top/build/release"
cmake -S "$top" -B "$release" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DORV_BUILD_TESTS=OFF -DORV_BUILD_BENCH=OFF >/dev/null
cmake --build "$release" -j "$(nproc)" --target Orvelin

out="$top/build/package"
rm -rf "$out"
"$top/scripts/pack.sh" "$release/bin" "$out" "$version"

if [ -n "$download_url" ]; then
  case "$download_url" in
    *.msi) installer_url=$download_url ;;
    *) installer_url="${download_url%/}/$name.msi" ;;
  esac
  "$top/scripts/winget-manifest.sh" "$out/winget" "$version" "$installer_url" "$out/$name.msi"
fi

echo "Packages in $out:"
(cd "$out" && ls -1 "$name.msi" "$name.zip" SHA256SUMS)
[ -n "$download_url" ] && find "$out/winget" -type f | sed "s|^$out/||"
exit 0
