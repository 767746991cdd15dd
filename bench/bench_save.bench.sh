# List writers (sourced by bench/run): every game of the listing saved as HyperSpin and as CSV with
# ten columns, against list-all on the same file. A save scans the file for the keys and names,
# sorts by name, then reads each record again at its key.
echo "List writers"
SAVE_WORK="$(mktemp -d)"
SAVE_COLUMNS="description,rom-name,clone-of,driver,year,manufacturer,buttons,controls,cocktail,video-width"

[ -n "${SECONDS_list_all:-}" ] || measure list_all "$CLI" --input "$LISTXML" list-all
measure save_hyperspin "$CLI" --input "$LISTXML" save hyperspin --all -o "$SAVE_WORK/list.xml"
# A listing of machine elements gathers seven of these ten columns (no year, manufacturer, width).
measure save_csv10 "$CLI" --input "$LISTXML" save csv --all --columns "$SAVE_COLUMNS" -o "$SAVE_WORK/list.csv"
ratio save_hyperspin list_all 1.5
ratio save_csv10 list_all 1.5
memory save_hyperspin 128
memory save_csv10 128

# The same on a merged master file, where all ten columns are gathered.
REAL_DATA="${VANTOR_REAL_DATA:-$VANTOR_ROOT/tests/data/real}"
if (cd "$SAVE_WORK" && "$CLI" merge --listxml "$LISTXML" --catver "$REAL_DATA/catver.ini" \
        --controls "$REAL_DATA/controls.xml" --nplayers "$REAL_DATA/nplayers.ini" -o "$SAVE_WORK/merged.xml" \
        > /dev/null 2>&1); then
    MERGED="$SAVE_WORK/merged.xml"
    cat "$MERGED" > /dev/null
    measure list_all_merged "$CLI" --input "$MERGED" list-all
    measure save_hyperspin_merged "$CLI" --input "$MERGED" save hyperspin --all -o "$SAVE_WORK/list.xml"
    measure save_csv10_merged "$CLI" --input "$MERGED" save csv --all --columns "$SAVE_COLUMNS" -o "$SAVE_WORK/list.csv"
    ratio save_hyperspin_merged list_all_merged 1.5
    ratio save_csv10_merged list_all_merged 1.5
else
    echo "  (no merged file: the merge did not run)"
fi
rm -rf "$SAVE_WORK"
