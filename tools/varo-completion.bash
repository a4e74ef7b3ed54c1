# Bash completion for varo: its commands and their options as varo's own
# help lists them, and the names of the known databases where a command
# takes DB.

# The names of the known databases, from `varo db list`.
_varo_databases() {
    "$1" db list 2>/dev/null | awk 'NR > 1 { sub(/^ *[0-9]+ +(\* +)?/, ""); sub(/  +.*/, ""); print }'
}

_varo() {
    local varo=${COMP_WORDS[0]} cur=${COMP_WORDS[COMP_CWORD]}
    local -a typed=() candidates=() parts=()
    local word line
    # The words typed so far, options left out.
    for word in "${COMP_WORDS[@]:1:COMP_CWORD-1}"; do
        [[ $word == -* ]] || typed+=("$word")
    done

    local commands
    commands=$("$varo" help 2>/dev/null | sed -n 's/^  varo //p')

    if [[ $cur == -* ]]; then
        # The options of the command whose words were typed.
        local -a name=()
        while read -r line; do
            read -ra parts <<<"$line"
            local -a own=()
            for word in "${parts[@]}"; do
                [[ $word == [a-z]* ]] || break
                own+=("$word")
            done
            if [[ "${typed[*]:0:${#own[@]}}" == "${own[*]}" ]]; then name=("${own[@]}"); fi
        done <<<"$commands"
        if ((${#name[@]})); then
            mapfile -t candidates < <("$varo" "${name[@]}" --help 2>/dev/null | sed -n 's/^ *\(--[a-z-]*\).*/\1/p')
        fi
        candidates+=(--help)
        mapfile -t COMPREPLY < <(compgen -W "${candidates[*]}" -- "$cur")
        return
    fi

    # What each command that matches the typed words takes next.
    local position=${#typed[@]} databases=""
    while read -r line; do
        read -ra parts <<<"$line"
        local matches=1 i
        for ((i = 0; i < position; i++)); do
            if [[ -z ${parts[i]} || (${parts[i]} == [a-z]* && ${parts[i]} != "${typed[i]}") ]]; then
                matches=0
                break
            fi
        done
        ((matches)) || continue
        word=${parts[position]}
        if [[ $word == [a-z]* ]]; then
            candidates+=("$word")
        elif [[ $word == DB || $word == FROM_DB || $word == TO_DB ]]; then
            databases=1
        fi
    done <<<"$commands"
    mapfile -t COMPREPLY < <(compgen -W "$(printf '%s\n' "${candidates[@]}" | sort -u)" -- "$cur")
    if [[ -n $databases ]]; then
        local database
        while IFS= read -r database; do
            [[ $database == "$cur"* ]] && COMPREPLY+=("$database")
        done < <(_varo_databases "$varo")
    fi
}
complete -F _varo varo
