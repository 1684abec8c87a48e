#!/usr/bin/env bash
# architecture-rules.sh SOURCE_DIR: every #include between the tree's folders points along the
# arrows of ARCHITECTURE.md: tools, app, content, gfx, core from the top; audio and sync beside,
# on core only; tests above everything. A product file declares nothing `extern` of its own:
# such a declaration reaches another file without an #include, where this check cannot see it.
# Prints the house: its rooms (folders), floors (the longest chain of arrows) and the arrows
# that run back up (every one of them fails the check).
set -u
cd "$1" || exit 1
product="core audio sync gfx content app"
rooms=$(ls -d $product tools tests 2>/dev/null)
status=0

externs=$(grep -rn --include='*.cpp' -E '^[[:space:]]*extern[[:space:]]+[^"[:space:]]' $product)
if [ -n "$externs" ]; then
  echo "$externs" | sed 's/^/FAILED: an extern declaration outside a header: /'
  status=1
fi

# "file:line:#include "top/rest"" for every include of a folder's file, judged in one pass.
grep -rn --include='*.h' --include='*.cpp' --include='*.hlsl' --include='*.hlsli' \
    -E '^[[:space:]]*#[[:space:]]*include[[:space:]]+"[a-z-]+/' $rooms |
  awk -v tops="$(ls -d */ | tr -d / | tr '\n' ' ')" -v rooms="$(echo $rooms)" '
    BEGIN {
      split(tops, list, " "); for (i in list) exists[list[i]] = 1
      allowed["core"] = " core "
      allowed["audio"] = " audio core "
      allowed["sync"] = " sync core "
      allowed["gfx"] = " gfx core "
      allowed["content"] = " content gfx core "
      allowed["app"] = " app content gfx core audio sync "
      allowed["tools"] = " tools app content gfx core audio sync "
      allowed["tests"] = " tests tools app content gfx core audio sync "
    }
    {
      file = $0; sub(/:.*/, "", file)
      folder = file; sub(/\/.*/, "", folder)
      target = $0; sub(/^[^"]*"/, "", target); sub(/".*/, "", target)
      top = target; sub(/\/.*/, "", top)
      if (!(top in exists) || top == folder) next       # a generated or system header; its own room
      if (index(allowed[folder], " " top " ")) { arrow[folder, top] = 1; next }
      printf "FAILED: %s includes %s: %s may not depend on %s\n", file, target, folder, top
      if (!((folder, top) in back)) { back[folder, top] = 1; backs++ }
      bad = 1
    }
    END {
      n = split(rooms, room, " ")
      # Floors: a room stands one floor above the highest room it uses (core is floor 1).
      for (pass = 0; pass < n; pass++)
        for (i = 1; i <= n; i++)
          for (j = 1; j <= n; j++)
            if ((room[i], room[j]) in arrow && floor[room[j]] + 1 > floor[room[i]])
              floor[room[i]] = floor[room[j]] + 1
      for (i = 1; i <= n; i++) if (floor[room[i]] + 1 > floors) floors = floor[room[i]] + 1
      printf "house: %d rooms on %d floors, %d arrows running back up\n", n, floors, backs + 0
      if (!bad) print "every include follows the arrows"
      exit bad
    }' || status=1
exit $status
