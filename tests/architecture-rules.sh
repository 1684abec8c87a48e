#!/usr/bin/env bash
# architecture-rules.sh SOURCE_DIR: every #include of the product's folders points along the
# arrows of ARCHITECTURE.md: app -> content -> gfx -> core; audio and sync beside them, on core
# only; gfx may use app's frame context and nothing else of app. tools and tests may use anything.
set -u
src=$1
cd "$src" || exit 1
status=0
# folder: the folders its includes may name
allowed() {
  case "$1" in
    core) echo "core" ;;
    audio) echo "audio core" ;;
    sync) echo "sync core" ;;
    gfx) echo "gfx core" ;;
    content) echo "content gfx core" ;;
    app) echo "app content gfx core audio sync" ;;
  esac
}
frameContext='^app/(ContextBuffer|GraphicsContext)\.h$'
for folder in core audio sync gfx content app; do
  [ -d "$folder" ] || continue
  while IFS=: read -r file _ include; do
    target=$(sed -E 's/.*#include "([^"]+)".*/\1/' <<<"$include")
    top=${target%%/*}
    [ "$top" = "$target" ] && continue  # a header beside the file, or a generated one
    case " $(allowed "$folder") " in *" $top "*) continue ;; esac
    [ "$folder" = gfx ] && [[ "$target" =~ $frameContext ]] && continue
    # Generated sources name their own folders' build products only.
    [ -d "$top" ] || continue
    echo "FAILED: $file includes $target: $folder may not depend on $top"
    status=1
  done < <(grep -rn --include='*.h' --include='*.cpp' --include='*.hlsl' --include='*.hlsli' '#include "' "$folder")
done
[ "$status" = 0 ] && echo "every include follows the arrows"
exit $status
