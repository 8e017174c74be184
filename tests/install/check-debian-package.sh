#!/usr/bin/env bash
# check-debian-package.sh BUILD-FOLDER: builds the Debian package from the build
# folder, as `scripts/dev package` does, and checks what it declares and holds.
set -euo pipefail
build=${1:?usage: $0 BUILD-FOLDER}
out=$(mktemp -d "${TMPDIR:-/tmp}/brevanor-package-XXXXXX")
trap 'rm -rf "$out"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

cpack --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 || { cat "$out/cpack.log"; fail "cpack failed"; }
package=$(find "$out" -maxdepth 1 -name 'brevanor_*.deb')
[ -n "$package" ] || fail "cpack made no brevanor_*.deb"
info=$(dpkg-deb --info "$package")
echo "$info"
depends=$(sed -n 's/^ Depends: //p' <<<"$info")
# Libraries the programs link, found by dpkg-shlibdeps, and what they load at run time.
for needed in libqt6widgets6 libx11-6 libxtst6 libwayland-client0 libevdev2 libudev1 libsystemd0 libsimdjson qt6-qpa-plugins libqt6svg6 \
    shared-mime-info; do
    [[ $depends == *"$needed"* ]] || fail "the package does not depend on $needed"
done
contents=$(dpkg-deb --contents "$package")
for path in ./usr/bin/brevanor ./usr/bin/brevanor-cli ./usr/libexec/brevanor/brevanor-input-guardian \
    ./usr/libexec/brevanor/brevanor-wayland-guardian \
    ./usr/share/applications/com.brevanor.Brevanor.desktop ./usr/share/mime/packages/com.brevanor.Brevanor.xml \
    ./usr/share/man/man1/brevanor-cli.1.gz; do
    grep -q " $path\$" <<<"$contents" || fail "the package does not hold $path"
done
# Nothing of the build folder: no test programs, no headers.
! grep -q -e '_tests$' -e '\.h$' <<<"$contents" || fail "the package holds test programs or headers"
