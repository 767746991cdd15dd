#!/bin/sh
# The real listing merged with the real data files, shared by every real test of one build.
#   make-real-merged.sh VANTOR_CLI LISTXML REAL_DATA_FOLDER MERGED
set -eu
cli=$1 listing=$2 data=$3 merged=$4
[ -s "$listing" ] || { echo "the real MAME listing has not been generated"; exit 77; }
if [ -s "$merged" ] && [ -z "$(find -L "$listing" "$data" "$cli" -newer "$merged" 2> /dev/null | head -1)" ]; then
    echo "up to date: $merged"
    exit 0
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# merge leaves its log in the current folder.
cd "$work"
"$cli" merge --listxml "$listing" --catver "$data/catver.ini" --controls "$data/controls.xml" \
    --nplayers "$data/nplayers.ini" -o "$work/merged.xml"
mv "$work/merged.xml" "$merged"
