#!/bin/sh
# Builds the Debian package into a temporary folder, checks it with lintian,
# checks its declared dependencies and contents, and starts the command it
# installs from the unpacked files. Second argument: 1 when the build has the
# NetBIOS helper.
set -eu
. "$(dirname "$0")/common.sh"
has_helper=${2:-0}

cpack --config "$build/CPackConfig.cmake" -B "$tmp/out" >"$tmp/cpack.log" 2>&1 ||
  fail "cpack: $(cat "$tmp/cpack.log")"
set -- "$tmp"/out/trawlix_*.deb
[ $# -eq 1 ] && [ -f "$1" ] || fail "expected one trawlix_*.deb, found: $*"
deb=$1

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = trawlix ] || fail "package name $(field Package)"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "architecture $(field Architecture)"

# lintian, as a distribution runs it: no error and no warning (overrides,
# each with its reason, in packaging/lintian-overrides). Informational tags
# about hardening are expected here: this build is not made with Debian's
# hardened flags, as scripts/package makes it.
command -v lintian >/dev/null || { echo "SKIP: lintian is missing (scripts/setup installs it)"; exit 77; }
lintian -I --pedantic --fail-on error,warning "$deb" >"$tmp/lintian.log" 2>&1 ||
  fail "lintian: $(cat "$tmp/lintian.log")"

# Depends names each package once, and exactly the packages of the
# libraries the packaged binaries link.
dpkg-deb -x "$deb" "$tmp/root"
depends=$(field Depends | tr ',' '\n' | sed 's/(.*)//; s/[[:space:]]//g' | sort)
[ -z "$(printf '%s\n' "$depends" | uniq -d)" ] || fail "Depends names a package twice: $(field Depends)"
for binary in $(find "$tmp/root" -type f -perm -u+x); do
  file -b "$binary" | grep -q '^ELF' || continue
  for library in $(objdump -p "$binary" | sed -n 's/^ *NEEDED *//p'); do
    path=$(ldd "$binary" | awk -v l="$library" '$1 == l { print $3; exit }')
    [ -f "$path" ] || fail "$binary needs $library, which this system lacks"
    # The owner of the path as the loader found it, or as the file really lies.
    { dpkg -S "$path" || dpkg -S "$(readlink -f "$path")"; } 2>/dev/null | head -n 1 | sed 's/:.*//'
  done
done | sort -u >"$tmp/used"
[ -s "$tmp/used" ] || fail "no linked library found in the package"
printf '%s\n' "$depends" >"$tmp/declared"
cmp -s "$tmp/used" "$tmp/declared" ||
  fail "Depends differs from the libraries the binaries link (< linked, > declared): $(diff "$tmp/used" "$tmp/declared")"
case ", $(field Recommends)," in
  *", xdg-utils,"*) ;;
  *) fail "xdg-utils is not recommended: $(field Recommends)" ;;
esac

dpkg-deb -c "$deb" >"$tmp/contents"
owned_by_root() {
  grep -Eq "^$1 root/root .* \\./usr/$2\$" "$tmp/contents" || fail "usr/$2 missing or not $1 root/root"
}
owned_by_root -rwxr-xr-x bin/trawlix
owned_by_root -rwxr-xr-x libexec/trawlix/trawlix
owned_by_root -rw-r--r-- share/trawlix-shipped/settings.ini
owned_by_root -rw-r--r-- share/trawlix-shipped/lng/German.lng
owned_by_root -rw-r--r-- share/applications/org.trawlix.Trawlix.desktop
owned_by_root -rw-r--r-- share/metainfo/org.trawlix.Trawlix.metainfo.xml
owned_by_root -rw-r--r-- share/icons/hicolor/256x256/apps/org.trawlix.Trawlix.png
owned_by_root -rw-r--r-- share/icons/hicolor/scalable/apps/org.trawlix.Trawlix.svg
owned_by_root -rw-r--r-- share/man/man1/trawlix.1.gz
owned_by_root -rw-r--r-- share/doc/trawlix/copyright
owned_by_root -rw-r--r-- share/doc/trawlix/changelog.gz
if [ "$has_helper" = 1 ]; then
  owned_by_root -rwxr-xr-x libexec/trawlix/trawlix-nbbrowse
  owned_by_root -rwxr-xr-x libexec/trawlix/trawlix-smbread
fi
! grep -q '\./usr/local/' "$tmp/contents" || fail "files under /usr/local in the package"
! grep -q '\.gitkeep' "$tmp/contents" || fail "placeholder files in the package"

# The packaged, stripped program starts on this system's libraries.
export XDG_DATA_HOME="$tmp/data"
start_program "$XDG_DATA_HOME/trawlix" "$tmp/root/usr/bin/trawlix"
stop_program
echo "install_package: ok"
