#!/usr/bin/env bash
# Checks that every file of a layer includes only what its layer may see: the folders listed
# for it in LAYERS (written by CMake: "folder: visible folders..."), no "../" way around
# them, and no Qt outside the window and platform/'s sources. The build's
# include views catch what a layer compiles; this also catches headers no lower layer
# compiles. Usage: check_layers.sh LAYERS (from the source root).
set -u
layers=${1:?usage: check_layers.sh LAYERS}
[ -s "$layers" ] || { echo "check_layers: $layers is missing or empty (run cmake first)"; exit 2; }

declare -A visible
while IFS=: read -r folder seen; do
    [ -n "$folder" ] && visible[$folder]=" $seen "
done <"$layers"

bad=0
included='^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^/"]+)/'
for folder in "${!visible[@]}"; do
    for file in "$folder"/*.h "$folder"/*.cpp; do
        [ -f "$file" ] || continue
        while IFS=: read -r line text; do
            target=
            [[ $text =~ $included ]] && target=${BASH_REMATCH[1]}
            if [[ $text =~ \#[[:space:]]*include[[:space:]]*\"\.\./ ]]; then
                echo "$file:$line: $folder/ may not include by a ../ path"
                bad=1
            elif [ -n "$target" ] && [[ ${visible[$folder]} != *" $target "* ]]; then
                echo "$file:$line: $folder/ may not include $target/"
                bad=1
            elif [[ $text =~ \#[[:space:]]*include[[:space:]]*\<[Qq] ]] && [ "$folder" != ui ] &&
                ! [[ $folder == platform && $file == *.cpp ]]; then
                echo "$file:$line: $folder/ may not include Qt"
                bad=1
            fi
        done < <(grep -nE '^[[:space:]]*#[[:space:]]*include' "$file")
    done
done
[ "$bad" = 0 ] || echo "Includes above run against the layers (docs/engine.md): move the code down, or add an operation to the layer below."
exit "$bad"
