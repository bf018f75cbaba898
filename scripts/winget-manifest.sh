#!/usr/bin/env bash
# Writes Orvelin's winget manifest (multi-file, schema 1.6: version, default
# locale and installer) for one release:
#   winget-manifest.sh OUT_DIR VERSION INSTALLER_URL INSTALLER_SHA256 PRODUCT_CODE UPGRADE_CODE
set -euo pipefail
[ $# -eq 6 ] || { echo "usage: $0 OUT_DIR VERSION INSTALLER_URL INSTALLER_SHA256 PRODUCT_CODE UPGRADE_CODE" >&2; exit 2; }
out=$1 version=$2 url=$3 sha=$4 product_code=$5 upgrade_code=$6
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
