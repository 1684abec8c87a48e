#pragma once
// demo-sync's overlay programs (overlayVS.hlsl, overlayPS.hlsl), compiled and embedded by the
// build.
extern const unsigned char overlayVS[];
extern const unsigned int overlayVSSize;
extern const unsigned char overlayPS[];
extern const unsigned int overlayPSSize;
