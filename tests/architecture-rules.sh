#!/usr/bin/env bash
# architecture-rules.sh SOURCE_DIR: every #include between the tree's rooms points along the
# arrows of ARCHITECTURE.md: tools, app, content, gfx, core from the top; audio and sync beside,
# on core only; tests above everything. Four folders are rooms of their own inside their
# folder: gfx/frame under gfx (on core only), gfx/live over gfx, app/live over app, and
# app/live/edit (the editor's portable model) between them, on app and what is below. A product
# file declares nothing `extern` of its own: such a declaration reaches another file without an
# #include, where this check cannot see it. Prints the house: its rooms, floors (the longest
# chain of arrows) and the arrows that run back up (every one of them fails the check).
set -u
cd "$1" || exit 1
product="core audio sync gfx content app"
folders=$(ls -d $product tools tests 2>/dev/null)
rooms=$(ls -d $product gfx/frame gfx/live app/live app/live/edit tools tests 2>/dev/null)
status=0

externs=$(grep -rn --include='*.cpp' -E '^[[:space:]]*extern[[:space:]]+[^"[:space:]]' $product)
if [ -n "$externs" ]; then
  echo "$externs" | sed 's/^/FAILED: an extern declaration outside a header: /'
  status=1
fi

# "file:line:#include "top/rest"" for every include of a folder's file, judged in one pass.
grep -rn --include='*.h' --include='*.cpp' --include='*.hlsl' --include='*.hlsli' \
    -E '^[[:space:]]*#[[:space:]]*include[[:space:]]+"[a-z-]+/' $folders |
  awk -v tops="$(ls -d */ | tr -d / | tr '\n' ' ')" -v rooms="$(echo $rooms)" '
    BEGIN {
      split(tops, list, " "); for (i in list) exists[list[i]] = 1
      allowed["core"] = " core "
      allowed["audio"] = " audio core "
      allowed["sync"] = " sync core "
      allowed["gfx/frame"] = " gfx/frame core "
      allowed["gfx"] = " gfx gfx/frame core "
      allowed["gfx/live"] = " gfx/live gfx gfx/frame core "
      allowed["content"] = " content gfx gfx/frame core "
      allowed["app"] = " app content gfx gfx/frame core audio sync "
      allowed["app/live/edit"] = " app/live/edit app content gfx/frame core sync "
      allowed["app/live"] = " app/live app/live/edit app content gfx/live gfx gfx/frame core audio sync "
      allowed["tools"] = " tools app/live app/live/edit app content gfx/live gfx gfx/frame core audio sync "
      allowed["tests"] = " tests tools app/live app/live/edit app content gfx/live gfx gfx/frame core audio sync "
      nrooms = split(rooms, room, " ")
    }
    # The room a path stands in: the longest room that holds it (gfx/frame/Camera.h: gfx/frame).
    function roomOf(path,    i, best) {
      best = ""
      for (i = 1; i <= nrooms; i++)
        if ((path == room[i] || index(path, room[i] "/") == 1) && length(room[i]) > length(best))
          best = room[i]
      return best
    }
    # A file and its header count as one: the unit the heights of the programs are counted in.
    function unitOf(path) { sub(/\.(h|cpp)$/, "", path); return path }
    # How many units tall `unit` stands inside app/: one more than the tallest it includes there.
    function height(unit,    i, n, parts, best, h) {
      if (unit in tall) return tall[unit]
      tall[unit] = 1  # a cycle counts no further
      best = 0
      n = split(uses[unit], parts, " ")
      for (i = 1; i <= n; i++) if ((h = height(parts[i])) > best) best = h
      tall[unit] = best + 1
      return tall[unit]
    }
    {
      file = $0; sub(/:.*/, "", file)
      target = $0; sub(/^[^"]*"/, "", target); sub(/".*/, "", target)
      top = target; sub(/\/.*/, "", top)
      if (index(file, "app/") == 1 && index(target, "app/") == 1 && unitOf(file) != unitOf(target))
        uses[unitOf(file)] = uses[unitOf(file)] " " unitOf(target)
      if (!(top in exists)) next                         # a generated or system header
      folder = roomOf(file); to = roomOf(target)
      if (to == "") to = top
      if (to == folder) next                             # its own room
      if (index(allowed[folder], " " to " ")) { if (!((folder, to) in arrow)) arrows++; arrow[folder, to] = 1; next }
      printf "FAILED: %s includes %s: %s may not depend on %s\n", file, target, folder, to
      if (!((folder, to) in back)) { back[folder, to] = 1; backs++ }
      bad = 1
    }
    END {
      n = nrooms
      # Floors: a room stands one floor above the highest room it uses (core is floor 1).
      for (pass = 0; pass < n; pass++)
        for (i = 1; i <= n; i++)
          for (j = 1; j <= n; j++)
            if ((room[i], room[j]) in arrow && floor[room[j]] + 1 > floor[room[i]])
              floor[room[i]] = floor[room[j]] + 1
      for (i = 1; i <= n; i++) if (floor[room[i]] + 1 > floors) floors = floor[room[i]] + 1
      printf "house: %d rooms on %d floors, %d arrows down, %s running back up\n", n, floors, arrows, backs == 0 ? "no arrow" : backs == 1 ? "1 arrow" : backs " arrows"
      # How tall each program stands inside app/: the longest chain of includes from its entry there.
      printf "heights in app/: demo.exe %d, demo-sync %d\n", height("app/WinMain"), height("app/live/SyncMain")
      if (!bad) print "every include follows the arrows"
      exit bad
    }' || status=1
exit $status
