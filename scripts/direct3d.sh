# Sourced by the scripts that run Windows programs under Wine: which Direct3D 11 they draw with.
#
#   NIMBRA_D3D=wined3d   Wine's own Direct3D (wined3d, over OpenGL: Mesa's llvmpipe without a GPU)
#   NIMBRA_D3D=dxvk      DXVK over Vulkan, installed by scripts/setup.sh. It runs in a Wine prefix
#                        of its own (the prefix's name with -dxvk) and in a Wine virtual desktop
#                        the size of the display: on a bare X server without a refresh rate
#                        DXVK's DXGI divides by zero at the first Present.
#   NIMBRA_VULKAN=lavapipe  DXVK on the private copy of Mesa's software Vulkan driver only
#   NIMBRA_VULKAN=auto      the machine's own Vulkan drivers with lavapipe beside them: DXVK
#                           takes a GPU when there is one, else lavapipe
#   NIMBRA_VULKAN=system    the machine's own Vulkan drivers only
# A script that has a default of its own passes it to d3dChoose; tests pin theirs by name.
source "$(dirname "${BASH_SOURCE[0]}")/vulkan-tools.sh"

# d3dChoose [DEFAULT] [VULKAN_DEFAULT]: sets nimbraD3d and nimbraVulkan from the switches, or
# the defaults given (wined3d, lavapipe); an unknown value is an error.
d3dChoose() {
  nimbraD3d=${NIMBRA_D3D:-${1:-wined3d}}
  nimbraVulkan=${NIMBRA_VULKAN:-${2:-lavapipe}}
  case "$nimbraD3d" in wined3d|dxvk) ;; *)
    echo "NIMBRA_D3D is '$nimbraD3d': wined3d or dxvk" >&2; return 1 ;; esac
  case "$nimbraVulkan" in lavapipe|auto|system) ;; *)
    echo "NIMBRA_VULKAN is '$nimbraVulkan': lavapipe, auto or system" >&2; return 1 ;; esac
  export NIMBRA_D3D=$nimbraD3d NIMBRA_VULKAN=$nimbraVulkan
}

# d3dPrefix BASE: the Wine prefix of the chosen Direct3D for the base prefix BASE.
d3dPrefix() {
  if [ "$nimbraD3d" = dxvk ]; then echo "$1-dxvk"; else echo "$1"; fi
}

# d3dEnvironment: what a Wine process needs for the chosen Direct3D (exported).
d3dEnvironment() {
  [ "$nimbraD3d" = dxvk ] || return 0
  if [ ! -f "$dxvkDir/ready" ] || [ ! -f "$lavapipeIcd" ]; then
    echo "DXVK or lavapipe is missing: run scripts/setup.sh" >&2
    return 1
  fi
  export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;d3d11,dxgi=n"
  # DXVK's messages go to standard error only, warnings and worse; no cache files beside programs.
  export DXVK_LOG_LEVEL="${DXVK_LOG_LEVEL:-warn}" DXVK_LOG_PATH=none DXVK_STATE_CACHE=disable
  # Every pipeline is compiled whole before the draw that needs it, rather than linked fast and
  # optimised by background threads: a frame then never depends on how far those had got, and
  # no compile is left running inside the driver when the program ends.
  export DXVK_CONFIG="${DXVK_CONFIG:+$DXVK_CONFIG; }dxvk.enableGraphicsPipelineLibrary = False"
  case "$nimbraVulkan" in
    lavapipe) export VK_DRIVER_FILES="$lavapipeIcd" VK_ICD_FILENAMES="$lavapipeIcd" ;;
    auto) export VK_ADD_DRIVER_FILES="$lavapipeIcd" ;;
  esac
}

# d3dReadyMarker SETTINGS: the file that says a prefix has the settings named SETTINGS and is set
# up for the chosen Direct3D; a DXVK prefix is set up again for another DXVK version.
d3dReadyMarker() {
  if [ "$nimbraD3d" = dxvk ]; then echo "$WINEPREFIX/.nimbra-$1-dxvk-$dxvkVersion"; else echo "$WINEPREFIX/.nimbra-$1"; fi
}

# d3dPreparePrefix: once per prefix (the caller holds its lock and WINEPREFIX is set): DXVK's
# DLLs in place of Wine's in system32 (renamed into place, as programs may have the old ones
# open), and the virtual desktop switched on, black like the bare display, so that a screen
# that is not black shows the program's picture.
d3dPreparePrefix() {
  [ "$nimbraD3d" = dxvk ] || return 0
  local dll system32="$WINEPREFIX/drive_c/windows/system32"
  for dll in d3d11 dxgi; do
    cp "$dxvkDir/$dll.dll" "$system32/$dll.dll.new" && mv -f "$system32/$dll.dll.new" "$system32/$dll.dll" || return 1
  done
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d Default /f >/dev/null 2>&1 &&
    wine reg add 'HKCU\Control Panel\Colors' /v Background /t REG_SZ /d '0 0 0' /f >/dev/null 2>&1
}

# d3dDesktopSize: before each run, the virtual desktop takes the display's size. A change is
# written to the prefix under its lock; writing it opens a desktop of the old size, so the
# prefix's server is then waited out, and the next program opens a desktop of the new size.
d3dDesktopSize() {
  [ "$nimbraD3d" = dxvk ] && [ -n "${DISPLAY:-}" ] || return 0
  local size
  size=$(xdotool getdisplaygeometry 2>/dev/null | tr ' ' x)
  [ -n "$size" ] || return 0
  [ "$(cat "$WINEPREFIX/.nimbra-desktop" 2>/dev/null)" = "$size" ] && return 0
  (
    flock 9
    if [ "$(cat "$WINEPREFIX/.nimbra-desktop" 2>/dev/null)" != "$size" ]; then
      wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d "$size" /f >/dev/null 2>&1 &&
        echo "$size" > "$WINEPREFIX/.nimbra-desktop"
      wineserver -w
    fi
  ) 9>"$WINEPREFIX.lock"
}

# d3dDevice LOG: what drew, from a program's standard error; under DXVK the Vulkan device it
# chose, which it reports when DXVK_LOG_LEVEL is info.
d3dDevice() {
  if [ "$nimbraD3d" = dxvk ]; then
    echo "DXVK on $(sed -n 's/^info: *Device : //p' "$1" | head -n1)"
  else
    echo "Wine's own Direct3D (wined3d)"
  fi
}
