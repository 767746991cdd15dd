# Deep parentheses (sourced by bench/run): "((((pacman))))" nested ten thousand deep against plain
# "pacman" measured in the same run. Nesting alone must add no work per record.
echo "Nested parentheses"
DEEP_PACMAN="$(printf '(%.0s' $(seq 10000))pacman$(printf ')%.0s' $(seq 10000))"
DEEP_MIXED="$(printf '!(%.0s-(%.0s' $(seq 10000))pacman$(printf ')%.0s' $(seq 10000))"
measure find_pacman "$CLI" --input "$LISTXML" find --count pacman
measure find_pacman_depth_10000 "$CLI" --input "$LISTXML" find --count "$DEEP_PACMAN"
measure find_negated_depth_10000 "$CLI" --input "$LISTXML" find --count "$DEEP_MIXED"
ratio find_pacman_depth_10000 find_pacman 1.5
ratio find_negated_depth_10000 find_pacman 1.5
