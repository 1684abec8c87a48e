#include "tools/preview/FrameConstants.h"

#include "app/ShippedEdits.h"
#include "content/animation/ContentVariables.h"
#include "core/Timeline.h"

#include <cmath>
#include <cstring>

namespace Nimbra::Preview {
namespace {

struct Vec3
{
    float x, y, z;
};

Vec3 cross(Vec3 a, Vec3 b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

Vec3 normalize(Vec3 v)
{
    float inv = 1.0f / std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return {v.x * inv, v.y * inv, v.z * inv};
}

float dot(Vec3 a, Vec3 b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

using Matrix = float[16];

void multiply(const Matrix a, const Matrix b, Matrix out)
{
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
        {
            float s = 0.0f;
            for (int k = 0; k < 4; ++k)
                s += a[i * 4 + k] * b[k * 4 + j];
            out[i * 4 + j] = s;
        }
}

// General inverse by Gauss-Jordan elimination in double precision (the preview only needs
// the values, not the frame code's exact rounding).
void invert(const Matrix m, Matrix out)
{
    double a[4][8];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 8; ++c)
            a[r][c] = c < 4 ? m[r * 4 + c] : (c - 4 == r ? 1.0 : 0.0);
    for (int c = 0; c < 4; ++c)
    {
        int pivot = c;
        for (int r = c + 1; r < 4; ++r)
            if (std::fabs(a[r][c]) > std::fabs(a[pivot][c]))
                pivot = r;
        for (int k = 0; k < 8; ++k)
            std::swap(a[c][k], a[pivot][k]);
        double p = a[c][c] != 0.0 ? 1.0 / a[c][c] : 0.0;
        for (int k = 0; k < 8; ++k)
            a[c][k] *= p;
        for (int r = 0; r < 4; ++r)
            if (r != c)
            {
                double f = a[r][c];
                for (int k = 0; k < 8; ++k)
                    a[r][k] -= f * a[c][k];
            }
    }
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            out[r * 4 + c] = float(a[r][4 + c]);
}

// The demo's camera: look along the (unnormalised) direction, roll about the view axis,
// right-handed perspective with depth 0 to 1, near 0.1 and far 1000.
void camera(const float* v, float aspect, Matrix view, Matrix projection)
{
    float fov = float(double(v[6]) * 0.01745329251993889);
    float yScale = 1.0f / std::tan(float(double(fov) * 0.5));
    std::memset(projection, 0, sizeof(Matrix));
    projection[0] = yScale / aspect;
    projection[5] = yScale;
    projection[10] = -1.0001f;
    projection[11] = -1.0f;
    projection[14] = -0.10001f;

    Vec3 eye = {v[0], v[1], v[2]};
    Vec3 z = {-v[3], -v[4], -v[5]};
    Vec3 x = normalize(cross(z, {0.0f, 1.0f, 0.0f}));
    Vec3 y = normalize(cross(z, x));
    Matrix look = {x.x, y.x, z.x, 0, x.y, y.y, z.y, 0, x.z, y.z, z.z, 0, -dot(x, eye), -dot(y, eye), -dot(z, eye), 1};
    float theta = float(double(v[7] / 180.0f) * 3.141592653589);
    float c = std::cos(theta), s = std::sin(theta);
    Matrix roll = {c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    multiply(look, roll, view);
}

struct Header
{
    float time;
    uint32_t frame;
    float elapsedTime;
    float aspectRatio;
    float resolution[2];
    float invResolution[2];
    Matrix view, projection, viewProjection, invView, invProjection, invViewProjection;
    Matrix lastView, lastProjection, lastViewProjection;
};
static_assert(sizeof(Header) == HeaderBytes, "frame header is 608 bytes");

} // namespace

struct FrameBuilder::Impl
{
    Timeline timeline;
    int width, height;
    Header previous = {};
    std::vector<std::pair<std::string, float>> overrides;
};

FrameBuilder::FrameBuilder(int width, int height) : impl_(new Impl)
{
    impl_->width = width;
    impl_->height = height;
    loadShippedTimeline(impl_->timeline);
}

FrameBuilder::~FrameBuilder()
{
    impl_->timeline.curves.release();
    delete impl_;
}

void FrameBuilder::setOverrides(std::vector<std::pair<std::string, float>> overrides)
{
    impl_->overrides = std::move(overrides);
}

int FrameBuilder::variableIndex(const std::string& name)
{
    for (uint32_t i = 0; i < contentVariableCount; ++i)
        if (name == contentVariables[i].name)
            return int(i);
    return -1;
}

FrameConstants FrameBuilder::build(float seconds, uint32_t frame, float elapsed)
{
    float values[contentVariableCount];
    for (uint32_t i = 0; i < contentVariableCount; ++i)
        values[i] = evaluateCurve(impl_->timeline, i, seconds);
    for (const auto& [name, value] : impl_->overrides)
    {
        int index = variableIndex(name);
        if (index >= 0)
            values[index] = value;
    }

    Header h = {};
    h.time = seconds;
    h.frame = frame;
    h.elapsedTime = elapsed;
    h.resolution[0] = float(impl_->width);
    h.resolution[1] = float(impl_->height);
    h.invResolution[0] = 1.0f / h.resolution[0];
    h.invResolution[1] = 1.0f / h.resolution[1];
    h.aspectRatio = h.resolution[0] * h.invResolution[1];
    camera(values, h.resolution[0] / h.resolution[1], h.view, h.projection);
    multiply(h.view, h.projection, h.viewProjection);
    invert(h.view, h.invView);
    invert(h.projection, h.invProjection);
    invert(h.viewProjection, h.invViewProjection);
    std::memcpy(h.lastView, impl_->previous.view, sizeof(Matrix));
    std::memcpy(h.lastProjection, impl_->previous.projection, sizeof(Matrix));
    std::memcpy(h.lastViewProjection, impl_->previous.viewProjection, sizeof(Matrix));
    impl_->previous = h;

    FrameConstants out;
    std::memcpy(out.bytes, &h, sizeof(h));
    std::memcpy(out.bytes + HeaderBytes, values, sizeof(values));
    return out;
}

} // namespace Nimbra::Preview
