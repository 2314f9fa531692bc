#!/usr/bin/env bash
# The window as a user sees it: the real program on a real X server (Xvfb) under a window manager
# (openbox), driven from outside with keys and clicks (xdotool) and checked on screenshots, by
# pixels and by reading the text (tesseract).
#
#   real_display_test.sh PROGRAM WORKDIR [DOCS]
#
# Three starts: under C.UTF-8 (splash, menu keys, Help, browse mode with order 10, captions),
# under de_DE.UTF-8 answering No (the program ends before any window) and answering Yes (order
# 3, constants entered with Enter and keypad Enter, a result written with a point). Screenshots
# go to WORKDIR and stay there when a check fails. With DOCS, the screenshots of the README are
# written there as well.
set -uo pipefail

program=$(realpath "$1")
work=$(realpath -m "$2")
docs=${3:+$(realpath -m "$3")}
rm -rf "$work"
mkdir -p "$work/home"
failures=0
pids=()

for tool in Xvfb openbox xdotool import convert compare tesseract localedef; do
  command -v "$tool" >/dev/null || { echo "missing $tool: run scripts/setup" >&2; exit 1; }
done

cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null
  done
  wait 2>/dev/null
  if ((failures == 0)); then rm -rf "$work"; fi
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
pass() { echo "ok: $*"; }

# --- the display -------------------------------------------------------------------------------
# Xvfb picks a free display number itself and writes it to the given descriptor.
export HOME=$work/home XDG_CONFIG_HOME=$work/home XDG_CACHE_HOME=$work/home
export XDG_RUNTIME_DIR=$work/home
chmod 700 "$work/home"
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 200); do [ -s "$work/display" ] && break; sleep 0.05; done
[ -s "$work/display" ] || { fail "Xvfb did not start"; exit 1; }
DISPLAY=:$(cat "$work/display")
export DISPLAY
openbox --startup "touch $work/wm-ready" >"$work/openbox.log" 2>&1 &
pids+=($!)
for _ in $(seq 200); do [ -e "$work/wm-ready" ] && break; sleep 0.05; done
[ -e "$work/wm-ready" ] || { fail "openbox did not start"; exit 1; }

# The comma locale; where the system lacks it, a private copy made for this run.
comma_env=(LC_ALL=de_DE.UTF-8)
if ! locale -a 2>/dev/null | grep -qix 'de_DE.utf-\?8'; then
  mkdir -p "$work/locale"
  localedef -i de_DE -c -f UTF-8 "$work/locale/de_DE.UTF-8" >/dev/null 2>&1
  comma_env+=(LOCPATH="$work/locale")
fi

# --- helpers -----------------------------------------------------------------------------------
shot() { # name -> path of a new screenshot of the whole screen, numbered in order
  local taken file
  taken=$(find "$work" -maxdepth 1 -name '[0-9]*.png' | wc -l)
  file=$(printf '%s/%02d-%s.png' "$work" $((taken + 1)) "$1")
  import -window root "$file"
  echo "$file"
}

# A screenshot once the screen has stopped changing (a blinking text cursor aside).
settled_shot() { # name -> path
  local previous current changed
  sleep 0.2
  previous=$(shot "$1")
  for _ in $(seq 20); do
    sleep 0.1
    current=$(shot "$1")
    changed=$(compare -metric AE "$previous" "$current" null: 2>&1)
    [[ $changed =~ ^[0-9]+$ ]] && ((changed < 40)) && break
    rm -f "$previous"
    previous=$current
  done
  echo "$current"
}

start() { # locale settings...: starts the program with them on the xcb platform
  env "$@" QT_QPA_PLATFORM=xcb "$program" >>"$work/program.log" 2>&1 &
  app=$!
  pids+=("$app")
}

wait_window() { # name pattern (empty: any), seconds -> id of a visible window of the program
  local deadline=$((SECONDS + $2)) id name=()
  [ -n "$1" ] && name=(--name "$1")
  while ((SECONDS <= deadline)); do
    id=$(xdotool search --all --onlyvisible --pid "$app" "${name[@]}" 2>/dev/null | head -1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

activate() { # window id: gives it the focus through the window manager
  xdotool windowactivate "$1" 2>/dev/null
  sleep 0.3
}

click() { # x y in the client area
  xdotool mousemove $((cx + $1)) $((cy + $2)) click 1
  sleep 0.2
}

count_colour() { # file colour -> number of pixels of exactly that colour
  convert "$1" -fill black +opaque "$2" -fill white -opaque "$2" \
    -format '%[fx:int(mean*w*h+0.5)]' info:
}

orange_on_screen() { # name: once a window is up, waits up to 2 s for the splash's orange text
  local file n
  splash_id=$(wait_window '' 10) || return 1
  for _ in $(seq 12); do
    file=$(shot "$1")
    n=$(count_colour "$file" '#FF8000')
    ((n > 2000)) && { echo "$file"; return 0; }
    sleep 0.15
  done
  return 1
}

# The client area: the one cyan rectangle of 632 x 434 pixels; sets cx, cy.
find_client() {
  local file geometry
  for _ in $(seq 40); do
    file=$(shot client)
    geometry=$(convert "$file" -fill black +opaque '#00FFFF' -format '%@' info: 2>/dev/null)
    if [[ $geometry =~ ^632x434\+([0-9]+)\+([0-9]+)$ ]]; then
      cx=${BASH_REMATCH[1]} cy=${BASH_REMATCH[2]}
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# Texts are read at the end in one run of tesseract, whose start is slow: expect_text keeps the
# part of the screenshot and what it must read.
crops=() readings=() expected=()
expect_text() { # what file x y w h expected
  local crop=$work/reading-${#crops[@]}.png
  convert "$2" -crop "$5x$6+$((cx + $3))+$((cy + $4))" +repage -colorspace gray -normalize \
    -scale 400% "$crop"
  crops+=("$crop") readings+=("$1") expected+=("$7")
}

check_readings() {
  ((${#crops[@]})) || return
  printf '%s\n' "${crops[@]}" >"$work/readings.txt"
  local i=0 text
  while IFS= read -r -d $'\f' text || [ -n "$text" ]; do
    text=$(echo "$text" | tr -s ' \n' ' ' | sed 's/^ //; s/ $//')
    if [ "$text" = "${expected[i]}" ]; then
      pass "${readings[i]} reads \"$text\""
    else
      fail "${readings[i]} reads \"$text\", not \"${expected[i]}\" (${crops[i]})"
    fi
    i=$((i + 1))
  done < <(tesseract "$work/readings.txt" - --psm 6 2>/dev/null)
  ((i == ${#crops[@]})) || fail "read $i of ${#crops[@]} texts"
}

# The menu bar (the strip above the client area, File and Help) shows an item highlighted.
expect_menu_highlight() { # what idle-shot shot
  local changed strip=70x16+$cx+$((cy - 17))
  convert "$2" -crop "$strip" +repage "$work/bar-idle.png"
  convert "$3" -crop "$strip" +repage "$work/bar.png"
  changed=$(compare -metric AE "$work/bar-idle.png" "$work/bar.png" null: 2>&1)
  if [[ $changed =~ ^[0-9]+$ ]] && ((changed > 100)); then
    pass "$1 highlights the menu bar"
  else
    fail "$1 shows nothing on the menu bar ($changed pixels changed)"
  fi
}

# An integral sign fills its box top to bottom at about 48 pt and no stroke is cut at the box's
# edges: the ink keeps off its left and right columns. x y w h are the box's part on screen.
expect_whole_sign() { # what file x y w h
  local box
  box=$(convert "$2" -crop "$5x$6+$((cx + $3))+$((cy + $4))" +repage -fuzz 25% \
    -fill white -opaque '#00FFFF' -fill black +opaque white -bordercolor white -border 1 \
    -format '%@' info:)
  if [[ ! $box =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]]; then
    fail "$1: no sign in its box"
    return
  fi
  local w=${BASH_REMATCH[1]} h=${BASH_REMATCH[2]} x=$((BASH_REMATCH[3] - 1))
  if ((x > 0 && x + w < $5 && h >= 56)); then
    pass "$1 whole (${w}x$h in ${5}x$6)"
  else
    fail "$1 cut or small: ink ${w}x$h at $x in a box ${5}x$6"
  fi
}

px() { # twips to pixels, rounded half away from zero
  local t=$(($1))
  if ((t < 0)); then echo $((-((-t * 2 + 15) / 30))); else echo $(((t * 2 + 15) / 30)); fi
}
# The design's places in pixels of the client area.
frame_x=$(px -30) frame_y=$(px 2700)                                  # the limits frame
sign_w=$(px 240) sign_h=$(px 1050)                                    # a sign's box
sign_top=$((frame_y + $(px 720))) row_top=$((frame_y + $(px 1890))) # level signs, sign row

# --- start 1: C.UTF-8 ----------------------------------------------------------------------------
start LC_ALL=C.UTF-8
if orange_on_screen splash >/dev/null; then
  pass "splash painted during its wait"
  [ -n "$docs" ] && import -window "$splash_id" "$docs/splash.png"
else
  fail "splash shows no orange text"
fi

# The main window, found once it shows its cyan client area (the splash has gone by then).
if find_client && wid=$(wait_window '^Vantrel Integration$' 5); then
  # F10 and a lone Alt highlight File on the menu bar; Down opens it.
  idle=$(shot menu-bar-idle)
  xdotool key F10
  expect_menu_highlight "F10" "$idle" "$(settled_shot menu-bar-f10)"
  xdotool key Down
  expect_text "File menu after F10, Down" "$(settled_shot f10-file-menu)" 10 0 105 22 "Open"
  # Esc closes the menu, Esc again leaves the bar; the focus comes back before Alt is pressed.
  xdotool key Escape
  sleep 0.3
  xdotool key Escape
  sleep 0.6
  xdotool key alt
  expect_menu_highlight "a lone Alt" "$idle" "$(settled_shot menu-bar-alt)"
  # Right to Help, Enter: the help window opens; it is put aside.
  xdotool key Right Return
  if help=$(wait_window 'Help' 5); then
    pass "Alt, Right, Enter opens the help window"
    xdotool windowminimize "$help"
  else
    fail "no help window after Alt, Right, Enter"
  fi
  activate "$wid"
  click $(($(px 2640) + 10)) 9 # into the order field

  # Order 10: browse mode with the row of signs.
  xdotool type 10
  xdotool key Tab ctrl+a
  xdotool type --delay 10 'a,b,c,d,e,f,g,h,i,j'
  xdotool key Tab
  file=$(settled_shot order10)
  expect_text "frame caption" "$file" 4 112 90 16 "User constants"
  expect_text "subintervals caption" "$file" 2 $((frame_y + 137)) 112 14 "Min. # of subintervals:"
  expect_text "hint" "$file" $((frame_x + $(px 4400))) $((frame_y + $(px 1980))) 187 59 \
    "Click on an integral sign to edit corresponding limits"
  # The slot's sign begins left of the window's edge, like the frame.
  expect_whole_sign "sign in the slot" "$file" 0 "$sign_top" $((sign_w + frame_x)) "$sign_h"
  for j in $(seq 0 9); do
    expect_whole_sign "sign $j of the row" "$file" $((frame_x + $(px "1800 + 240 * j"))) \
      "$row_top" "$sign_w" "$sign_h"
  done
  # The leftmost sign is integration number 10.
  click $((frame_x + $(px 1800) + 8)) $((row_top + 35))
  file=$(settled_shot integration10)
  expect_text "browse number" "$file" $((frame_x + $(px 3105) - 5)) $((frame_y + 8)) 265 42 \
    "Integration # 10"
  [ -n "$docs" ] && convert "$file" -trim +repage "$docs/browse-mode.png" # the framed window
else
  fail "no main window"
fi
kill "$app" 2>/dev/null

# --- start 2: comma locale, No -------------------------------------------------------------------
start "${comma_env[@]}"
if question=$(wait_window '^Decimal Comma Warning!$' 8); then
  file=$(shot comma-question)
  if (($(count_colour "$file" '#FF8000') < 500)); then
    pass "the comma question comes before the splash"
  else
    fail "the splash shows with the comma question"
  fi
  activate "$question"
  xdotool key alt+n
  for _ in $(seq 30); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$app" 2>/dev/null; then
    fail "No did not end the program"
  elif [ -n "$(xdotool search --onlyvisible --pid "$app" 2>/dev/null)" ]; then
    fail "a window stayed after No"
  else
    pass "No ends the program before any window"
  fi
else
  fail "no \"Decimal Comma Warning!\" question under de_DE.UTF-8"
fi
kill "$app" 2>/dev/null

# --- start 3: comma locale, Yes; order 3 with constants ------------------------------------------
start "${comma_env[@]}"
if question=$(wait_window '^Decimal Comma Warning!$' 8); then
  activate "$question"
  xdotool key Return
  orange_on_screen splash-after-yes >/dev/null || fail "no splash after Yes"
  if find_client && wait_window '^Vantrel Integration$' 5 >/dev/null; then
    xdotool type 3
    xdotool key Tab ctrl+a
    xdotool type x,y,z
    xdotool key Tab Tab
    xdotool type 'a*b*x'
    xdotool key Tab
    xdotool type a=2
    xdotool key Return
    xdotool type b=1.75
    xdotool key KP_Enter
    sleep 0.2
    click $(($(px 3120) + 30)) $(($(px 6000) + 9))
    # The result label gets its text when the computation ends.
    result_w=$(($(px 2175) - 4)) result_h=$(($(px 285) - 4))
    result=${result_w}x$result_h+$((cx + $(px 4170) + 2))+$((cy + $(px 6000) + 2))
    for _ in $(seq 50); do
      file=$(shot order3-result)
      convert "$file" -crop "$result" +repage "$work/result.png"
      (($(count_colour "$work/result.png" '#FFFFC0') < result_w * result_h - 20)) && break
      sleep 0.2
    done
    expect_whole_sign "sign of level 0" "$file" $((frame_x + $(px 4920))) "$sign_top" \
      "$sign_w" "$sign_h"
    expect_whole_sign "sign of level 1" "$file" $((frame_x + $(px 1740))) "$sign_top" \
      "$sign_w" "$sign_h"
    expect_whole_sign "sign of level 2" "$file" 0 "$sign_top" $(($(px 255) + frame_x)) "$(px 1170)"
    expect_text "result of a*b*x with a, b added by Enter and keypad Enter" "$file" \
      $(($(px 4170) + 2)) $(($(px 6000) + 2)) $(($(px 2175) - 4)) $(($(px 285) - 4)) "5.25"
    [ -n "$docs" ] && convert "$file" -trim +repage "$docs/main-window.png"
  else
    fail "no main window after Yes"
  fi
else
  fail "no \"Decimal Comma Warning!\" question for the second start"
fi

check_readings
if ((failures)); then
  echo "$failures check(s) failed; screenshots in $work" >&2
  exit 1
fi
echo "all checks passed"
