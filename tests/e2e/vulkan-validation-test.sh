#!/usr/bin/env bash
# vulkan-validation-test.sh DEMO-CAPTURE.exe: four frames of demo-capture (2, 35, 69 and 102 s,
# 160 x 90, with every pass's picture read back) on DXVK with the Khronos validation layer,
# core and synchronisation checks. Every error and warning fails the test, performance
# warnings too, except the messages below that DXVK causes by itself. Wine hides the host's
# layers from DXVK, so the layer is forced in through the loader.
set -u
exe=$1
here=$(cd "$(dirname "$0")/../.." && pwd)
source "$here/scripts/vulkan-tools.sh"

# Messages of DXVK's own, by MessageID:
#   0x46835167  VUID-vkGetPhysicalDeviceFormatProperties2-format-parameter: at start-up DXVK
#               asks about a format of VK_KHR_maintenance5 (1000470001), newer than this layer.
#   0x4dae5635  UNASSIGNED-CoreValidation-DrawState-InvalidImageLayout (performance): DXVK keeps
#               an image that may be bound for unordered access in the GENERAL layout for its
#               whole life, and the layer notes every copy from or to one. Our targets are made
#               with shader-resource, render-target and unordered-access views, as the resource
#               rules say; the layout is DXVK's choice.
excluded="0x46835167 0x4dae5635"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ ! -f "$validationLayers/VkLayer_khronos_validation.json" ]; then
  echo "FAIL: no validation layer in $validationLayers; run scripts/setup.sh"
  exit 1
fi
cat >"$work/vk_layer_settings.txt" <<SETTINGS
khronos_validation.debug_action = VK_DBG_LAYER_ACTION_LOG_MSG
khronos_validation.report_flags = error,warn,perf,info
khronos_validation.log_filename = $work/validation.log
khronos_validation.enables = VK_VALIDATION_FEATURE_ENABLE_SYNCHRONIZATION_VALIDATION_EXT
khronos_validation.disables = VK_VALIDATION_FEATURE_DISABLE_SHADER_VALIDATION_CACHE_EXT
SETTINGS

NIMBRA_D3D=dxvk VK_LAYER_PATH="$validationLayers" VK_INSTANCE_LAYERS=VK_LAYER_KHRONOS_validation \
  VK_LAYER_SETTINGS_PATH="$work" bash "$here/scripts/session.sh" --no-sound \
  bash "$here/scripts/wine-run.sh" "$exe" --width 160 --height 90 --fps 0.03 --from 2 --to 106 \
  --passes --out "$work/frames" >"$work/capture.log" 2>&1
status=$?
if [ "$status" != 0 ] || [ ! -f "$work/frames/frame_00003.png" ]; then
  cat "$work/capture.log"
  echo "FAIL: demo-capture ended with $status and without its four frames"
  exit 1
fi
# The layer's greeting (an information message) shows that it was there to see the frames.
if ! grep -q 'Khronos Validation Layer Active' "$work/validation.log" 2>/dev/null; then
  echo "FAIL: the validation layer was not active"
  exit 1
fi

# A message begins with a line "NAME(SEVERITY / KIND): msgNum: ... | MessageID = 0x... | text".
found=$(grep -E '^[^ ]+\((ERROR|WARN) / [A-Z]+\): msgNum:' "$work/validation.log" |
  sed -E 's/^([^ ]+)\(([A-Z]+) \/ ([A-Z]+)\).*MessageID = (0x[0-9a-f]+).*/\4 \2 \3 \1/' | sort | uniq -c)
failures=0
while read -r count id severity kind name; do
  [ -n "$id" ] || continue
  if [[ " $excluded " == *" $id "* ]]; then
    echo "excluded, DXVK's own: $count x $id $severity $kind $name"
  else
    echo "FAIL: $count x $id $severity $kind $name"
    grep -m1 -A3 "MessageID = $id" "$work/validation.log"
    failures=$((failures + 1))
  fi
done <<<"$found"
[ "$failures" = 0 ] && echo "no validation message of ours in four frames"
exit $((failures > 0))
