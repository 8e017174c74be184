#!/usr/bin/env bash
# check-installed-demo.sh BUILD-FOLDER: the installed brevanor-cli finds its
# helper programs (the harness logger, the input guardian) and runs its demo to
# a passing verdict.
source "$(dirname "$0")/install-to-stage.sh"
guardian=$prefix/libexec/brevanor/brevanor-input-guardian
XDG_DATA_HOME=$stage/data XDG_CONFIG_HOME=$stage/config "$prefix/bin/brevanor-cli" demo >"$stage/demo.log" 2>&1 &
demo=$!
guarded=no
while kill -0 "$demo" 2>/dev/null; do
    pgrep -f "^$guardian" >/dev/null && guarded=yes
    sleep 0.1
done
wait "$demo" || { cat "$stage/demo.log"; fail "the installed demo did not pass"; }
[ "$guarded" = yes ] || fail "the installed programs did not start the installed input guardian"
echo "The installed demo passed, guarded by the installed input guardian."
