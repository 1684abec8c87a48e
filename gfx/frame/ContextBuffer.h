#pragma once
// The block of frame constants every shader sees at register b8. The packed variable values
// follow it from byte 608 on (see Gfx::VariableBlock).
#include "gfx/frame/ShaderRegisters.h"

#include <cstddef>
#include <cstdint>

namespace Nimbra {

// A 4x4 matrix: 16 floats, row-major, for row vectors (p * M).
struct Matrix4 {
    float m[16];
};

struct Float2 {
    float x;
    float y;
};

struct ContextBuffer {
    float time;
    uint32_t frame;
    float elapsedTime;
    float aspectRatio;
    Float2 resolution;
    Float2 invResolution;
    Matrix4 viewMatrix;
    Matrix4 projectionMatrix;
    Matrix4 viewProjectionMatrix;
    Matrix4 invViewMatrix;
    Matrix4 invProjectionMatrix;
    Matrix4 invViewProjectionMatrix;
    Matrix4 lastViewMatrix;
    Matrix4 lastProjectionMatrix;
    Matrix4 lastViewProjectionMatrix;
};

// The shaders declare these exact offsets; a change here breaks every one of them.
static_assert(sizeof(ContextBuffer) == contextBufferBytes, "ContextBuffer must stay 608 bytes");
static_assert(offsetof(ContextBuffer, time) == 0, "time");
static_assert(offsetof(ContextBuffer, frame) == 4, "frame");
static_assert(offsetof(ContextBuffer, elapsedTime) == 8, "elapsedTime");
static_assert(offsetof(ContextBuffer, aspectRatio) == 12, "aspectRatio");
static_assert(offsetof(ContextBuffer, resolution) == 16, "resolution");
static_assert(offsetof(ContextBuffer, invResolution) == 24, "invResolution");
static_assert(offsetof(ContextBuffer, viewMatrix) == 32, "viewMatrix");
static_assert(offsetof(ContextBuffer, projectionMatrix) == 96, "projectionMatrix");
static_assert(offsetof(ContextBuffer, viewProjectionMatrix) == 160, "viewProjectionMatrix");
static_assert(offsetof(ContextBuffer, invViewMatrix) == 224, "invViewMatrix");
static_assert(offsetof(ContextBuffer, invProjectionMatrix) == 288, "invProjectionMatrix");
static_assert(offsetof(ContextBuffer, invViewProjectionMatrix) == 352, "invViewProjectionMatrix");
static_assert(offsetof(ContextBuffer, lastViewMatrix) == 416, "lastViewMatrix");
static_assert(offsetof(ContextBuffer, lastProjectionMatrix) == 480, "lastProjectionMatrix");
static_assert(offsetof(ContextBuffer, lastViewProjectionMatrix) == 544, "lastViewProjectionMatrix");

constexpr uint32_t contextBufferSize = sizeof(ContextBuffer);

// Folds this frame's header into the running one: the previous matrices move to last...,
// the products and inverses are derived. Only time, frame, elapsedTime, resolution,
// viewMatrix and projectionMatrix are read from `frame`.
void advanceContextBuffer(ContextBuffer& running, const ContextBuffer& frame);

}  // namespace Nimbra
