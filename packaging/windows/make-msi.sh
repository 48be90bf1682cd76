#!/usr/bin/env bash
# Packs a folder laid out as the zip's (KT_5270.exe, kt5270.exe, the DLLs and plugins) into a
# Windows installer with wixl:
#   packaging/windows/make-msi.sh FOLDER VERSION ICON OUTPUT.msi
# Windows Installer compares the first three parts of VERSION when it upgrades.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
folder=$(cd "$1" && pwd)
version=$2 icon=$(realpath "$3") output=$(realpath "$4")

files=$(mktemp --suffix=.wxs)
trap 'rm -f "$files"' EXIT
# wixl takes sources by relative paths only, so it runs in the folder.
cd "$folder"
# Every file of the folder, one component each, under INSTALLDIR.
find . -type f | sort | wixl-heat --var var.Folder --prefix ./ --directory-ref INSTALLDIR \
  --component-group ProgramFiles --win64 >"$files"
wixl --arch x64 -D Folder=. -D Version="$version" -D Icon="$(realpath --relative-to=. "$icon")" \
  -D Win64=yes -o "$output" "$here/KT_5270.wxs" "$files"
