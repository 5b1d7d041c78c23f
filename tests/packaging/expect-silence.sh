#!/bin/sh
# Runs a checker and fails when it fails or says anything at all: desktop-file-validate and groff
# report hints and warnings on output and still end with 0.
output=$("$@" 2>&1)
status=$?
if [ "$status" -ne 0 ] || [ -n "$output" ]; then
    printf '%s\n' "$output"
    echo "$* ended with $status and the output above" >&2
    exit 1
fi
