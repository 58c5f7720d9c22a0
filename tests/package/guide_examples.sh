#!/usr/bin/env bash
# Runs every command line the guides mark as a runnable example: a code block right after a
# line "<!-- example -->" in README.md or docs/**/*.md. Each block runs with bash -e in one
# scratch folder that holds a copy of examples/ (blocks run in order, so a later one may use
# what an earlier one wrote), with the built programs first on PATH and a scratch home (its
# trash included).
# Usage: guide_examples.sh SOURCE_DIR PROGRAM_DIR...
set -uo pipefail
source_dir=$1
shift
path=""
for dir in "$@"; do path+="$dir:"; done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home" "$work/folder"
cp "$source_dir"/examples/* "$work/folder/"

ran=0
status=0
while IFS= read -r -d '' guide; do
    # Each example as "LINE<TAB>commands", the commands' line feeds kept as NUL-free \x1e.
    while IFS=$'\t' read -r line block; do
        commands=${block//$'\x1e'/$'\n'}
        if ! output=$(cd "$work/folder" &&
            env -u LANGUAGE -u QT_QPA_PLATFORM -u DISPLAY -u WAYLAND_DISPLAY HOME="$work/home" \
                XDG_DATA_HOME="$work/home/.local/share" PATH="$path$PATH" LC_ALL=C.UTF-8 \
                bash -euo pipefail -c "$commands" 2>&1); then
            echo "FAIL: ${guide#"$source_dir"/}:$line:"
            echo "$commands" | sed 's/^/    /'
            echo "$output" | sed 's/^/  | /'
            status=1
        fi
        ran=$((ran + 1))
    done < <(awk '
        /<!-- example -->/ { want = 1; next }
        want && /^```/ && !inside { inside = 1; start = NR + 1; text = ""; next }
        inside && /^```/ { printf "%d\t%s\n", start, text; inside = 0; want = 0; next }
        inside { text = text (text == "" ? "" : "\x1e") $0; next }
        { want = 0 }' "$guide")
done < <(find "$source_dir/README.md" "$source_dir/docs" -name '*.md' -print0 | sort -z)

echo "$ran examples run"
if ((ran == 0)); then
    echo "FAIL: no example found"
    exit 1
fi
exit $status
