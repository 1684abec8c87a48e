#pragma once
// Single-precision vector and matrix helpers of the camera. The order of every sum is fixed
// so that results are the same bit for bit on every compiler.
#include "gfx/frame/ContextBuffer.h"

namespace Nimbra {

struct Float3 {
    float x;
    float y;
    float z;
};

Float3 cross3(const Float3& a, const Float3& b);
// No guard against a zero length: the result is then non-finite.
Float3 normalize3(const Float3& v);
// The view matrix looking along -z from eye; z is used as given, not normalised.
Matrix4 lookTo(const Float3& eye, const Float3& z, const Float3& up);
Matrix4 multiply4x4(const Matrix4& a, const Matrix4& b);
// General inverse by cofactors; a singular matrix gives non-finite entries.
Matrix4 invert4x4(const Matrix4& m);

}  // namespace Nimbra
