#!/usr/bin/env bash
# Builds the Debian package, checks it with lintian (no error, no warning),
# unpacks it into a temporary root (no root needed), checks its files, its
# dependencies and its metadata with the freedesktop validators, and starts the
# unpacked program from another folder through its /usr/bin link under Xvfb: it
# must show its main window on its data set, with the window class that the
# desktop entry names, and end cleanly.
#
# Usage: tests/package/check_package.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(realpath "$1")
src=$(realpath "$2")
work=$(realpath "$(mktemp -d)")
trap 'rm -rf "$work"' EXIT
fail() {
  echo "check_package: $*" >&2
  exit 1
}

cmake --build "$build" --target aevorium aev_icons aev_package_docs aev_screenshot >/dev/null
(cd "$build" && cpack -G DEB -B "$work/pkg" >/dev/null)
deb="$work/pkg/aevorium_2.3.2_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no $(basename "$deb") in: $(ls "$work/pkg")"

# Tags of level info and pedantic are allowed; the package's own folder holds
# its pages and pictures beside the program, which reads them from there.
lintian -I --fail-on error,warning "$deb" >"$work/lintian.txt" 2>&1 ||
  fail "lintian reports errors or warnings: $(cat "$work/lintian.txt")"

depends=$(dpkg-deb -f "$deb" Depends)
for dep in libqt6widgets6 libqt6openglwidgets6 libjpeg62-turbo libpng16-16 fonts-liberation qt6-translations-l10n; do
  [[ "$depends" == *"$dep"* ]] || fail "Depends lacks $dep: $depends"
done

root="$work/root"
dpkg-deb -x "$deb" "$root"
id=fr.aevorium.Aevorium
for f in usr/lib/aevorium/aevorium usr/lib/aevorium/Donnees.ini usr/lib/aevorium/Echelle.ini \
         usr/lib/aevorium/Evenement.ini usr/lib/aevorium/Echelle_geol.dat usr/lib/aevorium/Credits.rtf \
         usr/lib/aevorium/Aevorium.html usr/share/applications/$id.desktop \
         usr/share/metainfo/$id.metainfo.xml usr/share/mime/packages/$id.xml \
         usr/share/icons/hicolor/scalable/apps/$id.svg usr/share/aevorium/fenetre-principale.png \
         usr/share/doc/aevorium/copyright usr/share/doc/aevorium/changelog.gz \
         usr/share/man/man1/aevorium.1.gz usr/share/man/fr/man1/aevorium.1.gz; do
  [ -f "$root/$f" ] || fail "missing $f"
done
# The whole data folder beside the executable.
(cd "$src/data" && find . -type f | sort) >"$work/data.txt"
(cd "$root/usr/lib/aevorium" && find . -type f ! -name aevorium | sort) >"$work/installed.txt"
diff -u "$work/data.txt" "$work/installed.txt" || fail "the data folder differs from data/"
[ "$(readlink "$root/usr/bin/aevorium")" = "../lib/aevorium/aevorium" ] || fail "/usr/bin/aevorium is not the relative link"
for size in 48 128 256; do
  file "$root/usr/share/icons/hicolor/${size}x${size}/apps/$id.png" | grep -q "PNG image data, $size x $size" ||
    fail "no $size pixel icon"
done

[ "$(dpkg-parsechangelog -l "$root/usr/share/doc/aevorium/changelog.gz" -S Version)" = \
  "$(dpkg-deb -f "$deb" Version)" ] || fail "the changelog's last entry is not the package's version"

desktop-file-validate "$root/usr/share/applications/$id.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" >/dev/null ||
  appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml"
# The MIME type: the shared database compiled from the package's file alone.
mkdir -p "$work/mime/packages"
cp "$root/usr/share/mime/packages/$id.xml" "$work/mime/packages/"
update-mime-database "$work/mime"
grep -q "application/x-aevorium-events:\*\.aev" "$work/mime/globs2" || fail "*.aev is not in the MIME database"
grep -q "application/x-aevorium-tour:\*\.aevp" "$work/mime/globs2" || fail "*.aevp is not in the MIME database"

# Started from elsewhere through the link, as the desktop entry does for an event
# file, the program finds its data set in its own folder and opens the file.
mkdir "$work/elsewhere"
cd "$work/elsewhere"
printf '[-65,000]\r\nEvenement=Essai\r\n' >essai.aev
out=$(xvfb-run -a -s "-screen 0 1280x1024x24" "$src/tools/run_window.sh" "$root/usr/bin/aevorium" essai.aev)
echo "$out"
echo "$out" | grep -q "folder: $root/usr/lib/aevorium/ scale rows: [1-9][0-9]* events: [1-9]" ||
  fail "the program did not start on the data set of its own folder"
echo "$out" | grep -q "event file \"$work/elsewhere/essai.aev\" events: 1 custom: true" ||
  fail "the program did not open the event file it was given"
wmclass=$(sed -n 's/^StartupWMClass=//p' "$root/usr/share/applications/$id.desktop")
echo "$out" | grep -q "^window class: \"aevorium\", \"$wmclass\"$" ||
  fail "the window's class is not the desktop entry's StartupWMClass ($wmclass)"
grep -v "root privileges" "$work/lintian.txt" || true
echo "check_package: $(basename "$deb"), $(stat -c %s "$deb") bytes; Depends: $depends"
