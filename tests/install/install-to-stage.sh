# Sourced by the checks of an installed Brevanor: installs the build folder $1
# into a staging folder of its own, removed when the check ends, and gives
# $stage (the folder) and $prefix (the installed tree in it).
set -euo pipefail
build=${1:?usage: $0 BUILD-FOLDER}
stage=$(mktemp -d "${TMPDIR:-/tmp}/brevanor-install-XXXXXX")
trap 'rm -rf "$stage"' EXIT
prefix=$stage/usr
cmake --install "$build" --prefix "$prefix" >"$stage/install.log"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
