#!/bin/sh
# Builds the Debian package into a temporary folder, checks its declared
# dependencies and contents, and starts the command it installs from the
# unpacked files. Second argument: 1 when the build has the NetBIOS helper.
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
depends=$(field Depends)
for need in libqt6widgets6 qt6-qpa-plugins samba-libs libsecret-1-0 'libsmbclient0 | libsmbclient'; do
  case ", $depends," in
    *", $need"[\ ,]*) ;;
    *) fail "Depends lacks $need: $depends" ;;
  esac
done

dpkg-deb -c "$deb" >"$tmp/contents"
owned_by_root() {
  grep -Eq "^$1 root/root .* \\./usr/$2\$" "$tmp/contents" || fail "usr/$2 missing or not $1 root/root"
}
owned_by_root -rwxr-xr-x bin/trawlix
owned_by_root -rwxr-xr-x libexec/trawlix/trawlix
owned_by_root -rw-r--r-- share/trawlix/settings.ini
owned_by_root -rw-r--r-- share/trawlix/lng/German.lng
owned_by_root -rw-r--r-- share/applications/org.trawlix.Trawlix.desktop
owned_by_root -rw-r--r-- share/metainfo/org.trawlix.Trawlix.metainfo.xml
owned_by_root -rw-r--r-- share/icons/hicolor/256x256/apps/org.trawlix.Trawlix.png
if [ "$has_helper" = 1 ]; then
  owned_by_root -rwxr-xr-x libexec/trawlix/trawlix-nbbrowse
fi
! grep -q '\./usr/local/' "$tmp/contents" || fail "files under /usr/local in the package"
! grep -q '\.gitkeep' "$tmp/contents" || fail "placeholder files in the package"

# The packaged, stripped program starts on this system's libraries.
dpkg-deb -x "$deb" "$tmp/root"
export XDG_DATA_HOME="$tmp/data"
start_program "$XDG_DATA_HOME/trawlix" "$tmp/root/usr/bin/trawlix"
stop_program
echo "install_package: ok"
