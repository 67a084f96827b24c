# bash completion for fillwright, loaded by bash-completion on demand.
#   fillwright <starting dir> <file of substitutions> [F|H|I] [-keyword=value | -keyword value]... [--tool-options]

_fillwright()
{
    local cur prev words cword
    # -n =: keep -keyword=value one word, so its value is not taken for a
    # positional argument.
    _init_completion -n = || return

    local options='--check --diff --strict --explain --verbose --atomic --json --help --version --env='
    local i word position=0 takes_value=false
    for ((i = 1; i < cword; i++)); do
        word=${words[i]}
        if $takes_value; then
            takes_value=false
            continue
        fi
        case $word in
            --check | --diff | --strict | --explain | --verbose | --atomic | --json | --help | --version) ;;
            -?*=*) ;;
            # -keyword without = takes the next word as its value.
            -?*) takes_value=true ;;
            # A lone - (standard input) is positional.
            *) position=$((position + 1)) ;;
        esac
    done

    # A keyword's value, or what follows an =, is free text: offer nothing.
    $takes_value && return
    [[ $cur == *=* ]] && return

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        [[ ${#COMPREPLY[@]} -eq 1 && $COMPREPLY == *= ]] && compopt -o nospace
        return
    fi

    case $position in
        0) _filedir -d ;;
        1) _filedir ;;
        2) COMPREPLY=($(compgen -W 'F H I' -- "$cur")) ;;
    esac
} &&
    complete -F _fillwright fillwright
