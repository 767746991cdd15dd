# bash completion for vantor-cli: commands, options, list formats, and file and folder names.
# A new command goes into _vantor_cli_commands, its options into _vantor_cli_command_options; a new
# list format into _vantor_cli_formats. A test compares both lists with the program's own.

_vantor_cli_commands="criteria details explain find list-all listxml mala2xml maximus2xml merge romdir2xml romscan romsearch save"
_vantor_cli_formats="advancemenu atomicfe attractmode batch cabrio csv hyperspin khameleon mala mameuifx mamewah maximus mgalaxy multife descriptions romnames xml"
_vantor_cli_global_options="--input --hide-tags --no-hide-tags --hide-rom-names --no-hide-rom-names --progress --help --version --"

_vantor_cli_command_options() {
    case $1 in
        criteria) echo "--initial --help" ;;
        find) echo "--one-per-family --no-one-per-family --regions --family-rules --family-log --left-out" ;;
        list-all) echo "--one-per-family --no-one-per-family --regions --family-rules --family-log" ;;
        save) echo "--find --all --keys --keep-order -o --title --logo-dir --screenshot-dir --background-dir" \
                   "--rom-folder --template --columns --delimiter --no-header" ;;
        merge) echo "--listxml --catver --controls --nplayers -o" ;;
        romscan | romdir2xml) echo "--roms -o" ;;
        mala2xml | maximus2xml) echo "-o" ;;
        listxml) echo "--mame" ;;
    esac
}

# What the word after an option is: a file, a folder, some text, or nothing (the option is a flag).
_vantor_cli_option_value() {
    case $1 in
        --input | --keys | --listxml | --catver | --controls | --nplayers | -o | --mame | --family-log | --left-out) echo file ;;
        --roms | --rom-folder | --logo-dir | --screenshot-dir | --background-dir) echo folder ;;
        --find | --title | --template | --columns | --delimiter | --regions | --family-rules) echo text ;;
    esac
}

_vantor_cli_words() {  # the words of a list that start with the current word
    mapfile -t COMPREPLY < <(compgen -W "$1" -- "$cur")
}
_vantor_cli_paths() {  # -f: file and folder names; -d: folder names
    compopt -o filenames 2> /dev/null
    mapfile -t COMPREPLY < <(compgen "$1" -- "$cur")
}

_vantor_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    COMPREPLY=()
    case $(_vantor_cli_option_value "$prev") in
        file) _vantor_cli_paths -f; return ;;
        folder) _vantor_cli_paths -d; return ;;
        text) return ;;
    esac

    # The command is the first word that is neither an option nor an option's value.
    local i word command="" positionals=0
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        if [[ -z $command ]]; then
            case $word in
                --input) ((i++)) ;;
                -*) ;;
                *) command=$word ;;
            esac
        elif [[ -n $(_vantor_cli_option_value "$word") ]]; then
            ((i++))
        elif [[ $word != -* ]]; then
            ((positionals++))
        fi
    done

    if [[ -z $command ]]; then
        if [[ $cur == -* ]]; then
            _vantor_cli_words "$_vantor_cli_global_options"
        else
            _vantor_cli_words "$_vantor_cli_commands"
        fi
        return
    fi
    if [[ $cur == -* ]]; then
        _vantor_cli_words "$(_vantor_cli_command_options "$command")"
        return
    fi
    case $command in
        save) [[ $positionals -eq 0 ]] && _vantor_cli_words "$_vantor_cli_formats" ;;
        mala2xml | maximus2xml) _vantor_cli_paths -f ;;
    esac
}

complete -F _vantor_cli vantor-cli
