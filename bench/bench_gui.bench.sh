# The desktop program (sourced by bench/run): "List all ROMs" in the real main window, from the
# click until the full-list window holds every row, against vantor-cli list-all. Both take the
# best of BENCH_RUNS runs.
echo "Desktop program"
GUI_BENCH="$VANTOR_BUILD/bench/bench_gui_listall"
if [ -x "$GUI_BENCH" ]; then
    [ -n "${SECONDS_list_all:-}" ] || measure list_all "$CLI" --input "$LISTXML" list-all
    SECONDS_gui_list_all=""
    for _ in $(seq "$BENCH_RUNS"); do
        GUI_OUT="$(QT_QPA_PLATFORM=offscreen "$GUI_BENCH" "$LISTXML" 2> /dev/null)" || true
        GUI_SECONDS="$(awk '$1 == "seconds" { print $2 }' <<< "$GUI_OUT")"
        [ -n "$GUI_SECONDS" ] || continue
        if [ -z "$SECONDS_gui_list_all" ] || awk "BEGIN{exit !($GUI_SECONDS < $SECONDS_gui_list_all)}"; then
            SECONDS_gui_list_all="$GUI_SECONDS"
            GUI_BEST="$GUI_OUT"
        fi
    done
    if [ -n "$SECONDS_gui_list_all" ]; then
        printf '  %-34s %7.2f s  (%s rows; then a sort by year in %s s)\n' gui_list_all "$SECONDS_gui_list_all" \
            "$(awk '$1 == "rows" { print $2 }' <<< "$GUI_BEST")" \
            "$(awk '$1 == "sort_seconds" { print $2 }' <<< "$GUI_BEST")"
        ratio gui_list_all list_all 1.5
    else
        echo "  gui_list_all failed"
    fi
else
    echo "  (the desktop program is not built)"
fi
