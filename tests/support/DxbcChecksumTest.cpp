// The checksum Windows checks on every program: MD5's core on RFC 1321's vectors, then every
// program the build compiled (embedded and on disk), which our compiler signed, and a blob with
// one byte changed, which must fail.
#include "tests/support/DxbcChecksum.h"

#include "content/assets/ContentPrograms.h"
#include "gfx/shaders/PresentShaders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace Nimbra::Testing {
namespace {

using Bytes = std::vector<unsigned char>;

std::string hex(const unsigned char* bytes, size_t size)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; i < size; ++i) {
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 15];
    }
    return text;
}

TEST(DxbcChecksum, Md5CoreGivesTheRfc1321Digests)
{
    // RFC 1321, A.5; the last two cross the 56-byte boundary of the length field.
    const struct {
        std::string message;
        const char* digest;
    } vectors[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& v : vectors) {
        unsigned char digest[16];
        md5(reinterpret_cast<const unsigned char*>(v.message.data()), v.message.size(), digest);
        EXPECT_EQ(hex(digest, 16), v.digest) << '"' << v.message << '"';
    }
}

// Every program the build embedded, and every compiled program file in the build's tree.
std::vector<std::pair<std::string, Bytes>> builtPrograms()
{
    std::vector<std::pair<std::string, Bytes>> programs;
    for (unsigned i = 0; i < contentProgramCount; ++i) {
        const ContentProgram& p = contentPrograms[i];
        programs.push_back({p.name, Bytes(p.code, p.code + *p.size)});
    }
    programs.push_back({"presentVS", Bytes(presentVS, presentVS + presentVSSize)});
    programs.push_back({"presentPS", Bytes(presentPS, presentPS + presentPSSize)});
    for (const auto& entry : std::filesystem::recursive_directory_iterator(NIMBRA_BUILD_DIR)) {
        if (entry.is_regular_file() && entry.path().extension() == ".dxbc") {
            std::ifstream in(entry.path(), std::ios::binary);
            programs.push_back({entry.path().string(), Bytes(std::istreambuf_iterator<char>(in), {})});
        }
    }
    return programs;
}

TEST(DxbcChecksum, EveryBuiltProgramIsSignedAndOneChangedByteBreaksIt)
{
    const auto programs = builtPrograms();
    ASSERT_GE(programs.size(), 2u * (contentProgramCount + 2));  // embedded, and their files
    // Both shapes of the last block: with room for the count (rest < 56 bytes) and without.
    int shortTails = 0, longTails = 0;
    for (const auto& [name, bytes] : programs) {
        ASSERT_GT(bytes.size(), 20u) << name;
        EXPECT_TRUE(dxbcChecksumMatches(bytes.data(), bytes.size())) << name;
        ((bytes.size() - 20) % 64 < 56 ? shortTails : longTails)++;
        for (size_t at : {size_t(20), bytes.size() / 2, bytes.size() - 1}) {
            Bytes changed = bytes;
            changed[at] ^= 0x01;
            EXPECT_FALSE(dxbcChecksumMatches(changed.data(), changed.size())) << name << " byte " << at;
        }
    }
    EXPECT_GT(shortTails, 0);
    EXPECT_GT(longTails, 0);
}

TEST(DxbcChecksum, RefusesWhatIsNoContainer)
{
    Bytes notDxbc(64, 0);
    EXPECT_FALSE(dxbcChecksumMatches(notDxbc.data(), notDxbc.size()));
    const Bytes head(contentPrograms[0].code, contentPrograms[0].code + 19);
    EXPECT_FALSE(dxbcChecksumMatches(head.data(), head.size()));
}

}  // namespace
}  // namespace Nimbra::Testing
