#!/usr/bin/env bash
# Builds the .deb from the default build and checks it: lintian finds no
# error and no warning, the validators pass on its desktop entry and
# metainfo, it holds the programs, icons, metadata, licence, changelog,
# manual pages and completion, it depends on the libraries the programs
# link, and the CLI in it gives the known ciphertext.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${TEXTCRYPT_PACKAGE_BUILD_DIR:-build/default}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log") || {
  cat "$work/cpack.log"
  exit 1
}
debs=("$work"/out/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "expected one .deb, got: ${debs[*]}"; exit 1; }
deb=${debs[0]}
echo "package: $(basename "$deb")"

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

listing=$(dpkg-deb -c "$deb" | awk '{print $NF}')
has() { grep -qxF "$1" <<<"$listing" || fail "the package lacks $1"; }
has ./usr/bin/textcrypt
has ./usr/bin/textcrypt-cli

desktops=$(grep -E '^\./usr/share/applications/[^/]+\.desktop$' <<<"$listing" || true)
[ "$(wc -l <<<"$desktops")" -eq 1 ] && [ -n "$desktops" ] || fail "expected one desktop entry: $desktops"
id=$(basename "$desktops" .desktop)
has "./usr/share/metainfo/$id.metainfo.xml"
for size in 16 22 24 32 48 64 128; do
  has "./usr/share/icons/hicolor/${size}x${size}/apps/$id.png"
done

has ./usr/share/doc/textcrypt/copyright
has ./usr/share/doc/textcrypt/changelog.gz
has ./usr/share/man/man1/textcrypt.1.gz
has ./usr/share/man/man1/textcrypt-cli.1.gz
has ./usr/share/bash-completion/completions/textcrypt-cli

# Run as root, lintian says it should not be, and goes on: no finding.
lintian_status=0
lintian --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1 || lintian_status=$?
grep -v 'running with root privileges' "$work/lintian.log" || true
[ "$lintian_status" -eq 0 ] || fail "lintian found errors or warnings (status $lintian_status)"

dpkg-deb -x "$deb" "$work/root"
for page in textcrypt textcrypt-cli; do
  shown=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$work/root/usr/share/man/man1/$page.1.gz" 2>&1)
  grep -q "^名称" <<<"$shown" && grep -qE "^ +$page - " <<<"$shown" ||
    fail "man -l does not show $page(1): $(head -5 <<<"$shown")"
done
# bash-completion finds the completion in the package's share folder, as it
# would in /usr/share once installed.
loaded=$(XDG_DATA_DIRS="$work/root/usr/share" BASH_COMPLETION_USER_DIR="$work/none" bash -c '
  source /usr/share/bash-completion/bash_completion
  __load_completion textcrypt-cli && complete -p textcrypt-cli' 2>&1)
[[ $loaded == *'-F _textcrypt_cli textcrypt-cli' ]] || fail "bash-completion does not load it: $loaded"
grep -q '^License: Expat$' "$work/root/usr/share/doc/textcrypt/copyright" || fail "copyright licence"
desktop-file-validate "$work/root/usr/share/applications/$id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$work/root/usr/share/metainfo/$id.metainfo.xml" ||
  fail "appstreamcli validate"
appstreamcli validate-tree --no-net "$work/root" >"$work/tree.log" 2>&1 || {
  cat "$work/tree.log"
  fail "appstreamcli validate-tree"
}

entry="$work/root/usr/share/applications/$id.desktop"
grep -qxF 'Name=Tarnevok特制文本加密工具' "$entry" || fail "desktop entry name"
grep -qxF "Icon=$id" "$entry" || fail "desktop entry icon"
grep -qF '<project_license>MIT</project_license>' "$work/root/usr/share/metainfo/$id.metainfo.xml" ||
  fail "metainfo licence"
grep -qE '^Categories=(.*;)?Utility;(.*;)?Security;' "$entry" || fail "desktop entry categories"

for size in 16 22 24 32 48 64 128; do
  icon="$work/root/usr/share/icons/hicolor/${size}x${size}/apps/$id.png"
  file -b "$icon" | grep -q "^PNG image data, $size x $size, 8-bit/color RGBA" ||
    fail "icon ${size}: $(file -b "$icon")"
done

depends=$(dpkg-deb -f "$deb" Depends)
echo "depends: $depends"
for library in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6; do
  tr ',' '\n' <<<"$depends" | awk '{print $1}' | grep -qxF "$library" || fail "Depends lacks $library"
done

tr ',' '\n' <<<"$(dpkg-deb -f "$deb" Recommends)" | awk '{print $1}' | grep -qxF qt6-wayland ||
  fail "Recommends lacks qt6-wayland"

ciphertext=$(printf '你好' | LC_ALL=C.UTF-8 "$work/root/usr/bin/textcrypt-cli" encrypt --key=密钥 2>/dev/null)
[ "$ciphertext" = "+AUR+g==" ] || fail "packaged textcrypt-cli gave '$ciphertext'"

if [ "$failures" -gt 0 ]; then
  echo "$failures package check(s) failed"
  exit 1
fi
echo "package checks passed"
