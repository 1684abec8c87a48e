#pragma once
// The shape of the presentation as data: which resources exist, which passes draw with them,
// in which order they are created and in which order they run. buildContent turns these rows
// into live objects; nothing here touches the GPU, so the tables can be checked on their own.
#include <cstdint>

namespace Nimbra {

enum class ContentResourceClass { Texture, Image, Buffer, BufferData };

// One resource, created under its index as key. Textures take the screen size at build time.
struct ContentResource {
    ContentResourceClass kind;
    int32_t format;                // TextureFormat of a texture (3 Rgba16Float, 6 Depth32Float)
    int32_t elementType;           // ElementType of a data buffer (0 Int32, 1 Float32)
    uint32_t count;                // elements of a data buffer
    int32_t stride;                // bytes per element of a plain buffer
    const unsigned char* data;     // embedded block of an image or a data buffer
    const unsigned int* dataSize;  // its byte size
    bool doubleBuffered;
};

// Shader-resource input at register `reg`: kind 0 texture, 1 buffer. Registers a pass does not
// list stay unbound.
struct ContentInput {
    int32_t reg;
    int32_t kind;
    int32_t resource;
};

constexpr int32_t noResource = -1;
constexpr uint32_t maxContentInputs = 8;

struct ContentDrawPass {
    const char* vertexProgram;  // the programs' names, as the live shaders know them
    const unsigned char* vertexCode;
    const unsigned int* vertexCodeSize;
    const char* pixelProgram;
    const unsigned char* pixelCode;
    const unsigned int* pixelCodeSize;
    int32_t target;
    int32_t depthTarget;  // noResource when the pass has none
    uint32_t inputCount;  // listed inputs, not registers
    ContentInput inputs[maxContentInputs];
    float clearColor[4];
    bool useDepth;
    bool blend;
    int32_t blendMode;
    uint32_t vertexCount;
    uint32_t instanceCount;
};

struct ContentComputePass {
    const char* kernelProgram;
    const unsigned char* kernelCode;
    const unsigned int* kernelCodeSize;
    uint32_t sizeX, sizeY, sizeZ;
    ContentInput output;  // written through u(inputs)
    ContentInput input;
};

// Pass kinds carry the numbering of the player's pass list: 0 compute, 1 draw.
enum class ContentPassKind : int32_t { Compute = 0, Draw = 1 };

struct ContentPassRef {
    ContentPassKind kind;
    uint32_t key;
};

constexpr uint32_t contentResourceCount = 20;
constexpr uint32_t contentDrawPassCount = 8;
constexpr uint32_t contentComputePassCount = 1;
constexpr uint32_t contentPassCount = contentDrawPassCount + contentComputePassCount;
constexpr uint32_t contentOutputResource = 18;

// Every pass runs on every frame within this window.
constexpr float contentPassStartTime = 0.0f;
constexpr float contentPassEndTime = 100000.0f;

extern const ContentResource contentResources[contentResourceCount];
extern const ContentDrawPass contentDrawPasses[contentDrawPassCount];
extern const ContentComputePass contentComputePasses[contentComputePassCount];
extern const ContentPassRef contentCreationOrder[contentPassCount];
extern const ContentPassRef contentExecutionOrder[contentPassCount];

// Number of registers a draw pass's input list spans: its highest listed register plus one.
uint32_t contentInputRegisterCount(const ContentDrawPass& pass);

}  // namespace Nimbra
