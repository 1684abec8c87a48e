# Sourced: where scripts/setup.sh unpacks the pinned DXVK, lavapipe, validation layer and Dear
# ImGui sources (one copy per user, beside the shader compiler), the versions it pins, and the
# versions in use. The DXVK pictures' PSNR floors were measured on these versions: a folder holds
# the version that was actually unpacked and is named for it, and anything other than the pin is
# reported.
dxvkPin=2.6+ds-1
lavapipePin=25.0.7-2~bpo12+1
validationPin=1.3.239.0-2
# demo-sync's editor library: Debian 12's imgui source package, with the Win32 and Direct3D 11
# back ends; the SHA-256 is that of the pin's upstream tarball, the code that is compiled.
imguiPin=1.86+ds-1
imguiSha256=0dace0e8e57d298eb6e93af12dc19420cb96330832f6495c733b90aeeef11f64
vulkanTools=$("$(dirname "${BASH_SOURCE[0]}")/toolchain-dir.sh")

# toolFolder NAME VERSION: the folder of VERSION of NAME. An epoch's colon is written %3a, as
# apt names its files: these paths go into colon-separated lists such as VK_ICD_FILENAMES.
toolFolder() { echo "$vulkanTools/$1-${2//:/%3a}"; }

# toolPick VARIABLE NAME PIN: sets VARIABLE to the folder of NAME in use: the pin's when it is
# unpacked, else that of the version setup fell back to (named in NAME.fallback) when the
# mirror had lost the pin, else the pin's (not yet unpacked).
toolPick() {
  local folder fallback
  folder=$(toolFolder "$2" "$3")
  if [ ! -f "$folder/ready" ] && fallback=$(cat "$vulkanTools/$2.fallback" 2>/dev/null) &&
     [ -f "$(toolFolder "$2" "$fallback")/ready" ]; then
    folder=$(toolFolder "$2" "$fallback")
  fi
  printf -v "$1" '%s' "$folder"
}

# toolVersion FOLDER PACKAGE: the version of PACKAGE unpacked in FOLDER: what setup recorded
# in FOLDER/version, else (folders unpacked before it did) the head of its Debian changelog.
toolVersion() {
  if [ -f "$1/version" ]; then
    cat "$1/version"
  else
    zcat "$1/root/usr/share/doc/$2/changelog.Debian.gz" 2>/dev/null | sed -n '1s/^[^ ]* (\([^)]*\)).*/\1/p'
  fi
}

# toolSettle NAME PIN STAGING: moves a freshly unpacked STAGING folder (with its version file)
# to the folder named for the version it holds and sets toolSettled to that folder. A version
# other than the pin goes under its own name, is recorded in NAME.fallback and warned of
# loudly; the pin's folder is never given to another version.
toolSettle() {
  local name=$1 pin=$2 staging=$3 got
  got=$(cat "$staging/version")
  toolSettled=$(toolFolder "$name" "$got")
  if [ "$got" = "$pin" ]; then
    rm -f "$vulkanTools/$name.fallback"
  else
    echo "$got" > "$vulkanTools/$name.fallback"
    {
      echo "setup: WARNING: ******************************************************************"
      echo "setup: WARNING: $name $pin, the pinned version, is gone from the mirror;"
      echo "setup: WARNING: unpacked $name $got instead, into $toolSettled."
      echo "setup: WARNING: the tests (the DXVK picture floors among them) were settled on $pin: their verdicts may differ."
      echo "setup: WARNING: ******************************************************************"
    } >&2
  fi
  rm -rf "$toolSettled"
  mv "$staging" "$toolSettled"
}

# toolchainReport: one line per private tool, the version unpacked in the folder in use and
# whether it is the pin; prints WARNING lines (and returns 1) for any that is not.
toolchainReport() {
  local row name folder package pin got status=0
  # name | folder in use | Debian package | pinned version (none: follows Debian unstable)
  for row in "vkd3d-compiler|$vulkanTools/vkd3d|vkd3d-compiler|" \
             "DXVK|$dxvkDir|dxvk-wine64|$dxvkPin" \
             "lavapipe|$lavapipeDir|mesa-vulkan-drivers|$lavapipePin" \
             "validation layer|$validationDir|vulkan-validationlayers|$validationPin" \
             "Dear ImGui sources|$imguiDir|imgui|$imguiPin"; do
    IFS='|' read -r name folder package pin <<< "$row"
    got=$(toolVersion "$folder" "$package")
    if [ -z "$got" ]; then
      echo "toolchain: $name: not unpacked in $folder"
    elif [ -z "$pin" ]; then
      echo "toolchain: $name $got (not pinned)"
    elif [ "$got" = "$pin" ]; then
      echo "toolchain: $name $got (pinned)"
    else
      echo "toolchain: WARNING: $name $got, NOT the pinned $pin ($folder)"
      status=1
    fi
  done
  if [ -n "${NIMBRA_LAVAPIPE_ICD:-}" ]; then
    echo "toolchain: WARNING: lavapipe from NIMBRA_LAVAPIPE_ICD=$NIMBRA_LAVAPIPE_ICD, NOT the pinned $lavapipePin"
    status=1
  fi
  return $status
}

toolPick dxvkDir dxvk "$dxvkPin"
toolPick lavapipeDir lavapipe "$lavapipePin"
toolPick validationDir vulkan-validation "$validationPin"
toolPick imguiDir imgui "$imguiPin"
# The versions in use, from their folders' names (a DXVK prefix is set up again for another).
dxvkVersion=${dxvkDir##*/dxvk-}
lavapipeVersion=${lavapipeDir##*/lavapipe-}
validationVersion=${validationDir##*/vulkan-validation-}
# The folder CMake builds Dear ImGui from (NIMBRA_IMGUI_DIR): the one with imgui.cpp.
imguiSources="$imguiDir/source"
# NIMBRA_LAVAPIPE_ICD names another lavapipe's manifest (to compare versions).
lavapipeIcd="${NIMBRA_LAVAPIPE_ICD:-$lavapipeDir/lvp_icd.json}"
validationLayers="$validationDir/layers"
