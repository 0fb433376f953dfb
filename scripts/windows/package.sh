#!/usr/bin/env bash
# Makes the installer and the portable zip of a deployment folder:
#   scripts/windows/package.sh DEPLOY OUTDIR
# DEPLOY is named Quorvant-<version> (build.sh makes it); OUTDIR receives
# Quorvant-<version>-setup.exe and Quorvant-<version>-portable.zip.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
deploy=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
name=$(basename "$deploy")
version=${name#Quorvant-}
nsis=$out/nsis
mkdir -p "$nsis"

# The file lists for installing and uninstalling, then makensis.
(
  cd "$deploy"
  find . -mindepth 1 -type d | sed 's|^\./||' | sort | while read -r d; do
    echo "CreateDirectory \"\$INSTDIR\\${d//\//\\}\""
  done
  find . -type f | sed 's|^\./||' | sort | while read -r f; do
    echo "File \"/oname=${f//\//\\}\" \"$deploy/$f\""
  done
) >"$nsis/install.nsh"
(
  cd "$deploy"
  find . -type f | sed 's|^\./||' | sort | while read -r f; do
    echo "Delete \"\$INSTDIR\\${f//\//\\}\""
  done
  find . -mindepth 1 -type d | sed 's|^\./||' | sort -r | while read -r d; do
    echo "RMDir \"\$INSTDIR\\${d//\//\\}\""
  done
) >"$nsis/uninstall.nsh"
setup=$out/$name-setup.exe
makensis -V2 -DVERSION="$version" -DOUTFILE="$setup" -DFILES="$nsis/install.nsh" -DUNFILES="$nsis/uninstall.nsh" \
  -DSIZE_KB="$(du -sk "$deploy" | cut -f1)" "$here/quorvant.nsi"

zip=$out/$name-portable.zip
rm -f "$zip"
(cd "$deploy/.." && zip -qr9 "$zip" "$name")
echo "Built $setup"
echo "Built $zip"
