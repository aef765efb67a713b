#!/usr/bin/env bash
# Arguments that Qt would take for its own options are marked paths: relative
# names "-platform", "-reverse" and "-stylesheet" next to ordinary files, all
# upper-cased, and no style sheet is loaded from a marked file.
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/e2e_lib.sh"

start_display
# start_vorel runs the program in $WORK, where relative paths resolve.
for name in -platform a.txt -reverse -stylesheet b.txt; do
  printf '%s' "$name" >"$WORK/$name"
done
printf 'QWidget { color: red' >>"$WORK/b.txt"   # a broken style sheet

upper_case_all() {
  keys alt+u                     # 大文字変換(&U)
  wait_window "情報"              # 変換を完了しました。
  keys Return
  wait_window "$1"
  keys Escape
  wait_exit
}

start_vorel -platform a.txt
wait_window "警告"              # first start: the settings file is created
keys Return
wait_window "Vorel (ﾒｲﾝ)"
upper_case_all "ファイル数  :  2 / 2"

start_vorel -reverse -stylesheet b.txt
wait_window "Vorel (ﾒｲﾝ)"
upper_case_all "ファイル数  :  3 / 3"

for name in -PLATFORM A.TXT -REVERSE -STYLESHEET B.TXT; do
  [ -f "$WORK/$name" ] || fail "$name missing: $(ls -a "$WORK")"
done
! grep -qi 'style *sheet' "$WORK/vorel.log" || fail "a marked file was read as a style sheet: $(cat "$WORK/vorel.log")"
echo "e2e toolkit options: passed"
