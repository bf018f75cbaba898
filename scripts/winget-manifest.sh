#!/usr/bin/env bash
# Writes Orvelin's winget manifest (multi-file, schema 1.6: version, default
# locale and installer) for one release:
#   winget-manifest.sh OUT_DIR VERSION INSTALLER_URL MSI_FILE
# The hash, product code and upgrade code are read from the MSI itself.
set -euo pipefail
[ $# -eq 4 ] || { echo "usage: $0 OUT_DIR VERSION INSTALLER_URL MSI_FILE" >&2; exit 2; }
out=$1 version=$2 url=$3 msi=$4
# msiinfo ends its lines with CR LF: the CR would end up inside the codes.
property() { msiinfo export "$msi" Property | tr -d '\r' | awk -F'\t' -v name="$1" '$1 == name { print $2 }'; }
sha=$(sha256sum "$msi" | cut -d' ' -f1 | tr 'a-f' 'A-F')
product_code=$(property ProductCode) upgrade_code=$(property UpgradeCode)
guid='^\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\}$'
for code in "$product_code" "$upgrade_code"; do
  [[ "$code" =~ $guid ]] || { echo "winget-manifest.sh: $msi holds no product or upgrade code in the form {GUID}: '$code'" >&2; exit 1; }
done
id="Orvelin.Orvelin"
dir="$out/manifests/o/Orvelin/Orvelin/$version"
mkdir -p "$dir"
header() { # $1: manifest type
  printf '# yaml-language-server: $schema=https://aka.ms/winget-manifest.%s.1.6.0.schema.json\n\n' "$1"
}

{ header version
  cat <<YAML
PackageIdentifier: $id
PackageVersion: $version
DefaultLocale: en-US
ManifestType: version
ManifestVersion: 1.6.0
YAML
} >"$dir/$id.yaml"

{ header defaultLocale
  cat <<YAML
PackageIdentifier: $id
PackageVersion: $version
PackageLocale: en-US
Publisher: Orvelin Software
PublisherUrl: https://www.orvelin.example/
PublisherSupportUrl: https://www.orvelin.example/faq/
PackageName: Orvelin
PackageUrl: https://www.orvelin.example/
License: Proprietary
Copyright: Copyright (C) 2026 Orvelin Software
ShortDescription: Inspect and clean the programs Windows starts, dead registry references and the traces of what you did.
Tags:
- startup
- registry
- privacy
ManifestType: defaultLocale
ManifestVersion: 1.6.0
YAML
} >"$dir/$id.locale.en-US.yaml"

{ header installer
  cat <<YAML
PackageIdentifier: $id
PackageVersion: $version
MinimumOSVersion: 10.0.0.0
InstallerType: msi
Scope: machine
UpgradeBehavior: install
ProductCode: '$product_code'
AppsAndFeaturesEntries:
- DisplayName: Orvelin
  Publisher: Orvelin Software
  ProductCode: '$product_code'
  UpgradeCode: '$upgrade_code'
Installers:
- Architecture: x64
  InstallerUrl: $url
  InstallerSha256: $sha
ManifestType: installer
ManifestVersion: 1.6.0
YAML
} >"$dir/$id.installer.yaml"
