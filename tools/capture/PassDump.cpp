#include "tools/capture/PassDump.h"

#include "tools/capture/ReadBack.h"
#include "gfx/Resource.h"
#include "gfx/TextureRuntime.h"
#include "tools/capture/CaptureFiles.h"
#include "tools/capture/CaptureRender.h"
#include "tools/capture/PassPictures.h"

namespace Nimbra {

namespace {

using namespace Gfx;

// A staging texture of the target's size and format, for one copy of its first mip level.
ID3D11Texture2D* stagingFor(ID3D11Device* device, TextureRuntime* target)
{
    ID3D11Resource* resource = target->resource(false);
    ID3D11Texture2D* texture = nullptr;
    if (resource == nullptr ||
        FAILED(resource->QueryInterface(__uuidof(ID3D11Texture2D), reinterpret_cast<void**>(&texture))))
        return nullptr;
    ID3D11Texture2D* staging = createStagingTextureFor(device, texture);
    texture->Release();
    return staging;
}

}  // namespace

PassDump::PassDump(DemoPlayer& player, ID3D11Device* device, ID3D11DeviceContext* context) : context(context)
{
    for (uint32_t index = 0; index < player.passes.count; ++index) {
        const PassEntry& entry = *player.passes.at(index);
        if (entry.kind != DrawPassKind || entry.pass == nullptr)
            continue;
        const std::string name = passName(player, entry);
        if (name == finalCopyPassName)
            continue;
        auto* pass = static_cast<DrawPass*>(entry.pass);
        for (uint32_t t = 0; t < pass->targets.count; ++t) {
            TextureRuntime* target = pass->targets.at(t)->resource;
            if (target == nullptr || isDepthFormat(target->format))
                continue;
            Picture picture;
            picture.passIndex = index;
            picture.name = t == 0 ? name : name + "_" + std::to_string(t);
            picture.target = target;
            picture.staging = stagingFor(device, target);
            pictures.push_back(picture);
        }
    }
}

PassDump::~PassDump()
{
    for (Picture& picture : pictures)
        releaseAndClear(picture.staging);
}

void PassDump::passDone(uint32_t index)
{
    for (Picture& picture : pictures) {
        if (picture.passIndex != index || picture.staging == nullptr)
            continue;
        ID3D11Resource* written = picture.target->resource(false);
        if (written == nullptr)
            continue;
        context->CopySubresourceRegion(picture.staging, 0, 0, 0, 0, written, 0, nullptr);
        picture.copied = true;
    }
}

bool PassDump::write(const std::string& dir, uint32_t frame, std::string& error)
{
    std::vector<uint8_t> rgba;
    for (Picture& picture : pictures) {
        const std::string path = passPicturePath(dir, frame, picture.name);
        D3D11_MAPPED_SUBRESOURCE mapped = {};
        if (!picture.copied || FAILED(context->Map(picture.staging, 0, D3D11_MAP_READ, 0, &mapped))) {
            error = path + ": the target of " + picture.name + " could not be read back";
            return false;
        }
        D3D11_TEXTURE2D_DESC desc = {};
        picture.staging->GetDesc(&desc);
        const bool converted = targetTexelsToRgba8(picture.target->format, static_cast<const uint8_t*>(mapped.pData),
                                                   desc.Width, desc.Height, mapped.RowPitch, rgba);
        context->Unmap(picture.staging, 0);
        picture.copied = false;
        if (!converted) {
            error = path + ": the target of " + picture.name + " has a format without a picture";
            return false;
        }
        if (!writeFramePng(path, rgba.data(), static_cast<int32_t>(desc.Width), static_cast<int32_t>(desc.Height),
                           desc.Width * 4)) {
            error = path + ": cannot be written";
            return false;
        }
    }
    return true;
}

}  // namespace Nimbra
