# bash completion for vantor-cli: commands, options, list formats, and file and folder names.
# The lists are the program's own: CompletionListsTest compares each with what vantor-cli declares,
# so a command, option or list format added to the program without its completion fails there.

_vantor_cli_commands="find list-all romsearch details explain criteria save merge romscan audit export mala2xml maximus2xml romdir2xml listxml"
_vantor_cli_formats="advancemenu atomicfe attractmode attractmode-plus batch batocera cabrio csv es-de hyperspin khameleon mala mameuifx mamewah maximus mgalaxy multife pegasus retroarch descriptions romnames xml"
_vantor_cli_global_options="--input --artwork --hide-tags --no-hide-tags --hide-rom-names --no-hide-rom-names --progress --no-progress --help --version --"

# The options of each command (its name with "_" for "-"); every command also takes --help.
_vantor_cli_options_find="--count --left-out --one-per-family --no-one-per-family --regions --family-rules --family-log"
_vantor_cli_options_explain="--one-per-family --no-one-per-family --regions --family-rules"
_vantor_cli_options_list_all="--one-per-family --no-one-per-family --regions --family-rules --family-log"
_vantor_cli_options_details="--picture"
_vantor_cli_options_criteria="--initial"
_vantor_cli_options_save="--find --all --keys --from-list --keep-order -o --title --logo-dir --screenshot-dir --background-dir --rom-folder --template --windows --columns --delimiter --no-header --rom-extension --list-name --core-path --core-name --launch --media --hide-removed --split-by-category --one-per-family --no-one-per-family --regions --family-rules --family-log"
_vantor_cli_options_merge="--listxml --catver --controls --nplayers -o"
_vantor_cli_options_romscan="--roms -o"
_vantor_cli_options_audit="--roms --chds --find --keys --report --fixdat"
_vantor_cli_options_export="--to --find --all --keys --from-list --roms --chds --samples --layout --link --dry-run --include-incomplete --replace"
_vantor_cli_options_mala2xml="-o"
_vantor_cli_options_maximus2xml="-o"
_vantor_cli_options_romdir2xml="--roms -o"
_vantor_cli_options_listxml="--mame -o"

# What the word after an option is: a file, a folder or some text; after any other option, a
# new word (the option is a flag).
_vantor_cli_file_options="--input --keys --from-list -o --listxml --catver --controls --nplayers --mame --core-path --family-log --left-out --report --fixdat"
_vantor_cli_folder_options="--artwork --logo-dir --screenshot-dir --background-dir --rom-folder --roms --chds --to --samples"
_vantor_cli_text_options="--picture --find --title --template --columns --delimiter --rom-extension --list-name --core-name --launch --regions --family-rules --layout"
# What details --picture takes.
_vantor_cli_picture_kinds="snap titles marquees flyers cabinets"
# The commands whose arguments are file names.
_vantor_cli_file_argument_commands="mala2xml maximus2xml"

_vantor_cli_command_options() {
    [[ " $_vantor_cli_commands " == *" $1 "* ]] || return
    local list=_vantor_cli_options_${1//-/_}
    echo "${!list} --help"
}

_vantor_cli_option_value() {
    if [[ " $_vantor_cli_file_options " == *" $1 "* ]]; then
        echo file
    elif [[ " $_vantor_cli_folder_options " == *" $1 "* ]]; then
        echo folder
    elif [[ " $_vantor_cli_text_options " == *" $1 "* ]]; then
        echo text
    fi
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
    if [[ $prev == --picture ]]; then
        _vantor_cli_words "$_vantor_cli_picture_kinds"
        return
    fi
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
                --input | --artwork) ((i++)) ;;
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
    if [[ $command == save ]]; then
        [[ $positionals -eq 0 ]] && _vantor_cli_words "$_vantor_cli_formats"
    elif [[ " $_vantor_cli_file_argument_commands " == *" $command "* ]]; then
        _vantor_cli_paths -f
    fi
}

complete -F _vantor_cli vantor-cli
