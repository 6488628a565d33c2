#!/bin/sh
# The install route without root, `cmake --install build --prefix ~/.local`,
# into a home whose program folder the user has changed: neither the install
# nor the next start changes anything of the user's.
set -eu
. "$(dirname "$0")/common.sh"

folder=$HOME/.local/share/trawlix
mkdir -p "$folder/lng" "$folder/help" "$folder/downloads"
printf '[General]\nLanguage=Deutsch\n[Patterns]\nPattern1=*.iso\n' >"$folder/settings.ini"
printf '[Language]\nLanguage=Deutsch (mine)\n' >"$folder/lng/German.lng"
printf '[Task1]\nName=mine\n' >"$folder/tasks.ini"
printf 'kept\n' >"$folder/downloads/file.txt"
# A dangling link of the user's own, into a folder that merely looks like one
# of the program's.
ln -s "$tmp/gone/trawlix/lng/Old.lng" "$folder/lng/Old.lng"

snapshot() {
  (cd "$folder" && find . -type f -exec sha256sum {} + | sort &&
    find . -type l -printf '%p -> %l\n' | sort)
}
snapshot >"$tmp/before"

install_into "$HOME/.local"
snapshot >"$tmp/after-install"
cmp -s "$tmp/before" "$tmp/after-install" ||
  fail "the install changed the user's program folder: $(diff "$tmp/before" "$tmp/after-install")"

rm "$folder/tasks.ini"  # the start signal; put back below
start_program "$folder" "$HOME/.local/bin/trawlix"
stop_program
printf '[Task1]\nName=mine\n' >"$folder/tasks.ini"
# The start adds links to shipped files it lacked, and nothing else.
snapshot | grep -v -- "-> $HOME/.local/share/trawlix-shipped/" >"$tmp/after-start"
cmp -s "$tmp/before" "$tmp/after-start" ||
  fail "the start changed the user's files: $(diff "$tmp/before" "$tmp/after-start")"
[ -L "$folder/help" ] || [ -d "$folder/help" ] || fail "no help folder"
echo "install_home: ok"
