// Frame constants at b8, shared by every program of the demo: the 608-byte frame header
// followed by the 64 animated variables, one float each, in registration order (864 bytes).
// Matrices arrive row-major for row vectors; with the default column-major packing they read
// as their transposes, so a point is transformed with mul(matrix, point).
#ifndef CONTEXT_BUFFER_HLSLI
#define CONTEXT_BUFFER_HLSLI

cbuffer ContextBuffer : register(b8)
{
    float time;
    uint frame;
    float elapsedTime;
    float aspectRatio;
    float2 resolution;
    float2 invResolution;
    float4x4 viewMatrix;
    float4x4 projectionMatrix;
    float4x4 viewProjectionMatrix;
    float4x4 invViewMatrix;
    float4x4 invProjectionMatrix;
    float4x4 invViewProjectionMatrix;
    float4x4 lastViewMatrix;
    float4x4 lastProjectionMatrix;
    float4x4 lastViewProjectionMatrix;

    float CameraPosX;
    float CameraPosY;
    float CameraPosZ;
    float CameraDirX;
    float CameraDirY;
    float CameraDirZ;
    float CameraFOV;
    float CameraRoll;
    float WEIGHTSTNY;
    float BLRSTRENGHT;
    float FCSRANGE;
    float KRNSIZE;
    float FOCALDIST;
    float FRAME;
    float DOFBLUR;
    float GLITCH;
    float RSPEEDX;
    float RSPEEDY;
    float RSPEEDZ;
    float WAVEAMP;
    float BRUS;
    float BLANKOUT;
    float INTERLACE;
    float L1_X_OFFSET;
    float L1_Y_OFFSET;
    float L1_Z_OFFSET;
    float L1_ROT_X;
    float L1_ROT_Y;
    float L1_ROT_Z;
    float L1_MIRROR_X;
    float L1_MIRROR_Y;
    float L1_FRAMECOUNT;
    float L1_START;
    float L1_MANUAL_OR;
    float L1_FRAME;
    float L1_FPS;
    float L1_COL;
    float L1TEXT_R;
    float L1TEXT_G;
    float L1TEXT_B;
    float L1TEXT_A;
    float FRAMEMANUALOVERRIDE;
    float PTRNLNGHT;
    float L1_ROW_X_OFFSET;
    float FLAT_L1_FRAME;
    float FLAT_L2_FRAME;
    float FLAT_L3_FRAME;
    float FLAT_L4_FRAME;
    float FLAT_L1_X_OFFSET;
    float FLAT_L2_X_OFFSET;
    float FLAT_L3_X_OFFSET;
    float FLAT_L4_X_OFFSET;
    float FLAT_L1_Y_OFFSET;
    float FLAT_L2_Y_OFFSET;
    float FLAT_L3_Y_OFFSET;
    float FLAT_L4_Y_OFFSET;
    float SCROLLERMAXBLUR;
    float FLAT_L1_Z_OFFSET;
    float FLAT_L2_Z_OFFSET;
    float FLAT_L3_Z_OFFSET;
    float FLAT_L4_Z_OFFSET;
    float POST;
    float NEGT;
    float LNWIDHT;
};

#endif
