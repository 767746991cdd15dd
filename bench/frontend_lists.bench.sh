# RetroArch, Pegasus and Attract-Mode Plus lists (sourced by bench/run): the whole merged listing
# saved in each, with one list per category, against list-all on the merged file; then the
# RetroArch playlist updated in place, keeping the core of every tenth game, and the playlist read
# back as the working list of another save (--from-list).
echo "RetroArch, Pegasus and Attract-Mode Plus lists"
FRONTEND_WORK="$(mktemp -d)"
if merged_listing; then
    mkdir -p "$FRONTEND_WORK/new"
    # A fresh playlist each run: one left by the run before would be updated instead.
    measure save_retroarch_merged sh -c 'rm -f "$2" && "$0" --input "$1" save retroarch --all -o "$2"' \
        "$CLI" "$MERGED_LISTXML" "$FRONTEND_WORK/new/MAME.lpl"
    measure save_pegasus_merged "$CLI" --input "$MERGED_LISTXML" save pegasus --all \
        -o "$FRONTEND_WORK/new/metadata.pegasus.txt"
    measure save_attractmode_plus_merged "$CLI" --input "$MERGED_LISTXML" save attractmode-plus --all \
        -o "$FRONTEND_WORK/new/mame.txt"
    measure split_retroarch_merged sh -c 'rm -f "$2" && "$0" --input "$1" save retroarch --all --split-by-category -o "$2"' \
        "$CLI" "$MERGED_LISTXML" "$FRONTEND_WORK/new/Split.lpl"
    printf '  %s category playlists\n' "$(find "$FRONTEND_WORK/new" -name 'Split - *.lpl' | wc -l)"

    # The playlist to update: every tenth game with a core of its own, as "Set core association"
    # leaves it.
    awk '/"core_path": "DETECT"/ && ++n % 10 == 0 { sub(/"DETECT"/, "\"/cores/fbneo_libretro.so\"") } 1' \
        "$FRONTEND_WORK/new/MAME.lpl" > "$FRONTEND_WORK/MAME.lpl"
    KEPT_CORES="$(grep -c fbneo "$FRONTEND_WORK/MAME.lpl")"
    measure update_retroarch_merged "$CLI" --input "$MERGED_LISTXML" save retroarch --all -o "$FRONTEND_WORK/MAME.lpl"
    if [ "$(grep -c fbneo "$FRONTEND_WORK/MAME.lpl")" != "$KEPT_CORES" ]; then
        echo "  the update lost the cores chosen per game"
    fi
    measure from_list_retroarch_merged "$CLI" --input "$MERGED_LISTXML" save romnames \
        --from-list "$FRONTEND_WORK/MAME.lpl" -o "$FRONTEND_WORK/names.txt"
    # The save with the least writer work, to tell the formats' own cost from the save's.
    measure save_romnames_merged "$CLI" --input "$MERGED_LISTXML" save romnames --all -o "$FRONTEND_WORK/romnames.txt"
    ratio save_retroarch_merged list_all_merged 1.5
    ratio save_pegasus_merged list_all_merged 1.5
    ratio save_attractmode_plus_merged list_all_merged 1.5
    ratio split_retroarch_merged list_all_merged 3
    ratio update_retroarch_merged list_all_merged 2
    ratio from_list_retroarch_merged list_all_merged 2.5
    ratio save_retroarch_merged save_romnames_merged 1.5
    ratio save_pegasus_merged save_romnames_merged 2
    ratio save_attractmode_plus_merged save_romnames_merged 2
    memory save_retroarch_merged 256
    memory save_attractmode_plus_merged 256
else
    echo "  (no merged file: the merge did not run)"
fi
rm -rf "$FRONTEND_WORK"
