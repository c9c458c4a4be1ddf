# Bash completion of corvalis-render: its options (each may be given once, so those already
# on the line are not offered again), the colour scales after --scheme, the shadings after
# --shade, and file names after the options that take them: PNG files after -o, PGM files
# after --levels, NumPy files after --counts, CSV files after --lyapunov, rows files after --rows and after --from (which
# takes several), and folders for all. The build fills in the colour scales that
# corvalis-render --help lists (fill-schemes.cmake).

_corvalis_render_files()
{
    local IFS=$'\n'
    compopt -o filenames 2>/dev/null
    COMPREPLY=($(compgen -d -- "$2"; compgen -f -X "!*.$1" -- "$2"))
}

_corvalis_render()
{
    local cur=${COMP_WORDS[COMP_CWORD]}
    local prev=${COMP_WORDS[COMP_CWORD - 1]}
    case $prev in
        --scheme)
            COMPREPLY=($(compgen -W '@SCHEMES@' -- "$cur"))
            return ;;
        --shade)
            COMPREPLY=($(compgen -W 'levels log equalize' -- "$cur"))
            return ;;
        -o | --output)
            _corvalis_render_files png "$cur"
            return ;;
        --levels)
            _corvalis_render_files pgm "$cur"
            return ;;
        --counts)
            _corvalis_render_files npy "$cur"
            return ;;
        --lyapunov)
            _corvalis_render_files csv "$cur"
            return ;;
        --rows | --from)
            _corvalis_render_files rows "$cur"
            return ;;
        --grid | --fit | --stripes | --threads | --shard | --frames)
            return ;;
    esac
    local i
    for ((i = COMP_CWORD - 1; i >= 1 && i >= COMP_CWORD - 4; i--)); do
        [[ ${COMP_WORDS[i]} == --region || ${COMP_WORDS[i]} == --zoom-to ]] && return  # one of its four numbers
    done
    # A further file of --from, until an option comes.
    for ((i = COMP_CWORD - 1; i >= 1; i--)); do
        [[ ${COMP_WORDS[i]} == -* ]] || continue
        if [[ ${COMP_WORDS[i]} == --from && $cur != -* ]]; then
            _corvalis_render_files rows "$cur"
            return
        fi
        break
    done
    local given=" ${COMP_WORDS[*]:1:COMP_CWORD-1} " option options=()
    for option in --region --grid --fit --stripes --threads -q --quiet --levels --counts -o --output \
                  --lyapunov --scheme --reverse --lyapunov-strip --shade --rows --shard --from --zoom-to --frames --dry-run -h --help; do
        [[ $given == *" $option "* ]] || options+=("$option")
    done
    COMPREPLY=($(compgen -W "${options[*]}" -- "$cur"))
}

complete -F _corvalis_render corvalis-render
