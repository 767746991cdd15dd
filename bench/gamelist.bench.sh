# EmulationStation lists (sourced by bench/run): the whole merged listing saved as ES-DE's and as
# Batocera's gamelist.xml, and an existing gamelist.xml of the same games updated in place, each
# against list-all on the merged file. The update reads and parses the old list as well, and keeps
# the fields a user set, here a favourite and a play count on every tenth game.
echo "EmulationStation gamelist.xml"
GAMELIST_WORK="$(mktemp -d)"
if merged_listing; then
    # A fresh list each run: a list left by the run before would be updated instead.
    mkdir -p "$GAMELIST_WORK/new"
    measure save_es_de_merged sh -c 'rm -f "$2" && "$0" --input "$1" save es-de --all -o "$2"' \
        "$CLI" "$MERGED_LISTXML" "$GAMELIST_WORK/new/gamelist.xml"
    measure save_batocera_merged sh -c 'rm -f "$2" && "$0" --input "$1" save batocera --all --media -o "$2"' \
        "$CLI" "$MERGED_LISTXML" "$GAMELIST_WORK/new/gamelist.xml"

    # The list to update: every game, with what a user sets in the front end on every tenth.
    "$CLI" --input "$MERGED_LISTXML" save es-de --all -o "$GAMELIST_WORK/saved.xml" > /dev/null 2>&1
    awk '/<\/game>/ && ++n % 10 == 0 { print "\t\t<favorite>true</favorite>\n\t\t<playcount>7</playcount>" } 1' \
        "$GAMELIST_WORK/saved.xml" > "$GAMELIST_WORK/gamelist.xml"
    printf '  the list updated holds %s games, %s favourites\n' \
        "$(grep -c '<game>' "$GAMELIST_WORK/gamelist.xml")" "$(grep -c '<favorite>' "$GAMELIST_WORK/gamelist.xml")"
    measure update_es_de_merged "$CLI" --input "$MERGED_LISTXML" save es-de --all -o "$GAMELIST_WORK/gamelist.xml"
    if [ "$(grep -c '<favorite>' "$GAMELIST_WORK/gamelist.xml")" != "$(grep -c '<playcount>7' "$GAMELIST_WORK/gamelist.xml")" ] ||
        ! grep -q '<favorite>' "$GAMELIST_WORK/gamelist.xml"; then
        echo "  the update lost the favourites or play counts"
    fi
    # An existing writer on the same games, to tell the format's own cost from the save's.
    [ -n "${SECONDS_save_hyperspin_merged:-}" ] ||
        measure save_hyperspin_merged "$CLI" --input "$MERGED_LISTXML" save hyperspin --all -o "$GAMELIST_WORK/list.xml"
    ratio save_es_de_merged list_all_merged 1.5
    ratio save_batocera_merged list_all_merged 1.5
    ratio update_es_de_merged list_all_merged 2
    ratio save_es_de_merged save_hyperspin_merged 1.5
    ratio update_es_de_merged save_es_de_merged 2
    memory save_es_de_merged 256
    memory update_es_de_merged 384
else
    echo "  (no merged file: the merge did not run)"
fi
rm -rf "$GAMELIST_WORK"
