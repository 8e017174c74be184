# bash completion for brevanor-cli
#
# Commands, their options and what their arguments are come from
# `brevanor-cli help`, which the program makes from the table it parses its
# command line with, so this never falls behind the program. Recordings are
# completed by id and by name from `brevanor-cli list`.

# The help line of command $1: "  play ID|NAME|FILE [--speed X] ...".
_brevanor_cli_usage() {
    local line
    while IFS= read -r line; do
        if [[ $line == "  $1" || $line == "  $1 "* ]]; then
            printf '%s\n' "${line#  "$1"}"
            return
        fi
    done < <(brevanor-cli help 2>/dev/null)
}

# Adds the words of the newline-separated list $2 that start with $1 to COMPREPLY,
# quoted for the shell unless readline quotes them as file names.
_brevanor_cli_add_matching() {
    local word
    while IFS= read -r word; do
        [[ -n $word && $word == "$1"* ]] || continue
        if [[ ${3:-} == as-files ]]; then COMPREPLY+=("$word"); else COMPREPLY+=("$(printf '%q' "$word")"); fi
    done <<<"$2"
}

_brevanor_cli_recordings() {
    local line id rest
    while IFS= read -r line; do
        id=${line%%  *}
        rest=${line#*  }
        printf '%s\n%s\n' "$id" "${rest%%  *}"
    done < <(brevanor-cli list 2>/dev/null)
}

_brevanor_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    COMPREPLY=()
    # --backend x11|wayland goes before the command or among its options.
    if [[ $prev == --backend ]]; then
        _brevanor_cli_add_matching "$cur" $'x11\nwayland'
        return
    fi
    # The words without it, so that the command and its arguments keep their places.
    local -a words=()
    local i
    for ((i = 0; i < COMP_CWORD; i++)); do
        if [[ ${COMP_WORDS[i]} == --backend ]]; then
            ((i++))
        elif [[ ${COMP_WORDS[i]} != --backend=* ]]; then
            words+=("${COMP_WORDS[i]}")
        fi
    done
    local cword=${#words[@]}
    if ((cword == 1)); then
        if [[ $cur == -* ]]; then
            _brevanor_cli_add_matching "$cur" --backend
            return
        fi
        local commands
        commands=$(brevanor-cli help 2>/dev/null | sed -n 's/^  \([a-z][a-z-]*\).*/\1/p')
        _brevanor_cli_add_matching "$cur" "$commands"
        return
    fi

    local usage
    usage=$(_brevanor_cli_usage "${words[1]}")
    [[ -n $usage ]] || return

    # The value of an option: its choices where the usage lists them ("--cursor absolute|screen|cursor").
    if [[ $prev == --* && $usage == *"[$prev "* ]]; then
        local value=${usage#*"[$prev "}
        value=${value%%]*}
        [[ $value =~ ^[a-z|]+$ ]] && _brevanor_cli_add_matching "$cur" "${value//|/$'\n'}"
        return
    fi
    if [[ $cur == -* ]]; then
        _brevanor_cli_add_matching "$cur" "$(grep -o -- '--[a-z-]*' <<<"$usage")"$'\n--backend'
        return
    fi

    # Which positional argument this is: words before it that are neither options nor their values.
    local position=0
    for ((i = 2; i < cword; i++)); do
        if [[ ${words[i]} == --* ]]; then
            [[ $usage == *"[${words[i]} "[A-Za-z]* ]] && ((i++))
        else
            ((position++))
        fi
    done
    local -a positionals
    read -r -a positionals <<<"${usage%%[*}"
    local kind=${positionals[position]:-${positionals[-1]:-}}
    [[ -n ${positionals[position]:-} || $kind == *... ]] || return
    local quoting=
    if [[ $kind == *FILE* || $kind == *.jsonl ]]; then
        quoting=as-files
        compopt -o filenames 2>/dev/null
        _brevanor_cli_add_matching "$cur" "$(compgen -f -- "$cur")" as-files
    fi
    [[ $kind == ID\|NAME* ]] && _brevanor_cli_add_matching "$cur" "$(_brevanor_cli_recordings)" "$quoting"
    return 0
}

complete -F _brevanor_cli brevanor-cli
