#!/usr/bin/env bash
# Installs a plug-in library as the given file without disturbing a host that has the old one loaded.
# The new library is written to a temporary file beside the old one and renamed over it: a running host
# keeps its mapping of the old file, whose name alone goes. Copying into the old file instead would
# change the pages under the host, which then dies of SIGBUS.
set -euo pipefail
if [[ $# -ne 2 ]]; then
    echo "usage: install-plugin.sh <library> <installed file>" >&2
    exit 2
fi
source=$1
target=$2
if [[ ! -f "$source" ]]; then
    echo "install-plugin: $source is not a file" >&2
    exit 1
fi
folder=$(dirname "$target")
mkdir -p "$folder"
# Beside the target, so that the rename stays on one file system and replaces the name in one step.
temp=$(mktemp "$folder/.$(basename "$target").XXXXXX")
trap 'rm -f "$temp"' EXIT
cp "$source" "$temp"
chmod 755 "$temp"
mv -f "$temp" "$target"
trap - EXIT
