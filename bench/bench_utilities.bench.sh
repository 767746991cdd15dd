# Data-file utilities (sourced by bench/run): the merge of the real listing with the real data
# files against sed copying the listing, and the ROM scan of a folder of 10,000 archives against
# list-all. Both utilities index what they look things up in once.
echo "Data-file utilities"
REAL_DATA="${VANTOR_REAL_DATA:-$VANTOR_ROOT/tests/data/real}"
UTIL_WORK="$(mktemp -d)"
pushd "$UTIL_WORK" > /dev/null  # the utilities write their logs into the current folder

measure sed_copy sed 's/a/a/' "$LISTXML"
measure merge "$CLI" merge --listxml "$LISTXML" --catver "$REAL_DATA/catver.ini" \
    --controls "$REAL_DATA/controls.xml" --nplayers "$REAL_DATA/nplayers.ini" -o "$UTIL_WORK/merged.xml"
ratio merge sed_copy 2
memory merge 64

# Every fourth game of the listing, so the records lie all over the file.
mkdir -p "$UTIL_WORK/roms"
"$CLI" --input "$LISTXML" list-all 2> /dev/null | awk -F'|' 'NR % 4 == 1 { print $2 }' | head -n 10000 |
    (cd "$UTIL_WORK/roms" && xargs touch -- 2> /dev/null) || true
for i in $(seq $(( 10000 - $(ls "$UTIL_WORK/roms" | wc -l) ))); do : > "$UTIL_WORK/roms/nogame$i.zip"; done
for f in "$UTIL_WORK"/roms/*; do case "$f" in *.zip) ;; *) mv -- "$f" "$f.zip" ;; esac; done
echo "  ROM folder: $(ls "$UTIL_WORK/roms" | wc -l) archives"
[ -n "${SECONDS_list_all:-}" ] || measure list_all "$CLI" --input "$LISTXML" list-all
measure romscan "$CLI" --input "$LISTXML" romscan --roms "$UTIL_WORK/roms" -o "$UTIL_WORK/scanned.xml"
ratio romscan list_all 1.5
memory romscan 64
echo "  ROM scan: $(tail -n 1 "$UTIL_WORK/romscanlog.txt")"

popd > /dev/null
rm -rf "$UTIL_WORK"
