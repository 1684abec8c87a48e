# Sourced: where scripts/setup.sh unpacks the pinned DXVK, lavapipe and validation layer (one
# copy per user, beside the shader compiler), and the versions it pins.
dxvkVersion=2.6+ds-1
lavapipeVersion=25.0.7-2~bpo12+1
validationVersion=1.3.239.0-2
vulkanTools=$("$(dirname "${BASH_SOURCE[0]}")/toolchain-dir.sh")
dxvkDir="$vulkanTools/dxvk-$dxvkVersion"
lavapipeDir="$vulkanTools/lavapipe-$lavapipeVersion"
# NIMBRA_LAVAPIPE_ICD names another lavapipe's manifest (to compare versions).
lavapipeIcd="${NIMBRA_LAVAPIPE_ICD:-$lavapipeDir/lvp_icd.json}"
validationDir="$vulkanTools/vulkan-validation-$validationVersion"
validationLayers="$validationDir/layers"
