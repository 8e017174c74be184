#!/usr/bin/env bash
# check-installed-tree.sh BUILD-FOLDER: installs Brevanor into a staging folder
# and checks it as a Linux desktop, a shell and the man reader see it.
source "$(dirname "$0")/install-to-stage.sh"
app_id=com.brevanor.Brevanor
share=$prefix/share

# Programs where a desktop looks for them, helpers where the programs look for them.
for program in bin/brevanor bin/brevanor-cli libexec/brevanor/brevanor-input-guardian libexec/brevanor/brevanor-wayland-guardian \
    libexec/brevanor/brevanor-harness-logger; do
    [ -x "$prefix/$program" ] || fail "$program is not installed"
done

# The core library is private to the programs: a proper SONAME, found through
# an RPATH relative to each program, so the tree works wherever it is put.
library=$(find "$prefix/lib" -name 'libBrevanorCore.so.*.*' -type f)
[ -n "$library" ] || fail "libBrevanorCore is not installed"
soname=$(readelf -d "$library" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
[ "$soname" = libBrevanorCore.so.0 ] || fail "the library's SONAME is '$soname'"
[ -e "$(dirname "$library")/$soname" ] || fail "no $soname beside the library"
for program in brevanor brevanor-cli; do
    rpath=$(readelf -d "$prefix/bin/$program" | sed -n 's/.*(RUNPATH).*\[\(.*\)\]/\1/p')
    [[ $rpath == '$ORIGIN/'* ]] || fail "$program's RPATH is '$rpath'"
    [[ $(ldd "$prefix/bin/$program") == *"libBrevanorCore.so.0 => $prefix/"* ]] ||
        fail "$program does not load the installed core library"
done
[[ $("$prefix/bin/brevanor-cli" help) == *$'\n  play '* ]] || fail "the installed brevanor-cli does not run"

# Desktop entry and metainfo, as the validators of the desktop and software centres see them.
desktop=$share/applications/$app_id.desktop
desktop-file-validate "$desktop" || fail "the desktop entry is not valid"
exec_program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
[ -x "$prefix/bin/$exec_program" ] || fail "the desktop entry starts '$exec_program', which is not installed"
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ -f "$share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no scalable icon '$icon'"
for size in 16 24 32 48 64 128 256 512; do
    [[ $(file "$share/icons/hicolor/${size}x$size/apps/$icon.png") == *"PNG image data, $size x $size,"* ]] ||
        fail "no $size x $size icon"
done
appstreamcli validate --no-net --explain "$share/metainfo/$app_id.metainfo.xml" ||
    fail "the metainfo is not valid"

# A .macro file is a Brevanor recording, and the desktop entry opens it.
mime_type=$(sed -n 's/^MimeType=\([^;]*\);.*/\1/p' "$desktop")
[ "$mime_type" = application/x-brevanor-recording ] || fail "the desktop entry opens '$mime_type'"
update-mime-database "$share/mime"
echo '{"createdAt":"2026-12-05T16:43:01Z","events":[],"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","name":"Fill the form","schemaVersion":1}' \
    >"$stage/Fill the form.macro"
found=$(XDG_DATA_DIRS=$share XDG_DATA_HOME=$stage/empty XDG_CURRENT_DESKTOP=GNOME \
    xdg-mime query filetype "$stage/Fill the form.macro")
[ "$found" = "$mime_type" ] || fail "a .macro file is taken for '$found'"

# Man pages read without a warning.
for page in brevanor brevanor-cli; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$prefix/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man $page warns: $warnings"
done

# Shell completion: the bash script answers as a user's TAB would, with
# commands, options, their choices and recording names (a library of its own).
export PATH="$prefix/bin:$PATH" XDG_DATA_HOME=$stage/data XDG_CONFIG_HOME=$stage/config
brevanor-cli import "$stage/Fill the form.macro" >/dev/null
complete_words() {
    bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _brevanor_cli; printf "%s\n" "${COMPREPLY[@]}"' \
        complete "$share/bash-completion/completions/brevanor-cli" "$@"
}
expect_completion() {
    local expected=$1 got
    shift
    got=$(complete_words "$@" | sort | tr '\n' ' ')
    [ "$got" = "$expected " ] || fail "completing '$*' gave '$got', not '$expected'"
}
expect_completion 'play' brevanor-cli pl
expect_completion '--cursor' brevanor-cli play x --cu
expect_completion 'absolute cursor screen' brevanor-cli play x --cursor ''
expect_completion 'Fill\ the\ form' brevanor-cli rename Fi
expect_completion 'E621E1F8-C36C-495A-93FC-0C247A3E6E5F' brevanor-cli delete E6
expect_completion '' brevanor-cli rename 'Fill the form' Fi
expect_completion 'wayland x11' brevanor-cli play x --backend ''
expect_completion 'play' brevanor-cli --backend wayland pl
expect_completion 'Fill\ the\ form' brevanor-cli --backend x11 rename Fi
zsh -n "$share/zsh/vendor-completions/_brevanor-cli" || fail "the zsh completion does not parse"

echo "The installed tree passed every check."
