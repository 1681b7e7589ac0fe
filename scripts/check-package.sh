#!/usr/bin/env bash
# check-package.sh READER_DEB DEMO_DEB: the reader's package holds the programs, their manual pages, the
# menu entry, metainfo and icon, depends on the web view's libraries and helper and on the fonts the
# notes need, and recommends the demo; the demo's package holds the library for any architecture; and
# lintian finds no error and no warning in either.
set -euo pipefail
deb=$1 demo=$2 app=org.velmora.velmoranote
fail() { echo "FAIL: $*" >&2; exit 1; }
has() { # has DEB FILE...
  local contents; contents=$(dpkg-deb -c "$1"); shift
  for f in "$@"; do grep -q " $f\$" <<<"$contents" || fail "the package lacks $f"; done
}
has "$deb" ./usr/bin/velmoranote ./usr/bin/velmora-notes ./usr/share/applications/$app.desktop \
    ./usr/share/metainfo/$app.metainfo.xml ./usr/share/icons/hicolor/48x48/apps/$app.png \
    ./usr/share/man/man1/velmoranote.1.gz ./usr/share/man/man1/velmora-notes.1.gz \
    ./usr/share/doc/velmoranote/copyright ./usr/share/doc/velmoranote/changelog.gz
has "$demo" ./usr/share/velmoranote/demo/velmora200_k.xml ./usr/share/velmoranote/demo/readme.pdf \
    ./usr/share/doc/velmoranote-demo/copyright
! dpkg-deb -c "$deb" | grep -q ' ./usr/share/velmoranote/demo/' || fail "the demo library is in the reader's package"
depends=$(dpkg-deb -f "$deb" Depends)
for d in libqt6webenginewidgets6 libqt6webenginecore6-bin libqt6pdf fonts-noto-cjk; do
  grep -q "$d" <<<"$depends" || fail "$deb does not depend on $d: $depends"
done
grep -q velmoranote-demo <<<"$(dpkg-deb -f "$deb" Recommends)" || fail "$deb does not recommend the demo"
[ "$(dpkg-deb -f "$demo" Architecture)" = all ] || fail "$demo is not architecture-independent"
# Errors and warnings fail the check; the informational tags are shown.
lintian --fail-on error,warning --info "$deb" "$demo" || fail "lintian found errors or warnings"
echo "$deb, $demo: contents, dependencies and lintian OK"
