#!/usr/bin/env bash
# Under a window manager (openbox) the prompts, the main window, the
# warning-mode dialog and Qt's font, colour and file dialogs are centred by their
# outer size, frame included; the arrow keys move the warning mode; Enter
# presses the focused button of the exit question.
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/e2e_lib.sh"
command -v openbox >/dev/null || fail "openbox is not installed"

start_display
openbox --sm-disable >"$WORK/openbox.log" 2>&1 &
WM_PID=$!
trap 'kill "$WM_PID" 2>/dev/null || true; cleanup' EXIT
for i in $(seq 1 50); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done

# outer_offset TITLE : prints how far the window's frame is from the centre
# the rule gives ("0 0" when centred), after the frame is known.
outer_offset() {
  local id info extents x y w h l r t b dx dy i pattern
  pattern="^$(printf '%s' "$1" | sed 's/[][().*+?^$|\\/]/\\&/g')\$"
  for i in $(seq 1 30); do
    id="$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null | tail -n 1 || true)"
    extents="$(xprop -id "$id" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= //p' | tr -d ' ')"
    if [ -n "$id" ] && [ -n "$extents" ]; then
      info="$(xwininfo -id "$id")"
      x="$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")"
      y="$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")"
      w="$(sed -n 's/.*Width: *//p' <<<"$info")"
      h="$(sed -n 's/.*Height: *//p' <<<"$info")"
      IFS=, read -r l r t b <<<"$extents"
      dx=$(( x - l - (1280 - (w + l + r)) / 2 ))
      dy=$(( y - t - (1024 - (h + t + b)) / 2 ))
      [ "$dx $dy" = "0 0" ] && { echo "0 0"; return; }
    fi
    sleep 0.1
  done
  echo "${dx:-?} ${dy:-?}"
}

centred() {
  local off
  off="$(outer_offset "$1")"
  [ "$off" = "0 0" ] || fail "'$1' is off the centre by $off"
}

start_vorel "$DATA/x"
wait_window "警告"                     # first start
centred "警告"
keys Return
wait_window "Vorel (ﾒｲﾝ)"
centred "Vorel (ﾒｲﾝ)"
keys alt+k d                           # 2ﾊﾞｲﾄ文字設定(&D)...
wait_window "Tesku (2ﾊﾞｲﾄ文字設定)"
centred "Tesku (2ﾊﾞｲﾄ文字設定)"
keys Down alt+s                        # from the mode in force (3) round to 1, saved
wait_window "Vorel (ﾒｲﾝ)"
keys alt+k f                           # the session's first font chooser
wait_window "ﾌｫﾝﾄ"
centred "ﾌｫﾝﾄ"
keys Escape
wait_window "Vorel (ﾒｲﾝ)"
keys alt+k c                           # Qt's colour dialog
wait_window "色を選択"
centred "色を選択"
keys Escape
wait_window "Vorel (ﾒｲﾝ)"
keys alt+k l                           # Qt's file dialog, from the launcher entry editor
wait_window "Vorel (ﾗﾝﾁｬｰ設定)"
keys alt+n
wait_window "Vorel (ﾗﾝﾁｬｰ編集)"
keys alt+b
wait_window "開く"
centred "開く"
keys Escape
wait_window "Vorel (ﾗﾝﾁｬｰ編集)"
keys Escape
wait_window "Vorel (ﾗﾝﾁｬｰ設定)"
keys Escape
wait_window "Vorel (ﾒｲﾝ)"
keys alt+f x                           # 終了(&X): the exit question
wait_window "情報"
centred "情報"
keys Tab Return                        # いいえ(&N) has the focus: the program stays
sleep 0.5
kill -0 "$VOREL_PID" 2>/dev/null || fail "Enter on the focused No button ended the program"
wait_window "Vorel (ﾒｲﾝ)"
keys alt+f x
wait_window "情報"
keys Return                            # はい(&Y) has the focus at first
wait_exit
tr -d '\r' <"$PROG_DIR/vorel.INI" | awk '/^\[/ { s = $0 } s == "[DbcsSet]" && $0 == "Set=1" { f = 1 } END { exit !f }' ||
  fail "Down then 保存(&S) did not save mode 1"
echo "e2e window manager: passed"
