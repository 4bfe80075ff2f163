#!/usr/bin/env bash
# Builds the Debian package from a built tree into a temporary folder and checks it: the file
# list, the version and maintainer, dependencies given as Debian package names, the shipped pages
# as built, the packaged programs answering --version, the x-www-browser alternative, and
# desktop-file-validate, appstreamcli and lintian where installed.
# Usage: package_test.sh BUILD_DIR
set -euo pipefail
build=$1
command -v dpkg-deb >/dev/null || { echo "dpkg-deb is missing: the package is not tested"; exit 77; }

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
fail() { echo "FAIL: $*"; status=1; }
status=0

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 ||
  { cat "$out/cpack.log"; exit 1; }
debs=("$out"/lumaro_*_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { ls "$out"; echo "FAIL: no single lumaro_*.deb"; exit 1; }
deb=${debs[0]}

files=$(dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|')
for expected in /usr/bin/lumaro /usr/bin/lumaro-cli \
  /usr/share/lumaro/link.htm /usr/share/lumaro/help.html \
  "/usr/share/lumaro/Lumaro浏览器的来历.htm" /usr/share/lumaro/savetemplate/savetext.htm \
  /usr/share/applications/invalid.lumaro.Lumaro.desktop \
  /usr/share/metainfo/invalid.lumaro.Lumaro.metainfo.xml \
  /usr/share/icons/hicolor/scalable/apps/lumaro.svg \
  /usr/share/man/man1/lumaro.1.gz /usr/share/man/man1/lumaro-cli.1.gz \
  /usr/share/man/zh_CN/man1/lumaro.1.gz /usr/share/man/zh_CN/man1/lumaro-cli.1.gz \
  /usr/share/doc/lumaro/copyright /usr/share/doc/lumaro/changelog.Debian.gz \
  /usr/lib/lumaro/modules/liblumaro_pdftext.so; do
  grep -qxF "$expected" <<<"$files" || fail "the package lacks $expected"
done
if command -v rsvg-convert >/dev/null; then
  grep -qxF /usr/share/icons/hicolor/48x48/apps/lumaro.png <<<"$files" || fail "no 48x48 icon"
fi
# Only shipped files: nothing of the user's, nothing of the build tree.
unexpected=$(grep -v -e '/$' -e '^/usr/bin/' -e '^/usr/share/' -e '^/usr/lib/lumaro/' <<<"$files" || true)
[ -z "$unexpected" ] || fail "files outside /usr/bin, /usr/lib/lumaro and /usr/share: $unexpected"
for user_file in portable savepath.ini href.txt email.txt profile; do
  ! grep -q "/$user_file\$\|/$user_file/" <<<"$files" || fail "the package holds $user_file"
done

[ "$(dpkg-deb -f "$deb" Version)" = 2.0-1 ] || fail "version $(dpkg-deb -f "$deb" Version)"
[[ $(dpkg-deb -f "$deb" Maintainer) == *@*.invalid\> ]] || fail "maintainer $(dpkg-deb -f "$deb" Maintainer)"
depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6webenginecore6 libqt6widgets6 libqt6pdf6 libqt6svg6 libc6 qt6-qpa-plugins \
  qt6-translations-l10n; do
  grep -qE "(^|, )$package( |,|$)" <<<"$depends" || fail "Depends lacks $package: $depends"
done
grep -qF "fonts-noto-cjk | fonts-wqy-zenhei" <<<"$depends" || fail "Depends lacks a Chinese font: $depends"
grep -qE "(^|, )qt6-wayland( |,|$)" <<<"$(dpkg-deb -f "$deb" Recommends)" ||
  fail "Recommends lacks qt6-wayland"

dpkg-deb -x "$deb" "$out/root"
dpkg-deb -e "$deb" "$out/control"
grep -q 'update-alternatives --install /usr/bin/x-www-browser x-www-browser /usr/bin/lumaro' \
  "$out/control/postinst" || fail "postinst does not offer the x-www-browser alternative"
grep -q -- '--slave /usr/share/man/man1/x-www-browser.1.gz x-www-browser.1.gz' "$out/control/postinst" ||
  fail "the x-www-browser alternative carries no man page"
grep -q 'update-alternatives --remove x-www-browser /usr/bin/lumaro' "$out/control/prerm" ||
  fail "prerm does not withdraw the x-www-browser alternative"
desktop=$out/root/usr/share/applications/invalid.lumaro.Lumaro.desktop
for type in text/html application/xhtml+xml text/xml multipart/related application/x-mimearchive \
  x-scheme-handler/http x-scheme-handler/https; do
  grep -q "^MimeType=.*$type;" "$desktop" || fail "the desktop entry does not offer $type"
done
cmp "$out/root/usr/share/lumaro/link.htm" "$build/app/link.htm" ||
  fail "the packaged link.htm differs from the staged one"
version=$("$out/root/usr/bin/lumaro" --version) || fail "the packaged lumaro --version failed"
[[ $version == "lumaro "* ]] || fail "lumaro --version said: $version"
# The packaged lumaro-cli finds the PDF reader it loads at the first PDF.
mkdir -p "$out/pdfs"
printf '%s\n' '%PDF-1.1' '1 0 obj <</Type/Catalog/Pages 2 0 R>> endobj' \
  '2 0 obj <</Type/Pages/Kids[3 0 R]/Count 1>> endobj' \
  '3 0 obj <</Type/Page/Parent 2 0 R/MediaBox[0 0 300 144]/Contents 4 0 R/Resources<</Font<</F1 5 0 R>>>>>> endobj' \
  '4 0 obj <</Length 44>> stream' 'BT /F1 18 Tf 30 70 Td (packagedpdfword) Tj ET' 'endstream endobj' \
  '5 0 obj <</Type/Font/Subtype/Type1/BaseFont/Helvetica>> endobj' 'trailer <</Root 1 0 R>>' '%%EOF' \
  >"$out/pdfs/a.pdf"
"$out/root/usr/bin/lumaro-cli" index --data-dir "$out/cli-data" "$out/pdfs" >/dev/null ||
  fail "the packaged lumaro-cli index failed"
found=$("$out/root/usr/bin/lumaro-cli" search --data-dir "$out/cli-data" packagedpdfword) ||
  fail "the packaged lumaro-cli found no text in a PDF"
[[ $found == *a.pdf* ]] || fail "the packaged lumaro-cli search said: $found"
# Read whole first: grep -q ends the pipe at its first match, and the program's next write
# would then fail with SIGPIPE, which pipefail reports as a failure.
# The toolbar's faces are compiled in as outlines, one for each button: no font draws them.
faces=$(grep -ao '<svg xmlns="http://www.w3.org/2000/svg"[^>]*><rect[^>]*/><path fill="#ffffff"' \
  "$out/root/usr/bin/lumaro" | wc -l)
[ "$faces" -ge 20 ] || fail "the program holds $faces toolbar faces drawn as outlines"
help=$("$out/root/usr/bin/lumaro" --help)
grep -q -- --data-dir <<<"$help" || fail "lumaro --help lacks --data-dir"

# A first start as a new user: the data folder and the cache in their XDG places, both closed
# to other users, and nothing of the engine's on the terminal. The start writes its stages into
# a pipe (LUMARO_STARTUP_TRACE); it is stopped once its window is shown, by when its folders are
# made and the engine has started. Rules for Qt's log given from outside would be obeyed.
home=$out/home
mkdir -m 0755 "$home"
trace=$out/start.fifo
mkfifo "$trace"
env -u QT_LOGGING_RULES HOME="$home" XDG_DATA_HOME= XDG_CACHE_HOME= QT_QPA_PLATFORM=offscreen \
  QTWEBENGINE_DISABLE_SANDBOX=1 LUMARO_STARTUP_TRACE="$trace" \
  "$out/root/usr/bin/lumaro" about:blank >"$out/start.log" 2>&1 &
started=$!
stages=
while [[ $stages != *"window shown"* ]]; do
  # Each stage opens the pipe, writes its line and closes it; a start that died writes nothing.
  stage=$(timeout 120 cat "$trace") || { fail "the start stopped after: $stages"; break; }
  stages+=$stage$'\n'
done
kill "$started" 2>/dev/null || true
wait "$started" 2>/dev/null || true
for folder in .local/share/Lumaro .cache/Lumaro; do
  mode=$(stat -c %a "$home/$folder" 2>/dev/null || echo missing)
  [ "$mode" = 700 ] || { fail "~/$folder is $mode, not 700"; cat "$out/start.log"; }
done
[ ! -e "$home/.local/share/Lumaro/profile/cache" ] || fail "the cache is in the data folder"
! grep -q "qt.webenginecontext" "$out/start.log" || fail "the start printed the engine's report"

if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$desktop" || fail "desktop entry"
else
  echo "desktop-file-validate is missing (desktop-file-utils): the desktop entry is not checked"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$out/root/usr/share/metainfo/invalid.lumaro.Lumaro.metainfo.xml" ||
    fail "AppStream metainfo"
else
  echo "appstreamcli is missing (appstream): the metainfo is not checked"
fi
if command -v lintian >/dev/null; then
  lintian --no-tag-display-limit "$deb" 2>/dev/null | tee "$out/lintian.log" || true
  ! grep -q '^[EW]:' "$out/lintian.log" || fail "lintian reports errors or warnings"
else
  echo "lintian is missing: the package is not checked by lintian"
fi
[ $status -eq 0 ] && echo "package ok: $(basename "$deb")"
exit $status
