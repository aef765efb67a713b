#!/usr/bin/env bash
# First start with three paths, upper case, report, exit: all by keyboard,
# then the files on disk are checked.
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/e2e_lib.sh"

start_display
printf 'one' >"$DATA/a.txt"
printf 'two' >"$DATA/b.txt"
printf 'three' >"$DATA/c"

start_vorel "$DATA/a.txt" "$DATA/b.txt" "$DATA/c"
wait_window "警告"              # first start: the settings file is created
keys Return
wait_window "Vorel (ﾒｲﾝ)"
[ -f "$PROG_DIR/vorel.INI" ] || fail "settings file not created at first start"
keys alt+u                     # 大文字変換(&U)
wait_window "情報"              # 変換を完了しました。
keys Return
wait_window "ファイル数  :  3 / 3"
keys alt+c                     # 変換確認(&C)
wait_window "Vorel (変換確認)"
keys Escape
wait_window "ファイル数  :  3 / 3"
keys Escape
wait_exit

[ "$(cat "$DATA/A.TXT")" = one ] || fail "a.txt was not renamed to A.TXT"
[ "$(cat "$DATA/B.TXT")" = two ] || fail "b.txt was not renamed to B.TXT"
[ "$(cat "$DATA/C")" = three ] || fail "c was not renamed to C"
[ ! -e "$DATA/a.txt" ] || fail "a.txt still there"

expected="$(printf '%s\r\n' \
  "$DATA/a.txt" "$DATA/A.TXT" "$DATA/A.TXT" "" \
  "$DATA/b.txt" "$DATA/B.TXT" "$DATA/B.TXT" "" \
  "$DATA/c" "$DATA/C" "$DATA/C" "" | od -An -tx1)"
actual="$(od -An -tx1 "$PROG_DIR/vorel.TXT")"
[ "$expected" = "$actual" ] || fail "report bytes differ"

ini="$PROG_DIR/vorel.INI"
for section in ProgTitle ProgName ProgOption ProgDir ProgShortCut TextJyouhou DbcsSet; do
  grep -q "^\[$section\]"$'\r'"\$" "$ini" || fail "section $section missing"
done
grep -q "^Set=3"$'\r'"\$" "$ini" || fail "warning mode not written"
echo "e2e rename and report: passed"
