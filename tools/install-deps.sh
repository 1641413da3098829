#!/usr/bin/env bash
# Installs the Debian packages listed in tools/packages/*.txt that are missing.
# Safe to run again: packages already installed are left alone.
set -euo pipefail
cd "$(dirname "$0")/.."

lists=("$@")
[ ${#lists[@]} -gt 0 ] || lists=(tools/packages/*.txt)

wanted=$(sed -e 's/#.*//' "${lists[@]}" | tr -s ' \t' '\n' | sed '/^$/d' | sort -u)
missing=()
for package in $wanted; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
