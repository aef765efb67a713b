#!/usr/bin/env bash
# `cmake --install` into a prefix holding blanks, %, $, quotes and Japanese,
# as a user with a private home: the desktop entry validates, every action
# hands the marked paths to the program whole, install_manifest.txt lists
# every file, and the defaults for folders and text files stay as they were.
set -euo pipefail
build="${1:?usage: $0 BUILD_DIR}"
work="$(mktemp -d /tmp/vorel-install-XXXXXX)"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

export HOME="$work/home"
export XDG_DATA_HOME="$HOME/.local/share" XDG_CONFIG_HOME="$HOME/.config"
export XDG_DATA_DIRS="$work/system" XDG_CONFIG_DIRS="$work/system-config"
mkdir -p "$XDG_DATA_HOME/applications" "$XDG_CONFIG_HOME" "$XDG_DATA_DIRS/applications"
# A file manager and an editor the desktop already has, the editor chosen
# as the default for text.
cat >"$XDG_DATA_DIRS/applications/filer.desktop" <<'ENTRY'
[Desktop Entry]
Type=Application
Name=Filer
Exec=true %U
MimeType=inode/directory;
ENTRY
cat >"$XDG_DATA_DIRS/applications/editor.desktop" <<'ENTRY'
[Desktop Entry]
Type=Application
Name=Editor
Exec=true %F
MimeType=text/plain;
ENTRY
printf '[Default Applications]\ntext/plain=editor.desktop\n' >"$XDG_CONFIG_HOME/mimeapps.list"
update-desktop-database "$XDG_DATA_DIRS/applications"
defaults() { gio mime inode/directory; gio mime text/plain; }
before="$(defaults)"

prefix="$work/opt/Vorel 100% \$HOME \"q\" 'a' \`b\` 日本"
cmake --install "$build" --prefix "$prefix" >/dev/null
share="$XDG_DATA_HOME"
expected=(
  "$prefix/./vorel"
  "$share/applications/vorel.desktop"
  "$share/kio/servicemenus/vorel.desktop"
  "$share/nemo/actions/vorel.nemo_action"
  "$share/file-manager/actions/vorel.desktop"
  "$share/nautilus/scripts/Vorel"
  "$share/icons/hicolor/scalable/apps/vorel.svg"
)
for f in "${expected[@]}"; do
  [ -e "$f" ] || fail "not installed: $f"
  grep -qxF "$f" "$build/install_manifest.txt" || fail "not in install_manifest.txt: $f"
done

entry="$share/applications/vorel.desktop"
desktop-file-validate "$entry"
grep -q '^MimeType=' "$entry" && fail "the desktop entry claims file types"
grep -qx 'Icon=vorel' "$entry" || fail "icon name"
[ -f "$share/applications/mimeinfo.cache" ] || fail "desktop database not refreshed"
[ "$(defaults)" = "$before" ] || { echo "$before"; defaults; fail "default applications changed"; }

# The program is replaced by one that records its arguments.
printf '#!/bin/sh\nfor a in "$@"; do printf "%%s\\n" "$a"; done >"%s/args"\n' "$work" >"$prefix/vorel"
marked=("$work/data/read me.txt" "$work/data/日本 語.txt" "$work/data/folder")
want="$(printf '%s\n' "${marked[@]}")"
check_args() {  # check_args WHAT: the recorded arguments are the marked paths
  local i
  for i in $(seq 1 50); do [ -s "$work/args" ] && break; sleep 0.1; done
  [ "$(cat "$work/args" 2>/dev/null)" = "$want" ] || fail "$1 passed: $(cat "$work/args" 2>/dev/null)"
  rm -f "$work/args"
}
# Launches an Exec line as a GLib-based launcher does.
launch_exec() {  # launch_exec EXEC_LINE WHAT
  local app="$work/launch.desktop"
  printf '[Desktop Entry]\nType=Application\nName=x\n%s\n' "$1" >"$app"
  gio launch "$app" "${marked[@]}"
  check_args "$2"
}
launch_exec "$(grep '^Exec=' "$entry")" "desktop entry"
for action in kio/servicemenus/vorel.desktop nemo/actions/vorel.nemo_action file-manager/actions/vorel.desktop; do
  lines="$(grep -c '^Exec=' "$share/$action")"
  [ "$lines" = 1 ] || fail "$action has $lines Exec lines"
  launch_exec "$(grep '^Exec=' "$share/$action")" "$action"
done
(cd "$work" && "$share/nautilus/scripts/Vorel" "${marked[@]}")
check_args "Nautilus script"
mkdir -p "$work/data"
(cd "$work/data" && "$share/nautilus/scripts/Vorel" "read me.txt" "日本 語.txt" folder)
check_args "Nautilus script with names in the folder shown"
echo "install: passed"
