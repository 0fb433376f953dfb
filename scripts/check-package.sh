#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a scratch folder and runs the
# unpacked quorvant-cli on a copy of the demo (export with its workbook, then
# validate, then the summary): the package holds what the program needs to
# find, the schema included.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
deb=$("$here/scripts/package.sh")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

echo "Package: $deb"
dpkg-deb -f "$deb" Package Version Architecture Depends
dpkg-deb -x "$deb" "$scratch/root"
cli="$scratch/root/usr/bin/quorvant-cli"
for f in usr/bin/quorvant usr/share/quorvant/ACES_DLR.xsd usr/share/quorvant/manual.html usr/share/quorvant/demo/KOLV.Bat \
         usr/share/applications/org.quorvant.Quorvant.desktop \
         usr/share/icons/hicolor/scalable/apps/org.quorvant.Quorvant.svg \
         usr/share/metainfo/org.quorvant.Quorvant.metainfo.xml usr/share/man/man1/quorvant-cli.1.gz; do
  [ -f "$scratch/root/$f" ] || { echo "The package lacks $f"; exit 1; }
done

desktop-file-validate "$scratch/root/usr/share/applications/org.quorvant.Quorvant.desktop"
appstreamcli validate --no-net "$scratch/root/usr/share/metainfo/org.quorvant.Quorvant.metainfo.xml"
# Errors fail the check; warnings are shown.
lintian --fail-on error "$deb"

# The demo without its own schema: the installed one must be found.
cp -R "$here/data/demo" "$scratch/demo"
rm -f "$scratch/demo/ACES_DLR.xsd"
written=$("$cli" --app-dir "$scratch/demo" export --company 1 --period 14041503 \
  --registration AAACB1234CXM001 --year 2014 --quarter Apr-Jun --xlsx)
returned=$(sed -n 1p <<<"$written")
workbook=$(sed -n 2p <<<"$written")
"$cli" --app-dir "$scratch/demo" validate "$returned"
[ -s "$workbook" ] || { echo "The installed program wrote no workbook"; exit 1; }
"$cli" --app-dir "$scratch/demo" summary --company 1 --period 14041503 --format csv >/dev/null
echo "The package check passed."
