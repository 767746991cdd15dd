# List writers (sourced by bench/run): every game of the listing saved as HyperSpin and as CSV with
# ten columns, against list-all on the same file. save --all makes every game's entry in one scan
# of the file, then sorts them by name.
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
if merged_listing; then
    measure save_hyperspin_merged "$CLI" --input "$MERGED_LISTXML" save hyperspin --all -o "$SAVE_WORK/list.xml"
    measure save_csv10_merged "$CLI" --input "$MERGED_LISTXML" save csv --all --columns "$SAVE_COLUMNS" -o "$SAVE_WORK/list.csv"
    ratio save_hyperspin_merged list_all_merged 1.5
    ratio save_csv10_merged list_all_merged 1.5
else
    echo "  (no merged file: the merge did not run)"
fi
rm -rf "$SAVE_WORK"
