# Shared by the installation tests: a temporary folder removed at exit, a
# failure message, and starting and stopping the installed program.
# Sourced with the build folder as $1.

build=$(cd "$1" && pwd)
tmp=$(mktemp -d "${TMPDIR:-/tmp}/trawlix-install.XXXXXX")
pid=
cd "$tmp"

cleanup() {
  if [ -n "$pid" ]; then
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  fi
  # A launcher that fails to replace itself leaves the program as its child:
  # end every process running a binary from this test's folder.
  for exe in /proc/[0-9]*/exe; do
    case $(readlink "$exe" 2>/dev/null) in
      "$tmp"/*)
        other=${exe#/proc/}
        kill "${other%/exe}" 2>/dev/null || true
        ;;
    esac
  done
  rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 1' HUP INT TERM

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Installs the build into prefix $1.
install_into() {
  cmake --install "$build" --prefix "$1" >"$tmp/install.log" 2>&1 ||
    fail "install into $1: $(cat "$tmp/install.log")"
}

# The program offscreen, on an empty simulated network (no traffic leaves
# this machine), with a home of its own so nothing outside $tmp is touched.
mkdir -p "$tmp/home" "$tmp/network"
export QT_QPA_PLATFORM=offscreen
export TRAWLIX_NETWORK="$tmp/network"
export HOME="$tmp/home"
export XDG_CONFIG_HOME="$tmp/home/.config" XDG_CACHE_HOME="$tmp/home/.cache"
unset XDG_DATA_HOME

# Runs the command "$2..." in the background and waits until the program
# has shown its main window in program folder $1: it makes tasks.ini there
# when the window is first shown. Leaves the process id in $pid.
start_program() {
  folder=$1
  shift
  "$@" >"$tmp/program.log" 2>&1 &
  pid=$!
  polls=0
  while [ ! -e "$folder/tasks.ini" ]; do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid" && rc=0 || rc=$?
      pid=
      fail "the program ended (status $rc) before showing its window: $(cat "$tmp/program.log")"
    fi
    # A generous bound only, so that a hang fails instead of blocking.
    polls=$((polls + 1))
    [ "$polls" -lt 3000 ] || fail "the program did not show its window in $folder"
    sleep 0.1
  done
}

stop_program() {
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  pid=
}
