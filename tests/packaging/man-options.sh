#!/bin/sh
# Every option a program's --help names is described in its man page (as \-\-name in the roff
# source), and with --commands also every command of a "Commands:" list.
set -u
program=$1
page=$2
commands=${3:-}
help=$("$program" --help) || { echo "$program --help failed"; exit 1; }
text=$(sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' "$page")
missing=0
for option in $(printf '%s\n' "$help" |
                grep -oE '(^|[^A-Za-z0-9_-])--?[A-Za-z][A-Za-z0-9-]*' |
                sed -E 's/^[^-]*//' | sort -u); do
    if ! printf '%s\n' "$text" | grep -qE -- "(^|[^A-Za-z0-9-])$option([^A-Za-z0-9-]|$)"; then
        echo "$page does not describe $option"
        missing=1
    fi
done
if [ "$commands" = "--commands" ]; then
    # "  voice get HANDLE FILE.wav   save ..." -> "voice get": the words in small letters before
    # the first operand, in the column before the summary.
    for command in $(printf '%s\n' "$help" | sed -n '/^Commands:/,/^$/p' | sed -n 's/^  //p' |
                     awk '{ line = $0; cut = index(line, "  "); if (cut > 0) line = substr(line, 1, cut - 1)
                            n = split(line, w, " "); name = w[1]
                            for (i = 2; i <= n && w[i] ~ /^[a-z-]+$/; ++i) name = name "_" w[i]
                            print name }'); do
        words=$(printf '%s' "$command" | tr '_' ' ')
        if ! printf '%s\n' "$text" | grep -qwF -- "$words"; then
            echo "$page does not describe the command $words"
            missing=1
        fi
    done
fi
if [ "$missing" -ne 0 ]; then
    printf '\n%s --help:\n%s\n' "$program" "$help"
fi
exit $missing
