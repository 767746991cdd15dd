# ROM audit (sourced by bench/run): forged sets of every tenth game of the listing whose own files
# take at most 4 MiB, audited by vantor-cli and by MAME's own -verifyroms over the same games;
# cold (no kept audit) and again with nothing changed.
echo "ROM audit"
FORGE="$VANTOR_BUILD/bin/vantor-romset-forge"
if [ ! -x "$FORGE" ] || [ ! -x /usr/games/mame ]; then
    echo "  skipped: needs MAME and the test build's vantor-romset-forge"
else
    AUDIT_WORK="$(mktemp -d)"
    mkdir -p "$AUDIT_WORK/roms"
    "$CLI" --input "$LISTXML" list-all 2> /dev/null > "$AUDIT_WORK/all.txt"
    awk -F'|' 'NR % 10 == 1 { print $2 }' "$AUDIT_WORK/all.txt" |
        "$FORGE" "$LISTXML" "$AUDIT_WORK/roms" split 4194304 > "$AUDIT_WORK/games.txt" 2> /dev/null
    # The same games for vantor-cli, as find's lines.
    awk -F'|' 'NR == FNR { wanted[$1] = 1; next } ($2 in wanted)' "$AUDIT_WORK/games.txt" "$AUDIT_WORK/all.txt" \
        > "$AUDIT_WORK/keys.txt"
    echo "  $(wc -l < "$AUDIT_WORK/games.txt") games, $(ls "$AUDIT_WORK/roms" | wc -l) archives," \
        "$(du -sm "$AUDIT_WORK/roms" | cut -f1) MB"
    AUDIT_KEEP="$XDG_DATA_HOME/Vantor/audits"
    # MAME takes the games on its command line; xargs would split them into several runs.
    measure mame_verifyroms sh -c "/usr/games/mame -verifyroms \$(cat '$AUDIT_WORK/games.txt') -rompath '$AUDIT_WORK/roms'"
    measure audit_cold sh -c "rm -rf '$AUDIT_KEEP'; exec '$CLI' --input '$LISTXML' audit --roms '$AUDIT_WORK/roms' --keys '$AUDIT_WORK/keys.txt'"
    "$CLI" --input "$LISTXML" audit --roms "$AUDIT_WORK/roms" --keys "$AUDIT_WORK/keys.txt" > /dev/null 2>&1
    measure audit_warm "$CLI" --input "$LISTXML" audit --roms "$AUDIT_WORK/roms" --keys "$AUDIT_WORK/keys.txt"
    ratio audit_cold mame_verifyroms 0.2
    ratio audit_warm mame_verifyroms 0.05
    memory audit_cold 256
    rm -rf "$AUDIT_WORK" "$AUDIT_KEEP"
fi
