#include "content/assets/Assets.h"
#include "content/assets/ContentPrograms.h"
#include "content/script/ContentTables.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

using namespace Nimbra;

namespace {

constexpr int32_t textureInput = 0;
constexpr int32_t bufferInput = 1;

bool isTexture(int32_t key)
{
    ContentResourceClass kind = contentResources[key].kind;
    return kind == ContentResourceClass::Texture || kind == ContentResourceClass::Image;
}

uint32_t countOf(ContentResourceClass kind)
{
    uint32_t n = 0;
    for (const ContentResource& r : contentResources)
        n += r.kind == kind;
    return n;
}

// The resources the pass at `ref` writes.
std::set<int32_t> writtenBy(const ContentPassRef& ref)
{
    if (ref.kind == ContentPassKind::Compute)
        return {contentComputePasses[ref.key].output.resource};
    const ContentDrawPass& pass = contentDrawPasses[ref.key];
    std::set<int32_t> written = {pass.target};
    if (pass.depthTarget != noResource)
        written.insert(pass.depthTarget);
    return written;
}

// Whether the program table embeds `code` under `name`.
bool embeddedAs(const char* name, const unsigned char* code)
{
    for (unsigned int i = 0; name && i < contentProgramCount; ++i)
        if (std::strcmp(contentPrograms[i].name, name) == 0)
            return contentPrograms[i].code == code;
    return false;
}

}  // namespace

// The live shaders find a pass's programs by the names its row records.
TEST(ContentPasses, EachStageNamesTheProgramItRuns)
{
    for (const ContentDrawPass& pass : contentDrawPasses) {
        EXPECT_TRUE(embeddedAs(pass.vertexProgram, pass.vertexCode))
            << (pass.vertexProgram ? pass.vertexProgram : "none");
        EXPECT_TRUE(embeddedAs(pass.pixelProgram, pass.pixelCode)) << (pass.pixelProgram ? pass.pixelProgram : "none");
    }
    for (const ContentComputePass& pass : contentComputePasses)
        EXPECT_TRUE(embeddedAs(pass.kernelProgram, pass.kernelCode))
            << (pass.kernelProgram ? pass.kernelProgram : "none");
}

TEST(ContentResources, ClassesFormatsAndData)
{
    EXPECT_EQ(countOf(ContentResourceClass::Texture), 9u);
    EXPECT_EQ(countOf(ContentResourceClass::BufferData), 9u);
    EXPECT_EQ(countOf(ContentResourceClass::Image), 1u);
    EXPECT_EQ(countOf(ContentResourceClass::Buffer), 1u);

    for (uint32_t key = 0; key < contentResourceCount; ++key) {
        const ContentResource& r = contentResources[key];
        EXPECT_EQ(r.doubleBuffered, key == 12) << key;
        if (r.kind == ContentResourceClass::Texture) {
            EXPECT_EQ(r.format, key == 17 ? 6 : 3) << key;
        }
        if (r.kind == ContentResourceClass::BufferData) {
            // Each block holds exactly the elements the buffer is created with.
            ASSERT_NE(r.data, nullptr) << key;
            EXPECT_EQ(*r.dataSize, r.count * 4u) << key;
        }
    }
    EXPECT_EQ(contentResources[8].kind, ContentResourceClass::Image);
    EXPECT_EQ(contentResources[8].data, mapImage);
    EXPECT_EQ(contentResources[12].stride, 16);
    EXPECT_EQ(contentResources[3].data, fontA);
    EXPECT_EQ(contentResources[14].data, fontB);
    EXPECT_EQ(contentResources[5].elementType, 1);
    EXPECT_EQ(contentResources[16].elementType, 1);
    EXPECT_EQ(contentResources[15].elementType, 0);
    EXPECT_EQ(contentOutputResource, 18u);
}

TEST(ContentPasses, InputsNameResourcesOfTheRightKind)
{
    for (uint32_t p = 0; p < contentDrawPassCount; ++p) {
        const ContentDrawPass& pass = contentDrawPasses[p];
        EXPECT_NE(pass.vertexCode, nullptr);
        EXPECT_NE(pass.pixelCode, nullptr);
        EXPECT_GT(*pass.vertexCodeSize, 0u);
        EXPECT_GT(*pass.pixelCodeSize, 0u);
        EXPECT_EQ(contentResources[pass.target].kind, ContentResourceClass::Texture) << p;
        EXPECT_NE(contentResources[pass.target].format, 6) << p;
        std::set<int32_t> registers;
        for (uint32_t i = 0; i < pass.inputCount; ++i) {
            const ContentInput& in = pass.inputs[i];
            EXPECT_TRUE(registers.insert(in.reg).second) << "pass " << p << " binds t" << in.reg << " twice";
            ASSERT_GE(in.resource, 0);
            ASSERT_LT(in.resource, static_cast<int32_t>(contentResourceCount));
            EXPECT_EQ(in.kind == textureInput, isTexture(in.resource)) << "pass " << p << " t" << in.reg;
            EXPECT_NE(in.resource, pass.target) << p;
        }
    }
    const ContentComputePass& compute = contentComputePasses[0];
    EXPECT_EQ(compute.input.kind, bufferInput);
    EXPECT_EQ(compute.output.kind, bufferInput);
    EXPECT_EQ(compute.input.resource, 12);
    EXPECT_EQ(compute.output.resource, 12);
    EXPECT_EQ(compute.kernelCode, rotationCS);
}

TEST(ContentPasses, UnboundRegistersOfTextAndCompositePasses)
{
    const ContentDrawPass& text = contentDrawPasses[2];
    EXPECT_EQ(contentInputRegisterCount(text), 7u);
    std::set<int32_t> bound;
    for (uint32_t i = 0; i < text.inputCount; ++i)
        bound.insert(text.inputs[i].reg);
    EXPECT_EQ(bound, (std::set<int32_t>{0, 1, 2, 3, 5, 6}));

    const ContentDrawPass& composite = contentDrawPasses[3];
    EXPECT_EQ(contentInputRegisterCount(composite), 4u);
    bound.clear();
    for (uint32_t i = 0; i < composite.inputCount; ++i)
        bound.insert(composite.inputs[i].reg);
    EXPECT_EQ(bound, (std::set<int32_t>{1, 2, 3}));

    // Only the scroller draws with depth, into the one depth texture.
    for (uint32_t p = 0; p < contentDrawPassCount; ++p) {
        EXPECT_EQ(contentDrawPasses[p].useDepth, p == 5) << p;
        EXPECT_EQ(contentDrawPasses[p].depthTarget, p == 5 ? 17 : noResource) << p;
    }
}

TEST(ContentPasses, CreationAndExecutionOrders)
{
    const ContentPassRef created[] = {{ContentPassKind::Draw, 0}, {ContentPassKind::Draw, 1},
                                      {ContentPassKind::Draw, 2}, {ContentPassKind::Draw, 3},
                                      {ContentPassKind::Draw, 4}, {ContentPassKind::Compute, 0},
                                      {ContentPassKind::Draw, 5}, {ContentPassKind::Draw, 6},
                                      {ContentPassKind::Draw, 7}};
    const ContentPassRef executed[] = {{ContentPassKind::Compute, 0}, {ContentPassKind::Draw, 0},
                                       {ContentPassKind::Draw, 1},    {ContentPassKind::Draw, 2},
                                       {ContentPassKind::Draw, 5},    {ContentPassKind::Draw, 3},
                                       {ContentPassKind::Draw, 7},    {ContentPassKind::Draw, 4},
                                       {ContentPassKind::Draw, 6}};
    for (uint32_t i = 0; i < contentPassCount; ++i) {
        EXPECT_EQ(contentCreationOrder[i].kind, created[i].kind) << i;
        EXPECT_EQ(contentCreationOrder[i].key, created[i].key) << i;
        EXPECT_EQ(contentExecutionOrder[i].kind, executed[i].kind) << i;
        EXPECT_EQ(contentExecutionOrder[i].key, executed[i].key) << i;
    }
}

TEST(ContentPasses, EveryRenderedInputIsWrittenEarlierInTheFrame)
{
    std::set<int32_t> written;
    for (const ContentPassRef& ref : contentExecutionOrder) {
        if (ref.kind == ContentPassKind::Draw) {
            const ContentDrawPass& pass = contentDrawPasses[ref.key];
            for (uint32_t i = 0; i < pass.inputCount; ++i) {
                int32_t key = pass.inputs[i].resource;
                if (contentResources[key].kind == ContentResourceClass::Texture) {
                    EXPECT_TRUE(written.count(key)) << "draw " << ref.key << " reads " << key << " before it is drawn";
                }
            }
        }
        for (int32_t key : writtenBy(ref))
            EXPECT_TRUE(written.insert(key).second) << key << " is written twice";
    }
    EXPECT_TRUE(written.count(static_cast<int32_t>(contentOutputResource)));
    // Every colour texture is some pass's target.
    for (uint32_t key = 0; key < contentResourceCount; ++key) {
        if (contentResources[key].kind == ContentResourceClass::Texture) {
            EXPECT_TRUE(written.count(static_cast<int32_t>(key))) << key;
        }
    }
}
