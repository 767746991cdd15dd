# The main window's live match count (sourced by bench/run): the records prepared once in memory,
# then the start-up criteria and each single change from them counted, on the merged master file
# (the listing alone when the merge fails). Target: each count within 60 ms of the change; the
# prepared records part of the desktop program's 400 MB.
echo "Live match count"
merged_listing || true
read -r PREPARE_MS SLOWEST_MS MEDIAN_MS COUNTS RSS_MIB CPU_MS < <("$VANTOR_BUILD/bench/bench_live_count" "${MERGED_LISTXML:-$LISTXML}" \
    "$VANTOR_BUILD/bin/vnmacros.txt")
printf '  records prepared once in %s ms; %s counts: median %s ms, slowest %s ms (target <= 60 ms) %s\n' \
    "$PREPARE_MS" "$COUNTS" "$MEDIAN_MS" "$SLOWEST_MS" "$([ "$SLOWEST_MS" -le 60 ] && echo ok || echo OVER)"
printf '  processor time per count (both cores together): %s ms\n' "$CPU_MS"
printf '  memory of the prepared records and the counts: %s MiB\n' "$RSS_MIB"
