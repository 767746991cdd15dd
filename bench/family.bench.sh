# One game per family, the left-out report and explain (sourced by bench/run), against list-all
# and find of the start-up criteria measured in the same run. explain reads the file only up to
# its game: the game measured is the one halfway through the listing.
echo "One game per family, left-out report, explain"
FAMILY_WORK="$(mktemp -d)"
[ -n "${SECONDS_list_all:-}" ] || measure list_all "$CLI" --input "$LISTXML" list-all
[ -n "${SECONDS_find_initial:-}" ] || measure find_initial "$CLI" --input "$LISTXML" find "$INITIAL"
measure list_all_one_per_family "$CLI" --input "$LISTXML" list-all --one-per-family
measure find_left_out "$CLI" --input "$LISTXML" find "$INITIAL" --left-out "$FAMILY_WORK/left-out.csv"
"$CLI" --input "$LISTXML" list-all > "$FAMILY_WORK/all.txt" 2> /dev/null
HALFWAY_GAME="$(sed -n "$(($(wc -l < "$FAMILY_WORK/all.txt") / 2))p" "$FAMILY_WORK/all.txt" | cut -d'|' -f2)"
measure explain_one_game "$CLI" --input "$LISTXML" explain "$HALFWAY_GAME" "$INITIAL"
ratio list_all_one_per_family list_all 1.2
ratio find_left_out find_initial 2
ratio explain_one_game find_initial 0.5
memory list_all_one_per_family 128
if merged_listing; then
    measure list_all_one_per_family_merged "$CLI" --input "$MERGED_LISTXML" list-all --one-per-family
    ratio list_all_one_per_family_merged list_all_merged 1.2
fi
"$CLI" --input "$LISTXML" find "$INITIAL" --one-per-family 2>&1 > /dev/null | sed -n 's/^note: /  start-up criteria, /p'
rm -rf "$FAMILY_WORK"
