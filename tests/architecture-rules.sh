#!/usr/bin/env bash
# architecture-rules.sh SOURCE_DIR: every #include of the product's folders points along the
# arrows of ARCHITECTURE.md: app -> content -> gfx -> core; audio and sync beside them, on core
# only; gfx may use app's frame context and nothing else of app. tools and tests may use anything.
set -u
cd "$1" || exit 1
folders=$(ls -d core audio sync gfx content app 2>/dev/null)
# "file:line:#include "top/rest"" for every include of another folder's file, judged in one pass.
grep -rn --include='*.h' --include='*.cpp' --include='*.hlsl' --include='*.hlsli' \
    -E '^[[:space:]]*#[[:space:]]*include[[:space:]]+"[a-z-]+/' $folders |
  awk -v tops="$(ls -d */ | tr -d / | tr '\n' ' ')" '
    BEGIN {
      split(tops, list, " "); for (i in list) exists[list[i]] = 1
      allowed["core"] = " core "
      allowed["audio"] = " audio core "
      allowed["sync"] = " sync core "
      allowed["gfx"] = " gfx core "
      allowed["content"] = " content gfx core "
      allowed["app"] = " app content gfx core audio sync "
    }
    {
      file = $0; sub(/:.*/, "", file)
      folder = file; sub(/\/.*/, "", folder)
      target = $0; sub(/^[^"]*"/, "", target); sub(/".*/, "", target)
      top = target; sub(/\/.*/, "", top)
      if (!(top in exists)) next                        # a generated or system header
      if (index(allowed[folder], " " top " ")) next
      if (folder == "gfx" && target ~ /^app\/(ContextBuffer|GraphicsContext)\.h$/) next
      printf "FAILED: %s includes %s: %s may not depend on %s\n", file, target, folder, top
      bad = 1
    }
    END { if (!bad) print "every include follows the arrows"; exit bad }'
