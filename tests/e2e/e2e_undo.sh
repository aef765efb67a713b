#!/usr/bin/env bash
# Upper case, then Ctrl+Z puts the files back, then the report of the undo:
# all by keyboard, then the names on disk and the report's bytes are checked.
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/e2e_lib.sh"

start_display
printf 'one' >"$DATA/a.txt"
printf 'two' >"$DATA/b"

start_vorel "$DATA/a.txt" "$DATA/b"
wait_window "警告"              # first start: the settings file is created
keys Return
wait_window "Vorel (ﾒｲﾝ)"
keys alt+u                     # 大文字変換(&U)
wait_window "情報"              # 変換を完了しました。
keys Return
wait_window "ファイル数  :  2 / 2"
[ -f "$DATA/A.TXT" ] && [ -f "$DATA/B" ] || fail "files not renamed to upper case"
keys ctrl+z                    # 元に戻す(&Z)
wait_window "情報"
keys Return
wait_window "ファイル数  :  2 / 2"
keys alt+c                     # 変換確認(&C)
wait_window "Vorel (変換確認)"
keys Escape
wait_window "ファイル数  :  2 / 2"
keys Escape
wait_exit

[ "$(cat "$DATA/a.txt")" = one ] || fail "A.TXT was not put back to a.txt"
[ "$(cat "$DATA/b")" = two ] || fail "B was not put back to b"
[ "$(ls "$DATA" | sort | tr '\n' ' ')" = "a.txt b " ] || fail "other names on disk: $(ls "$DATA")"

expected="$(printf '%s\r\n' \
  "$DATA/A.TXT" "$DATA/a.txt" "$DATA/a.txt" "" \
  "$DATA/B" "$DATA/b" "$DATA/b" "" | od -An -tx1)"
actual="$(od -An -tx1 "$PROG_DIR/vorel.TXT")"
[ "$expected" = "$actual" ] || fail "report bytes differ"
echo "e2e undo: passed"
