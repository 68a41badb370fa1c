# Shared pieces of the runs of the real program in a real window (run-acceptance,
# run-stress): a work folder, a copy of the program folder, a virtual X server (Xvfb), the
# program started in it, X input with xdotool, and screenshots read with ImageMagick.
#
# Sourced, not run. Before sourcing, the script sets
#   tag       the name its messages start with
#   build     the build folder (holds src/app/zelan and tests/acceptance/acceptance_ayabands)
#   program   the program folder scripts/build-data builds
#   here      the folder of these scripts
# and may define session_cleanup_extra, which cleanup runs first (to stop servers of its
# own). After sourcing, session_begin makes the work folder and checks the tools and files.

# Screen and design geometry. The windows are frameless and placed by the program itself, so
# without a window manager their X positions are the program's own.
readonly screen_w=1280 screen_h=1024
readonly start_w=795 start_h=582       # start window
readonly main_w=885 main_h=665         # main reading window
readonly index_w=800 index_h=600       # sura index window
readonly box_x=242 box_y=74 box_w=412 box_h=354 # page box PaintBox1 in the main window

zelan_exe=$build/src/app/zelan
ayabands=$build/tests/acceptance/acceptance_ayabands
lines_table=$program/trans_RUS/LINES_ruvo.DB
xvfb_pid=""
zelan_pid=""
step_name="setting up"

cleanup() {
  if declare -F session_cleanup_extra >/dev/null; then
    session_cleanup_extra
  fi
  if [ -n "$zelan_pid" ] && kill -0 "$zelan_pid" 2>/dev/null; then
    kill "$zelan_pid" 2>/dev/null
    wait "$zelan_pid" 2>/dev/null
  fi
  if [ -n "$xvfb_pid" ] && kill -0 "$xvfb_pid" 2>/dev/null; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
}

fail() {
  echo "$tag: FAILED at step '$step_name': $*" >&2
  # A last look at the screen, when the server still runs.
  if [ -n "${DISPLAY:-}" ]; then
    timeout 15 import -window root "$shots/failure.png" >/dev/null 2>&1 || true
  fi
  cleanup
  rm -rf "$work/program" "$work/runtime"
  if [ -s "$log" ]; then
    echo "$tag: the program's output:" >&2
    grep -v "^qt.widgets.painting: " "$log" | sed 's/^/  | /' >&2
  fi
  echo "$tag: screenshots and output kept in $work" >&2
  # Called inside a command substitution, the failure has to end the script itself too.
  if [ "$BASHPID" != "$$" ]; then
    kill -USR1 $$
  fi
  exit 1
}

step() {
  step_name=$1
  echo "$tag: $step_name"
}

# session_begin: the work folder (kept when the run fails), the traps, the tools and files.
session_begin() {
  work=$(mktemp -d "${TMPDIR:-/tmp}/zelan-$tag.XXXXXX")
  shots=$work/screenshots
  mkdir -p "$shots" "$work/runtime"
  chmod 700 "$work/runtime"
  log=$work/zelan.log

  trap 'fail "interrupted"' INT TERM
  trap 'exit 1' USR1

  local tool
  for tool in Xvfb xdotool import convert compare "$@"; do
    command -v "$tool" >/dev/null || fail "the tool '$tool' is not installed (scripts/install installs it)"
  done
  [ -x "$zelan_exe" ] || fail "no program at $zelan_exe (build it first)"
  [ -x "$ayabands" ] || fail "no helper at $ayabands (build it first)"
  [ -f "$lines_table" ] || fail "no line table at $lines_table (scripts/build-data builds the program folder)"
}

# ---- Helpers ---------------------------------------------------------------------------------

# Every X client call has a time limit, so that a stuck server ends the run with a message
# instead of hanging it.
xdo() { timeout 10 xdotool "$@"; }

now_tenths() { echo "$(( $(date +%s%N) / 100000000 ))"; }

# shot <name>: a screenshot of the whole screen; prints its path. Screenshots are numbered in
# the order of the run; one taken again under the same name while polling replaces the last.
# (It runs in command substitutions, so the numbering lives in a file.)
shot() {
  local count=0 last=""
  [ -f "$work/shot-count" ] && read -r count last <"$work/shot-count"
  if [ "$1" != "$last" ]; then
    count=$((count + 1))
    echo "$count $1" >"$work/shot-count"
  fi
  local file
  file=$(printf '%s/%02d-%s.png' "$shots" "$count" "$1")
  timeout 15 import -window root "$file" 2>>"$work/import.log" || fail "no screenshot could be taken"
  echo "$file"
}

# crop <image> <x> <y> <w> <h> <out>
crop() { convert "$1" -crop "$4x$5+$2+$3" +repage "$6" || fail "cannot crop $1"; }

# red_count <image> [convert operations...]: how many pixels are the mark's pure red.
red_count() {
  local image=$1
  shift
  convert "$image" "$@" -alpha off -fill black +opaque '#FF0000' -fill white -opaque '#FF0000' \
    -colorspace gray -format '%[fx:round(mean*w*h)]' info: || fail "cannot read pixels of $image"
}

# differing <a> <b> [convert operations on both]: how many pixels differ between two images.
differing() {
  local a=$1 b=$2
  shift 2
  local ma=$work/diff-a.png mb=$work/diff-b.png
  convert "$a" "$@" "$ma" && convert "$b" "$@" "$mb" || fail "cannot mask $a and $b"
  local count
  count=$(compare -metric AE "$ma" "$mb" null: 2>&1)
  count=${count%% *}
  [[ $count =~ ^[0-9]+$ ]] || fail "cannot compare $a with $b: $count"
  echo "$count"
}

# mean_level <image>: the mean brightness, 0 to 1000.
mean_level() { convert "$1" -colorspace gray -format '%[fx:round(mean*1000)]' info:; }

# Bands of an aya from the line table: sets band_page, band_half, bands (x1 top x2 bottom ...),
# click_x, click_y. bands_of <sura> <aya> [<page> <half>]
bands_of() {
  local out
  out=$("$ayabands" "$lines_table" "$@" 2>&1) || fail "the line table gives no place for sura $1 aya $2: $out"
  bands=()
  while read -r kind a b c d; do
    case $kind in
      half) band_page=$a; band_half=$b ;;
      band) bands+=("$a" "$b" "$c" "$d") ;;
      click) click_x=$a; click_y=$b ;;
    esac
  done <<<"$out"
  [ ${#bands[@]} -gt 0 ] || fail "no band for sura $1 aya $2"
}

# draw_over <x1 top x2 bottom ...>: the convert operations that paint those bands black.
draw_over() {
  local ops=(-fill black)
  while [ $# -ge 4 ]; do
    ops+=(-draw "rectangle $1,$2 $3,$4")
    shift 4
  done
  printf '%s\n' "${ops[@]}"
}

# visible_windows: "id x y w h" of every visible window of the program.
visible_windows() {
  local id
  for id in $(xdo search --onlyvisible --pid "$zelan_pid" 2>/dev/null); do
    local X="" Y="" WIDTH="" HEIGHT=""
    eval "$(xdo getwindowgeometry --shell "$id" 2>/dev/null | grep -E '^(X|Y|WIDTH|HEIGHT)=[0-9-]+$')"
    [ -n "$WIDTH" ] && echo "$id $X $Y $WIDTH $HEIGHT"
  done
}

# find_window <w> <h>: sets win_id, win_x, win_y for a visible program window of that size.
find_window() {
  local id x y w h
  while read -r id x y w h; do
    if [ "$w" = "$1" ] && [ "$h" = "$2" ]; then
      win_id=$id; win_x=$x; win_y=$y
      return 0
    fi
  done < <(visible_windows)
  return 1
}

# A program that has ended stays a zombie until it is waited for, which kill -0 still finds.
program_alive() {
  local state
  [ -n "$zelan_pid" ] && read -r _ _ state _ 2>/dev/null <"/proc/$zelan_pid/stat" && [ "$state" != Z ]
}

# wait_window <w> <h> <seconds> <what>
wait_window() {
  local deadline=$(( $(now_tenths) + $3 * 10 ))
  while [ "$(now_tenths)" -lt "$deadline" ]; do
    program_alive || fail "the program ended while waiting for $4"
    find_window "$1" "$2" && return 0
    sleep 0.1
  done
  fail "$4 ($1 x $2) did not appear within $3 s"
}

# wait_gone <w> <h> <seconds> <what>
wait_gone() {
  local deadline=$(( $(now_tenths) + $3 * 10 ))
  while [ "$(now_tenths)" -lt "$deadline" ]; do
    program_alive || fail "the program ended while waiting for $4 to close"
    find_window "$1" "$2" || return 0
    sleep 0.1
  done
  fail "$4 did not close within $3 s"
}

# wait_other <seconds> <what>: waits for a visible program window that is neither the start
# nor the main window (a popup or a message box); sets other_id, other_x, other_y, other_w,
# other_h.
wait_other() {
  local found="" id x y w h
  local deadline=$(( $(now_tenths) + $1 * 10 ))
  while [ -z "$found" ]; do
    program_alive || fail "the program ended while waiting for $2"
    while read -r id x y w h; do
      if ! { [ "$w" = "$main_w" ] && [ "$h" = "$main_h" ]; } && ! { [ "$w" = "$start_w" ] && [ "$h" = "$start_h" ]; }; then
        found="$id $x $y $w $h"
      fi
    done < <(visible_windows)
    [ -n "$found" ] || [ "$(now_tenths)" -lt "$deadline" ] || fail "no $2 appeared within $1 s"
    [ -n "$found" ] || sleep 0.1
  done
  read -r other_id other_x other_y other_w other_h <<<"$found"
}

# focus <window id> <what>: gives the window the keyboard focus (without a window manager a
# click does not always do it).
focus() {
  local deadline=$(( $(now_tenths) + 50 ))
  while [ "$(xdo getwindowfocus 2>/dev/null)" != "$1" ]; do
    xdo windowfocus "$1" 2>/dev/null
    [ "$(now_tenths)" -lt "$deadline" ] || fail "$2 does not take the keyboard focus"
    sleep 0.1
  done
}

# click <x> <y>: a real left click at a screen position, then the pointer leaves, so no hover
# picture or caption stays in the next screenshot.
click() {
  xdo mousemove --sync "$1" "$2" click 1 || fail "xdotool could not click at $1,$2"
  xdo mousemove --sync 2 2 || true
}

# The page box of the main window, cropped from a new screenshot: prints its path.
box_shot() {
  local full
  full=$(shot "$1")
  crop "$full" $((main_x + box_x)) $((main_y + box_y)) "$box_w" "$box_h" "${full%.png}-box.png"
  echo "${full%.png}-box.png"
}

# mark_shows <box image> <x1 top x2 bottom ...>: succeeds when every band holds red ink and
# no red is anywhere else in the box; sets mark_report.
mark_shows() {
  local image=$1
  shift
  local rest=("$@") inside=() outside band_count
  while [ ${#rest[@]} -ge 4 ]; do
    local x1=${rest[0]} y1=${rest[1]} x2=${rest[2]} y2=${rest[3]}
    rest=("${rest[@]:4}")
    band_count=$(red_count "$image" -crop "$((x2 - x1 + 1))x$((y2 - y1 + 1))+$x1+$y1" +repage)
    inside+=("$band_count")
  done
  local ops
  mapfile -t ops < <(draw_over "$@")
  outside=$(red_count "$image" "${ops[@]}")
  mark_report="red pixels in the bands: ${inside[*]}; outside them: $outside"
  [ "$outside" -eq 0 ] || return 1
  local n
  for n in "${inside[@]}"; do
    [ "$n" -ge 20 ] || return 1
  done
  return 0
}

# wait_mark <seconds> <what> <x1 top x2 bottom ...>: screenshots until the page box shows the
# mark on those bands alone; sets box_image.
wait_mark() {
  local seconds=$1 what=$2
  shift 2
  local deadline=$(( $(now_tenths) + seconds * 10 ))
  while :; do
    program_alive || fail "the program ended while waiting for $what"
    box_image=$(box_shot "$(echo "$what" | tr -c 'a-zA-Z0-9\n' '-')")
    mark_shows "$box_image" "$@" && return 0
    [ "$(now_tenths)" -lt "$deadline" ] || fail "$what: not found within $seconds s ($mark_report; see $box_image)"
    sleep 0.2
  done
}

# wait_picture <x> <y> <w> <h> <name> <what>: screenshots until that part of the screen shows
# a picture (a window just mapped may not have painted yet).
wait_picture() {
  local deadline=$(( $(now_tenths) + 100 )) full level
  while :; do
    full=$(shot "$5")
    crop "$full" "$1" "$2" "$3" "$4" "$work/part.png"
    level=$(mean_level "$work/part.png")
    [ "$level" -ge 300 ] && return 0
    [ "$(now_tenths)" -lt "$deadline" ] || fail "$6 shows no picture within 10 s (mean brightness $level/1000; see $full)"
    sleep 0.2
  done
}

# ---- The program folder, the X server and the program ----------------------------------------

copy_program_folder() {
  step "copying the program folder"
  # The program writes only trans_RUS/transTemp.db; the recordings are large and only read, so
  # they are linked, everything else is copied, and the executable comes from the build.
  mkdir -p "$work/program"
  local entry name
  for entry in "$program"/*; do
    name=$(basename "$entry")
    case $name in
      Translations) ln -s "$entry" "$work/program/$name" ;;
      zelan) ;;
      *) cp -a "$entry" "$work/program/" || fail "cannot copy $entry" ;;
    esac
  done
  cp "$zelan_exe" "$work/program/zelan" || fail "cannot copy $zelan_exe"
}

start_xserver() {
  step "starting the X server"
  # -displayfd lets the server choose a free display number itself, so runs side by side never
  # race for one.
  exec 5>"$work/display"
  Xvfb -displayfd 5 -screen 0 "${screen_w}x${screen_h}x24" -nolisten tcp -noreset -br >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  exec 5>&-
  local deadline=$(( $(now_tenths) + 150 ))
  while ! [ -s "$work/display" ]; do
    kill -0 "$xvfb_pid" 2>/dev/null || fail "Xvfb ended: $(cat "$work/xvfb.log")"
    [ "$(now_tenths)" -lt "$deadline" ] || fail "Xvfb gave no display within 15 s"
    sleep 0.1
  done
  export DISPLAY=":$(head -n1 "$work/display")"
  xdo getdisplaygeometry >/dev/null 2>&1 || fail "no connection to the X server on $DISPLAY"
}

# start_program [NAME=value...]: the program in its folder copy, on the X server, its output in
# $log; the assignments are added to its environment.
start_program() {
  step "starting the program"
  cat "$here/../lsan.supp" "$here/lsan.supp" >"$work/lsan.supp" 2>/dev/null || fail "cannot read the leak suppressions"
  (
    cd "$work/program" || exit 127
    export QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$work/runtime" LANG=C.UTF-8 LC_ALL=C.UTF-8
    # Only matters for a sanitizer build: the known leaks of system libraries, those of the
    # unit tests and those that only a real X session brings in.
    export LSAN_OPTIONS="suppressions=$work/lsan.supp:print_suppressions=0"
    unset PULSE_SERVER
    exec env "$@" ./zelan
  ) >"$log" 2>&1 &
  zelan_pid=$!
}

# close_program: the close buttons of the main window and of the start window end the
# program, which must end with exit code 0 and without a sanitizer report.
close_program() {
  step "the close button closes the main window"
  # close_bt at 830,14 of the main window; the start window stays.
  click $((main_x + 830 + 20)) $((main_y + 14 + 20))
  wait_gone "$main_w" "$main_h" 15 "the main window"
  find_window "$start_w" "$start_h" || fail "the start window is not shown after the main window closed"

  step "the start window's close button ends the program with exit code 0"
  # close_im, 46 x 46 at 18,523 of the start window.
  click $((win_x + 18 + 23)) $((win_y + 523 + 23))
  local deadline=$(( $(now_tenths) + 200 ))
  while program_alive; do
    [ "$(now_tenths)" -lt "$deadline" ] || fail "the program did not end within 20 s"
    sleep 0.1
  done
  wait "$zelan_pid"
  local status=$?
  zelan_pid=""
  [ "$status" -eq 0 ] || fail "the program ended with exit code $status"
  if grep -qE 'AddressSanitizer|LeakSanitizer|runtime error:' "$log"; then
    fail "the sanitizers reported a fault"
  fi
}
