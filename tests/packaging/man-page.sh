#!/bin/sh
# A man page renders without a warning both as written (groff, the PostScript device, which has
# no glyph for anything beyond Latin-1) and as installed (man-db on the gzip-compressed page, as
# `man` shows it in a UTF-8 terminal).
set -u
source=$1
installed=$2
status=0
for check in "groff -man -ww -z $source" \
             "env MANWIDTH=80 LC_ALL=C.UTF-8 man --warnings=w -E UTF-8 -l $installed"; do
    output=$($check 2>&1 >/dev/null)
    if [ $? -ne 0 ] || [ -n "$output" ]; then
        printf '%s\n%s\n' "$check:" "$output"
        status=1
    fi
done
if ! gzip -dc "$installed" | cmp -s - "$source"; then
    echo "$installed is not the compressed $source: build the target fonerix_packaging_files"
    status=1
fi
exit $status
