#!/usr/bin/env bash
# Fetches the free PDF reader SumatraPDF (64-bit, 3.3.3, GPLv3) for the
# Windows tests: the copy that the npm registry package cmd-printer 1.0.0
# ships, checked against the package's integrity hash, installed as
# <folder>/SumatraPDF-3.3.3-64.exe. Nothing is fetched when it is there.
#
#   scripts/fetch-sumatra.sh <folder>
set -euo pipefail
# shellcheck source=scripts/lib.sh
source "$(dirname "$0")/lib.sh"

[[ $# -eq 1 ]] || fail "usage: fetch-sumatra.sh <folder>"
package=cmd-printer-1.0.0.tgz
url=https://registry.npmjs.org/cmd-printer/-/$package
integrity=sha512-mRM9/ud3t1tIezK4S+55hpj04vKWJmBYdB6JA3hUZbXKN/Qq8NVYt3X/bEY5iG7+lAl+cwLiJVW+qK/NerZWIg==
reader=$1/SumatraPDF-3.3.3-64.exe

mkdir -p "$1"
[[ -s "$reader" && -s "$1/$package.ok" ]] && exit 0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if command -v npm >/dev/null; then
    (cd "$work" && npm pack --silent cmd-printer@1.0.0 >/dev/null) || fail "npm pack cmd-printer@1.0.0 failed"
else
    curl -fsSL -o "$work/$package" "$url" || fail "cannot fetch $url"
fi
got=sha512-$(openssl dgst -sha512 -binary "$work/$package" | base64 -w0)
[[ "$got" == "$integrity" ]] || fail "$package has the hash $got, not the package's $integrity"
tar -xzf "$work/$package" -C "$work" package/bin/sumatra-pdf-x64.exe || fail "no 64-bit reader in $package"
install -m 0755 "$work/package/bin/sumatra-pdf-x64.exe" "$reader"
echo "$integrity" >"$1/$package.ok"
echo "fetch-sumatra.sh: $reader"
