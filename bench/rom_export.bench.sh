# ROM export (sourced by bench/run): forged split sets of about 1,000 games (every 40th game of the
# listing whose own files take at most 4 MiB) exported by vantor-cli as they are and rebuilt as
# non-merged zips, against cp of the archives the as-is export copies. The export first audits the
# games (the listing is read): its copy alone is the export less its dry run, which does the same
# audit and plan and writes nothing.
echo "ROM export"
FORGE="$VANTOR_BUILD/bin/vantor-romset-forge"
if [ ! -x "$FORGE" ]; then
    echo "  skipped: needs the test build's vantor-romset-forge"
else
    EXPORT_WORK="$(mktemp -d)"
    mkdir -p "$EXPORT_WORK/roms"
    "$CLI" --input "$LISTXML" list-all 2> /dev/null > "$EXPORT_WORK/all.txt"
    awk -F'|' 'NR % 40 == 1 { print $2 }' "$EXPORT_WORK/all.txt" |
        "$FORGE" "$LISTXML" "$EXPORT_WORK/roms" split 4194304 > "$EXPORT_WORK/games.txt" 2> /dev/null
    awk -F'|' 'NR == FNR { wanted[$1] = 1; next } ($2 in wanted)' "$EXPORT_WORK/games.txt" "$EXPORT_WORK/all.txt" \
        > "$EXPORT_WORK/keys.txt"
    EXPORT="$CLI --input $LISTXML --no-progress export --keys $EXPORT_WORK/keys.txt --roms $EXPORT_WORK/roms"
    # The archives the as-is export copies, for cp.
    $EXPORT --to "$EXPORT_WORK/out" --dry-run 2> /dev/null | cut -d'|' -f4 > "$EXPORT_WORK/sources.txt"
    echo "  $(wc -l < "$EXPORT_WORK/games.txt") games, $(wc -l < "$EXPORT_WORK/sources.txt") archives," \
        "$(cat "$EXPORT_WORK/sources.txt" | xargs du -cm | tail -1 | cut -f1) MB"
    measure cp_archives sh -c "rm -rf '$EXPORT_WORK/out'; mkdir '$EXPORT_WORK/out'; xargs cp -t '$EXPORT_WORK/out' < '$EXPORT_WORK/sources.txt'"
    measure export_dry_run sh -c "rm -rf '$EXPORT_WORK/out'; exec $EXPORT --to '$EXPORT_WORK/out' --dry-run"
    measure export_as_is sh -c "rm -rf '$EXPORT_WORK/out'; exec $EXPORT --to '$EXPORT_WORK/out'"
    measure export_non_merged sh -c "rm -rf '$EXPORT_WORK/out'; exec $EXPORT --to '$EXPORT_WORK/out' --layout non-merged"
    measure export_again sh -c "exec $EXPORT --to '$EXPORT_WORK/out' --layout non-merged"
    SECONDS_as_is_copy="$(awk "BEGIN{print $SECONDS_export_as_is - $SECONDS_export_dry_run}")"
    SECONDS_non_merged_build="$(awk "BEGIN{print $SECONDS_export_non_merged - $SECONDS_export_dry_run}")"
    printf '  %-34s %7.2f s\n' as_is_copy "$SECONDS_as_is_copy" non_merged_build "$SECONDS_non_merged_build"
    ratio as_is_copy cp_archives 1.3
    ratio non_merged_build cp_archives 3
    memory export_non_merged 256
    rm -rf "$EXPORT_WORK"
fi
