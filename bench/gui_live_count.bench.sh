# The live match count in the desktop program (sourced by bench/run): the real main window
# offscreen on the real listing, from each single change of a criterion to the count beside
# "Go!", and the program's peak resident memory with the records prepared. One run, as measured.
# Targets: the count within 150 ms of a change; under 400 MB resident.
echo "Live match count in the desktop program"
GUI_COUNT_BENCH="$VANTOR_BUILD/bench/bench_gui_live_count"
if [ -x "$GUI_COUNT_BENCH" ]; then
    GUI_COUNT_STATUS=0
    GUI_COUNT_OUT="$(QT_QPA_PLATFORM=offscreen "$GUI_COUNT_BENCH" "$LISTXML" 2> /dev/null)" || GUI_COUNT_STATUS=$?
    gui_count_value() { awk -v key="$1" '$1 == key { $1 = ""; print substr($0, 2) }' <<< "$GUI_COUNT_OUT"; }
    if [ -n "$(gui_count_value slowest_ms)" ]; then
        printf '  records prepared after the input check in %s ms\n' "$(gui_count_value prepare_ms)"
        printf '  %s changes: median %s ms, slowest %s ms from the change to the count (target <= 150 ms) %s\n' \
            "$(gui_count_value changes)" "$(gui_count_value median_ms)" "$(gui_count_value slowest_ms)" \
            "$([ "$(gui_count_value slowest_ms)" -le 150 ] && echo ok || echo OVER)"
        printf '  slowest change: %s\n' "$(gui_count_value slowest_change)"
        printf '  processor time per change (both cores together): median %s ms\n' "$(gui_count_value median_cpu_ms)"
        printf '  longest a keystroke held the window: %s ms; count %s ms after the last one\n' \
            "$(gui_count_value longest_key_ms)" "$(gui_count_value after_typing_ms)"
        printf '  start-up criteria: count %s, Go! listed %s %s\n' "$(gui_count_value startup_count)" "$(gui_count_value go_rows)" \
            "$([ "$GUI_COUNT_STATUS" -eq 0 ] && echo ok || echo DIFFERENT)"
        GUI_COUNT_MIB="$(awk "BEGIN{printf \"%.1f\", $(gui_count_value peak_rss_kib) / 1024}")"
        printf '  peak resident memory %s MiB (target < 400 MB) %s\n' "$GUI_COUNT_MIB" \
            "$(awk "BEGIN{exit !($(gui_count_value peak_rss_kib) * 1024 < 400e6)}" && echo ok || echo OVER)"
        printf '  then with "List all ROMs" (%s rows): %s MiB (target < 400 MB) %s\n' "$(gui_count_value list_all_rows)" \
            "$(awk "BEGIN{printf \"%.1f\", $(gui_count_value peak_rss_list_all_kib) / 1024}")" \
            "$(awk "BEGIN{exit !($(gui_count_value peak_rss_list_all_kib) * 1024 < 400e6)}" && echo ok || echo OVER)"
    else
        echo "  bench_gui_live_count failed"
    fi
else
    echo "  (the desktop program is not built)"
fi
