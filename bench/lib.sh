# Helpers for the benchmark scripts: timings are the best of several runs, memory the peak
# resident size; ratios compare against a reference measured in the same run.
BENCH_RUNS="${BENCH_RUNS:-3}"

# measure NAME COMMAND...: sets SECONDS_<NAME> and KB_<NAME>; output of the command is discarded.
measure() {
    local name="$1"
    shift
    local best="" peak=0 line seconds kb report
    report="$(mktemp)"
    # Output goes to a real file: GNU grep stops at the first match when writing to /dev/null.
    local output
    output="$(mktemp)"
    for _ in $(seq "$BENCH_RUNS"); do
        /usr/bin/time -o "$report" -f '%e %M' "$@" > "$output" 2> /dev/null || true
        line="$(tail -1 "$report")"
        seconds="${line% *}"
        kb="${line#* }"
        if [ -z "$best" ] || awk "BEGIN{exit !($seconds < $best)}"; then best="$seconds"; fi
        if [ "$kb" -gt "$peak" ]; then peak="$kb"; fi
    done
    rm -f "$report" "$output"
    printf -v "SECONDS_$name" '%s' "$best"
    printf -v "KB_$name" '%s' "$peak"
    printf '  %-34s %7.2f s  %7.1f MiB\n' "$name" "$best" "$(awk "BEGIN{print $peak/1024}")"
}

# ratio NAME REFERENCE LIMIT: prints NAME's time over REFERENCE's and whether it is within LIMIT.
ratio() {
    local a="SECONDS_$1" b="SECONDS_$2"
    local value
    value="$(awk "BEGIN{printf \"%.2f\", ${!a} / (${!b} > 0 ? ${!b} : 0.001)}")"
    local verdict="ok"
    awk "BEGIN{exit !($value > $3)}" && verdict="OVER"
    printf '  ratio %-28s %5s x %-22s (target <= %s) %s\n' "$1" "$value" "$2" "$3" "$verdict"
}

# memory NAME LIMIT_MIB: peak resident memory against a limit.
memory() {
    local k="KB_$1"
    local mib
    mib="$(awk "BEGIN{printf \"%.1f\", ${!k} / 1024}")"
    local verdict="ok"
    awk "BEGIN{exit !($mib >= $2)}" && verdict="OVER"
    printf '  memory %-27s %6s MiB (target < %s MiB) %s\n' "$1" "$mib" "$2" "$verdict"
}

# merged_listing: sets MERGED_LISTXML to MAME's listing merged with the repository's real data
# files, made once per bench run in BENCH_WORK, and measures list_all_merged on it; fails when the
# merge does.
merged_listing() {
    [ -n "${MERGED_LISTXML:-}" ] && return 0
    local real="${VANTOR_REAL_DATA:-$VANTOR_ROOT/tests/data/real}"
    (cd "$BENCH_WORK" && "$CLI" merge --listxml "$LISTXML" --catver "$real/catver.ini" \
        --controls "$real/controls.xml" --nplayers "$real/nplayers.ini" -o "$BENCH_WORK/merged.xml" \
        > /dev/null 2>&1) || return 1
    MERGED_LISTXML="$BENCH_WORK/merged.xml"
    cat "$MERGED_LISTXML" > /dev/null  # warm the page cache
    measure list_all_merged "$CLI" --input "$MERGED_LISTXML" list-all
}
