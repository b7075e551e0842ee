#!/usr/bin/env bash
# The demo application under a real X server, driven by keys sent through the
# server as a keyboard sends them: find a client, add an associate through the
# outline's name search and save, open that party, choose a city from its
# list and save, close. Each step waits (bounded) for its effect on screen
# before the next key goes; the results are then read from the database.
#
#   demo-under-x.sh PROBATION-DEMO PROBATION-DB [BUILD-FOLDER]
#
# Screenshots of every step go to BUILD-FOLDER/e2e-screens, the database to
# BUILD-FOLDER/e2e-db. Exit status 77 (skipped) when a tool is missing.
set -uo pipefail

demo=${1:?usage: demo-under-x.sh PROBATION-DEMO PROBATION-DB [BUILD-FOLDER]}
dbtool=${2:?usage: demo-under-x.sh PROBATION-DEMO PROBATION-DB [BUILD-FOLDER]}
build=$(cd "${3:-.}" && pwd)

for tool in Xvfb xauth xdotool openbox scrot sqlite3; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed (apt-get install xvfb xauth xdotool openbox scrot sqlite3)"
        exit 77
    fi
done

screens=$build/e2e-screens
work=$build/e2e-db
rm -rf "$work" "$screens"
mkdir -p "$work/data" "$work/home" "$screens"

day=$(date +%m%d%Y)  # the date an association saved today carries (or the next, past midnight)
step_no=0
step_name=start
pids=()

cleanup() {
    local pid
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        pid=${pids[i]}
        kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    done
}
trap cleanup EXIT

shot() { scrot -o "$screens/$(printf %02d "$step_no")-$step_name.png" 2>/dev/null; }

step() {
    step_no=$((step_no + 1))
    step_name=$1
    echo "step $step_no: $2"
}

fail() {
    echo "FAIL at step $step_no ($step_name): $*"
    if [ -n "${DISPLAY:-}" ]; then
        scrot -o "$screens/$(printf %02d "$step_no")-$step_name-FAILED.png" 2>/dev/null
    fi
    echo "Screenshots: $screens"
    [ -s "$work/demo.log" ] && { echo "--- probation-demo said:"; tail -20 "$work/demo.log"; }
    exit 1
}

# until SECONDS WHAT COMMAND...: runs COMMAND every 0.1 s until it succeeds.
until_ok() {
    local limit=$1 what=$2
    shift 2
    local deadline=$((SECONDS + limit))
    until "$@"; do
        ((SECONDS < deadline)) || fail "waited ${limit}s for $what"
        sleep 0.1
    done
}

sql() { sqlite3 -batch -noheader "$work/data/$1" "$2"; }

title_is() { [ "$(xdotool getwindowname "$1" 2>/dev/null)" = "$2" ]; }
active_is() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ]; }
# The open drop-down list or menu: a top-level window of the program without a title of its own.
popup() {
    local w
    for w in $(xdotool search --onlyvisible --class '^probation-demo$' 2>/dev/null); do
        [ "$(xdotool getwindowname "$w" 2>/dev/null)" = probation-demo ] && { echo "$w"; return; }
    done
}
popup_open() { [ -n "$(popup)" ]; }
popup_closed() { [ -z "$(popup)" ]; }
popup_height() {
    local w
    w=$(popup)
    [ -n "$w" ] && xdotool getwindowgeometry "$w" | sed -n 's/.*Geometry: [0-9]*x\([0-9]*\).*/\1/p'
}
popup_steady() {
    local h
    h=$(popup_height)
    sleep 0.3
    [ -n "$h" ] && [ "$h" = "$(popup_height)" ]
}
popup_origin() {  # "X Y" of the open list's top left corner on the screen
    local w
    w=$(popup)
    [ -n "$w" ] && xdotool getwindowgeometry "$w" | sed -n 's/.*Position: \([0-9]*\),\([0-9]*\).*/\1 \2/p'
}

# --- The database: the demo agency, and what the steps below expect of it.
step database "a fresh demo database in $work/data"
"$dbtool" --database "sqlite:$work/data" init >"$work/db.log" 2>&1 || fail "probation-db init: $(cat "$work/db.log")"
"$dbtool" --database "sqlite:$work/data" seed --demo >>"$work/db.log" 2>&1 || fail "probation-db seed: $(cat "$work/db.log")"

names_like() {  # the name search's rows for a prefix, as "FLAG|KEY", in its order
    sql DUVPRB.sqlite "Select f || '|' || k From (Select 'P' f, PTYKEY k, PTYNAM n From PRBPTY Where PTYNAM Like '$1%'
                       Union Select 'C', CLTCNO, CLTNAM From PRBCLT Where CLTNAM Like '$1%') Order By n"
}
# Find: "s" lists more names than "smith"; Down+Enter picks the second of those, a client.
all_s=$(names_like S | wc -l)
smith=$(names_like SMITH)
subject=$(sed -n 2p <<<"$smith")
subject_key=${subject#C|}
[ "$(wc -l <<<"$smith")" -lt "$all_s" ] && [ "$(wc -l <<<"$smith")" -lt 12 ] && [ "$subject" != "$subject_key" ] ||
    fail "the demo data no longer suit the Find step (S: $all_s names; SMITH: $smith)"
subject_title=$(printf 'Client %05d - Probation parties' "$subject_key")
# New child: "wri" in the name search, a click picks the first row, a party the client has no association with.
associate=$(names_like WRI | head -1)
party=${associate#P|}
[ "$associate" != "$party" ] && [ -n "$party" ] || fail "the demo data no longer suit the name search step (WRI: $associate)"
[ "$(sql DUVPRB.sqlite "Select Count(*) From PRBCLTASC Where (ASCKEY1=$subject_key And ASCKEY2=$party) Or (ASCKEY1=$party And ASCKEY2=$subject_key)")" = 0 ] ||
    fail "client $subject_key and party $party are associated already"
associations_before=$(sql DUVPRB.sqlite "Select Count(*) From PRBCLTASC")
# City: "char" lists several cities; Down+Enter picks the second, in another state than the party's.
city=$(sql DUVCRT.sqlite "Select ZIPCTY || '|' || ZIPSTA || '|' || ZIPKEY From ZIPDTA Where ZIPCTY Like 'CHAR%' Order By ZIPCTY, ZIPSTA, ZIPKEY Limit 1 Offset 1")
[ -n "$city" ] && [ "$(sql DUVPRB.sqlite "Select PTYCTY || '|' || PTYSTA || '|' || PTYZIP From PRBPTY Where PTYKEY=$party")" != "$city" ] ||
    fail "the demo data no longer suit the city step (CHAR: $city)"

# --- The desktop: an X server of our own, its own cookie, and a window manager.
step desktop "Xvfb 1280x900x24 and openbox"
export XAUTHORITY=$work/Xauthority HOME=$work/home XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
cookie=$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')
: >"$XAUTHORITY"
xauth -q add :0 . "$cookie"  # the server reads every cookie in the file; the display comes next
mkfifo "$work/displayfd"
exec 3<>"$work/displayfd"
Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp -auth "$XAUTHORITY" >"$work/xvfb.log" 2>&1 &
pids+=($!)
display=
for _ in $(seq 100); do
    read -r -t 0.1 display <&3 && break
    kill -0 "${pids[0]}" 2>/dev/null || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
done
exec 3<&-
[ -n "$display" ] || fail "Xvfb did not give its display number"
export DISPLAY=:$display
xauth -q add "$DISPLAY" . "$cookie"
# The server takes clients once it answers one; on a busy machine that may
# be a moment after it named its display.
until_ok 20 "the X server to take clients" eval 'xdotool getdisplaygeometry >/dev/null 2>&1'
# Only a window manager answers for the desktops; one that could not start
# (a busy machine) is started again.
start_openbox() {
    openbox --sm-disable >>"$work/openbox.log" 2>&1 &
    openbox_pid=$!
    pids+=("$openbox_pid")
}
start_openbox
managed() {
    xdotool get_num_desktops >/dev/null 2>&1 && return 0
    kill -0 "$openbox_pid" 2>/dev/null || start_openbox
    return 1
}
until_ok 20 "openbox to manage the screen" managed

# --- The program, as a user starts it (never on the offscreen platform).
step start "probation-demo --user SUPERVISOR"
unset QT_QPA_PLATFORM
"$demo" --database "sqlite:$work/data" --user SUPERVISOR >"$work/demo.log" 2>&1 &
demo_pid=$!
pids+=("$demo_pid")
until_ok 30 "the main window" eval 'main=$(xdotool search --name " - Probation parties$" | head -1); [ -n "$main" ]'
until_ok 20 "the main window to have the keyboard" active_is "$main"
shot

step find-first "Alt+I, then \"s\" in Find: the list of names opens"
xdotool key alt+i
xdotool type s
until_ok 20 "the list of names beginning with S" popup_open
until_ok 20 "the list to settle" popup_steady
tall=$(popup_height)
shot

step find-narrows "\"mith\" typed on: the list narrows to the names beginning with SMITH"
xdotool type mith
until_ok 20 "the list to narrow (it was ${tall}px tall)" eval '[ "$(popup_height)" -lt "$tall" ]'
until_ok 20 "the list to settle" popup_steady
shot

step find-pick "Down, Enter: client $subject_key opens"
xdotool key Down Return
until_ok 20 "the title \"$subject_title\"" title_is "$main" "$subject_title"
until_ok 20 "the list to close" popup_closed
shot

step menu "Tab into the outline, Down twice to the Children folder, Shift+F10: its menu"
xdotool key Tab Down Down shift+F10
until_ok 20 "the folder's popup menu" popup_open
shot

step new-row "n (New Child), then \"wri\" in the name search over the new row"
xdotool key n
until_ok 20 "the menu to close" popup_closed
xdotool type wri
until_ok 20 "the name search to show its list" popup_open
until_ok 20 "the list to settle" popup_steady
shot

step pick-associate "a click on the list's first name: the party goes into the row, the title shows unsaved changes"
read -r list_x list_y <<<"$(popup_origin)"
xdotool mousemove $((list_x + 40)) $((list_y + 30)) click 1  # under the captions, in the first row
until_ok 20 "the list to close" popup_closed
until_ok 20 "the title \"${subject_title/ - /* - }\"" title_is "$main" "${subject_title/ - /* - }"
shot

step save-associations "Ctrl+S: saved, the title loses its *"
xdotool key ctrl+s
until_ok 20 "the title \"$subject_title\"" title_is "$main" "$subject_title"
row=$(sql DUVPRB.sqlite "Select ASCUSR || '|' || printf('%08d', ASCUDT) From PRBCLTASC
                         Where ASCFLG1='C' And ASCKEY1=$subject_key And ASCRLTCOD=1 And ASCFLG2='P' And ASCKEY2=$party")
[ "$row" = "SUPERVISOR|$day" ] || [ "$row" = "SUPERVISOR|$(date +%m%d%Y)" ] || fail "PRBCLTASC has no row C $subject_key, 1 (parent of), P $party by SUPERVISOR today (found: '$row')"
[ "$(sql DUVPRB.sqlite "Select Count(*) From PRBCLTASC")" = $((associations_before + 1)) ] || fail "the save wrote more than the one association"
shot

step open-party "Enter on the new associate: party $party opens in its window"
xdotool key Return
until_ok 20 "the window \"Party $party\"" eval 'partywin=$(xdotool search --name "^Party $party\$" | head -1); [ -n "$partywin" ]'
until_ok 20 "the party window to have the keyboard" active_is "$partywin"
shot

step city-list "Alt+Y, \"char\" in City: the list of cities opens"
xdotool key alt+y
xdotool type char
until_ok 20 "the list of cities beginning with CHAR" popup_open
until_ok 20 "the list to settle" popup_steady
shot

step city-pick "Down, Enter: ${city//|/ } fills the city, state and zip"
xdotool key Down Return
until_ok 20 "the list to close" popup_closed
until_ok 20 "the title \"Party $party*\"" title_is "$partywin" "Party $party*"
shot

step save-party "Alt+S: saved, the title loses its *"
xdotool key alt+s
until_ok 20 "the title \"Party $party\"" title_is "$partywin" "Party $party"
stored=$(sql DUVPRB.sqlite "Select PTYCTY || '|' || PTYSTA || '|' || PTYZIP || '|' || PTYUSR From PRBPTY Where PTYKEY=$party")
want="${city%|*}|$((10#${city##*|}))|SUPERVISOR"
[ "$stored" = "$want" ] || fail "party $party holds '$stored', not '$want'"
shot

step close-party "Escape: the party window closes, the main window has the keyboard again"
xdotool key Escape
until_ok 20 "the party window to close" eval '[ -z "$(xdotool search --name "^Party $party\$")" ]'
until_ok 20 "the main window to have the keyboard" active_is "$main"
title_is "$main" "$subject_title" || fail "the main window's title is '$(xdotool getwindowname "$main")'"
shot

step quit "Ctrl+Q: the program ends, with nothing left unsaved to ask about"
xdotool key ctrl+q
until_ok 20 "probation-demo to end" eval '! kill -0 $demo_pid 2>/dev/null'
wait "$demo_pid"
status=$?
[ "$status" = 0 ] || fail "probation-demo ended with status $status"

echo "PASS: $step_no steps; screenshots in $screens"
