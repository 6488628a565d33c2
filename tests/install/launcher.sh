#!/bin/sh
# Installs into a temporary prefix and starts the installed command the way a
# user does: the first start makes the program folder in the XDG data home,
# a later start keeps everything the user changed there.
set -eu
. "$(dirname "$0")/common.sh"

prefix=$tmp/prefix
install_into "$prefix"
shipped=$prefix/share/trawlix-shipped

# First start: the data home does not exist yet.
export XDG_DATA_HOME="$tmp/data"
folder=$XDG_DATA_HOME/trawlix
export TRAWLIX_TEST_MARK=passed-through
start_program "$folder" "$prefix/bin/trawlix" first-argument "two words"

# The launcher became the program (no shell left waiting), in the folder,
# with the arguments and the environment it was given.
[ "$(readlink "/proc/$pid/exe")" = "$(readlink -f "$prefix/libexec/trawlix/trawlix")" ] ||
  fail "the launcher did not replace itself by the program: $(readlink "/proc/$pid/exe")"
[ "$(readlink "/proc/$pid/cwd")" = "$(readlink -f "$folder")" ] ||
  fail "the program runs in $(readlink "/proc/$pid/cwd"), not in $folder"
tr '\0' '\n' <"/proc/$pid/cmdline" | tail -n 2 >"$tmp/args"
printf 'first-argument\ntwo words\n' | cmp -s - "$tmp/args" || fail "arguments changed: $(cat "$tmp/args")"
tr '\0' '\n' <"/proc/$pid/environ" | grep -qx 'TRAWLIX_TEST_MARK=passed-through' ||
  fail "environment not passed through"
stop_program

# What the first start made.
cmp -s "$shipped/settings.ini" "$folder/settings.ini" || fail "settings.ini is not the default one"
[ ! -L "$folder/settings.ini" ] || fail "settings.ini is a link: the program could not write it"
[ -w "$folder/settings.ini" ] || fail "settings.ini is not writable"
[ -L "$folder/lng/German.lng" ] && [ "$(readlink "$folder/lng/German.lng")" = "$(readlink -f "$shipped/lng/German.lng")" ] ||
  fail "lng/German.lng does not lead straight to the shipped file: $(readlink "$folder/lng/German.lng")"
[ -d "$folder/help" ] || fail "no help folder"
[ "$(stat -c %a "$folder")" = 700 ] || fail "program folder is not private: $(stat -c %a "$folder")"
[ -z "$(find "$folder" -name '.settings.ini.*')" ] || fail "temporary settings copy left behind"

# The user changes the settings, replaces a shipped language file by an own
# version, adds a language, and an upgrade has dropped a shipped file.
sed 's/^Language=English$/Language=Deutsch/' "$folder/settings.ini" >"$tmp/changed.ini"
printf '[Patterns]\nPattern1=*.iso\n' >>"$tmp/changed.ini"
cp "$tmp/changed.ini" "$folder/settings.ini"
rm "$folder/lng/German.lng"
printf '[Language]\nLanguage=Deutsch (mine)\n' >"$folder/lng/German.lng"
cp "$folder/lng/German.lng" "$tmp/mine.lng"
printf '[Language]\nLanguage=Other\n' >"$folder/lng/Other.lng"
ln -s "$shipped/lng/Dropped.lng" "$folder/lng/Dropped.lng"
ln -s "$prefix/share/trawlix/lng/Former.lng" "$folder/lng/Former.lng"
# The user's own dangling link, into a folder that looks like a shipped one.
ln -s "$tmp/elsewhere/trawlix/lng/Away.lng" "$folder/lng/Away.lng"
rm "$folder/tasks.ini"

# Second start.
start_program "$folder" "$prefix/bin/trawlix"
stop_program
cmp -s "$tmp/changed.ini" "$folder/settings.ini" || fail "the changed settings.ini was replaced"
cmp -s "$tmp/mine.lng" "$folder/lng/German.lng" || fail "the user's own language file was replaced"
[ -f "$folder/lng/Other.lng" ] || fail "the user's added language file is gone"
[ ! -L "$folder/lng/Dropped.lng" ] || fail "a link to a dropped shipped file stays"
[ ! -L "$folder/lng/Former.lng" ] || fail "a link into the former shipped folder stays"
[ -L "$folder/lng/Away.lng" ] || fail "the user's own link was removed"

# A file shipped later is linked on the next start without touching the rest.
printf '[Language]\nLanguage=New\n' >"$shipped/lng/New.lng"
rm "$folder/tasks.ini"
start_program "$folder" "$prefix/bin/trawlix"
stop_program
[ -L "$folder/lng/New.lng" ] || fail "a newly shipped language file was not linked"
cmp -s "$tmp/changed.ini" "$folder/settings.ini" || fail "settings.ini changed on the third start"

# A relative XDG_DATA_HOME is ignored for ~/.local/share, and the command
# works when reached through a link, as from a folder on the PATH.
mkdir -p "$tmp/path"
ln -s "$prefix/bin/trawlix" "$tmp/path/trawlix"
export XDG_DATA_HOME=relative/data
start_program "$HOME/.local/share/trawlix" "$tmp/path/trawlix"
stop_program
[ ! -e relative ] || fail "a relative data home was used"
cmp -s "$shipped/settings.ini" "$HOME/.local/share/trawlix/settings.ini" ||
  fail "no default settings.ini under ~/.local/share/trawlix"

# A program folder that cannot be made is reported, not ignored.
mkdir -p "$tmp/blocked"
: >"$tmp/blocked/trawlix"
if XDG_DATA_HOME="$tmp/blocked" timeout 300 "$prefix/bin/trawlix" >"$tmp/blocked.log" 2>&1; then
  fail "the launcher went on without a program folder"
fi
grep -q '^trawlix: ' "$tmp/blocked.log" || fail "no message when the program folder cannot be made"
if env -u HOME -u XDG_DATA_HOME timeout 300 "$prefix/bin/trawlix" >"$tmp/nohome.log" 2>&1; then
  fail "the launcher went on without HOME or XDG_DATA_HOME"
fi
grep -q '^trawlix: ' "$tmp/nohome.log" || fail "no message without HOME or XDG_DATA_HOME"
echo "install_launcher: ok"
