#pragma once
// The final copy pass's own programs (presentVS.hlsl, presentPS.hlsl), compiled and embedded by
// the build.
extern const unsigned char presentVS[];
extern const unsigned int presentVSSize;
extern const unsigned char presentPS[];
extern const unsigned int presentPSSize;
