#!/bin/bash
# Fails when a folder of the module includes a folder above it. From the bottom up:
#   include/norvik              the public headers: the exports and the host's interfaces
#   resources, win32            texts, ids, handle owners, registry, threads
#   ui                          window wrappers
#   paths, hosts, controls      path macros, the model, the progress bar
#   settings, about, editing    settings file, About, views and dialogs
#   form                        the editor page
#   module                      the exports
# The model's progress dialog is a window: hosts/LoadProgressDialog.* may use ui/ and
# controls/. The public headers are included as "norvik/...".
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root" || exit 1

declare -A allowed=(
    [include/norvik]="norvik"
    [resources]=""
    [win32]=""
    [ui]="win32 resources"
    [paths]="win32"
    [hosts]="win32 resources"
    [controls]="ui win32 resources"
    [settings]="ui win32 resources"
    [about]="ui win32 resources"
    [editing]="hosts controls ui win32 resources"
    [form]="norvik editing hosts settings about paths controls ui win32 resources"
    [module]="norvik form editing hosts settings about paths controls ui win32 resources"
)
# Single files allowed more than their folder.
declare -A exceptions=(
    [hosts/LoadProgressDialog.h]="ui controls"
    [hosts/LoadProgressDialog.cpp]="ui controls"
)

bad=0
for folder in "${!allowed[@]}"; do
    [ -d "$folder" ] || continue
    while IFS= read -r file; do
        while IFS= read -r included; do
            top=${included%%/*}
            [ "$top" = "$included" ] && continue # not a project path
            [ "$top" = "$folder" ] && continue
            ok=0
            for layer in ${allowed[$folder]} ${exceptions[$file]:-}; do
                if [ "$layer" = "$top" ] || [ "$layer" = "$included" ]; then
                    ok=1
                fi
            done
            if [ "$ok" = 0 ]; then
                echo "check-layers: $file includes $included, above $folder/" >&2
                bad=1
            fi
        done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file")
    done < <(find "$folder" -name '*.h' -o -name '*.cpp' | sort)
done
[ "$bad" = 0 ] && echo "check-layers: every folder includes only the layers below it"
exit "$bad"
