#!/bin/sh
# The installed desktop entry, AppStream metadata and icons pass the
# freedesktop validators and fit together.
set -eu
. "$(dirname "$0")/common.sh"

for tool in desktop-file-validate appstreamcli; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing (scripts/setup installs it)"; exit 77; }
done

prefix=$tmp/prefix
install_into "$prefix"
share=$prefix/share

set -- "$share"/applications/*.desktop
[ $# -eq 1 ] && [ -f "$1" ] || fail "expected one desktop entry, found: $*"
desktop=$1
id=$(basename "$desktop" .desktop)
metainfo=$share/metainfo/$id.metainfo.xml
[ -f "$metainfo" ] || fail "no metainfo named after the desktop entry $id"

desktop-file-validate "$desktop" >"$tmp/desktop.log" 2>&1 || fail "desktop-file-validate: $(cat "$tmp/desktop.log")"
# Informational hints are not faults; warnings and errors are.
appstreamcli validate --no-net "$metainfo" >"$tmp/appstream.log" 2>&1 ||
  fail "appstreamcli validate: $(cat "$tmp/appstream.log")"

key() { sed -n "s/^$1=//p" "$desktop" | head -n 1; }
# The entry starts the launcher, the command on the PATH, not the program.
[ "$(key Exec)" = trawlix ] || fail "Exec is '$(key Exec)', not the launcher"
[ -x "$prefix/bin/$(key Exec)" ] || fail "the command of Exec is not installed in bin"
# The program's windows carry its file name as their class; that groups
# them under this entry.
[ "$(key StartupWMClass)" = trawlix ] && [ -x "$prefix/libexec/trawlix/trawlix" ] ||
  fail "StartupWMClass does not name the installed program"

# The metadata names this entry and the command.
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" || fail "metainfo launches another entry"
grep -q "<id>$id</id>" "$metainfo" || fail "metainfo id differs from the entry's"
grep -q '<binary>trawlix</binary>' "$metainfo" || fail "metainfo does not provide the command"
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
grep -q "<release version=\"$version\"" "$metainfo" || fail "no release $version in metainfo"
# The manual page and the changelog carry the same version.
gzip -dc "$share/man/man1/trawlix.1.gz" | grep -q "^\.TH TRAWLIX 1 .* \"Trawlix $version\"" ||
  fail "the manual page is not of version $version"
gzip -dc "$share/doc/trawlix/changelog.gz" | head -n 1 | grep -q "^trawlix ($version) " ||
  fail "the changelog's latest entry is not version $version"

# Every size the icon theme looks in holds the icon at that size.
icon=$(key Icon)
[ "$icon" = "$id" ] || fail "the icon is not named after the entry"
grep -q '<svg' "$share/icons/hicolor/scalable/apps/$icon.svg" || fail "no scalable icon"
for size in 16 22 24 32 48 64 128 256; do
  png=$share/icons/hicolor/${size}x${size}/apps/$icon.png
  [ -f "$png" ] || fail "no ${size}x${size} icon"
  file "$png" | grep -q "PNG image data, $size x $size, 8-bit/color RGBA" ||
    fail "$png is not a ${size}x${size} PNG with transparency: $(file -b "$png")"
done
echo "install_desktop_files: ok"
