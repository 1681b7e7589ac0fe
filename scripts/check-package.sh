#!/usr/bin/env bash
# check-package.sh DEB: the package holds the program, its menu entry, metainfo, icon and demo library,
# and depends on the web view's libraries and helper and on the fonts the notes need.
set -euo pipefail
deb=$1 app=org.velmora.velmoranote
fail() { echo "FAIL: $*" >&2; exit 1; }
contents=$(dpkg-deb -c "$deb")
for f in ./usr/bin/velmoranote ./usr/share/applications/$app.desktop ./usr/share/metainfo/$app.metainfo.xml \
         ./usr/share/icons/hicolor/48x48/apps/$app.png ./usr/share/velmoranote/demo/velmora200_k.xml; do
  grep -q " $f\$" <<<"$contents" || fail "$deb lacks $f"
done
depends=$(dpkg-deb -f "$deb" Depends)
for d in libqt6webenginewidgets6 libqt6webenginecore6-bin fonts-noto-cjk; do
  grep -q "$d" <<<"$depends" || fail "$deb does not depend on $d: $depends"
done
echo "$deb: contents and dependencies OK"
