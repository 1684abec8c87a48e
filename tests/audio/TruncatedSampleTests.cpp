// Sample data cut short by the end of the file: what the delta decoding makes of it.
#include <gtest/gtest.h>

#include "TestModules.h"

namespace Nimbra {
namespace {

// A module whose last bytes are the data of one 16-bit sample of `values`, cut off after the
// first `keptBytes` bytes of that data.
std::vector<uint8_t> truncatedSixteenBitModule(const std::vector<int16_t>& values, size_t keptBytes)
{
    XmModule m = basicModule(1, 4);
    XmSample s;
    s.sixteenBit = true;
    s.data = values;
    m.instruments[0] = instrumentWith(s);
    std::vector<uint8_t> b = writeXm(m);
    size_t dataAt = b.size() - 2 * values.size();
    b.resize(dataAt + keptBytes);
    return b;
}

std::vector<int> decoded(const ModulePlayer& p)
{
    const ModuleSample& s = p.instruments[0].samples[0];
    const int16_t* v = static_cast<const int16_t*>(s.data);
    return std::vector<int>(v, v + s.length);
}

TEST(TruncatedSamples, LowByteOfACutOffSixteenBitValueStillCounts)
{
    // Values 258, 773, 368 are stored as the differences 0x0102, 0x0203, 0xFE6B, that is the
    // bytes 02 01 03 02 6B FE. The file ends after 6B: the missing high byte reads as 0, so the
    // third difference is 0x006B and the value is 773 + 0x6B = 880. Every later difference
    // reads as 0 and repeats it.
    PlayerPtr p = makePlayer(truncatedSixteenBitModule({258, 773, 368, 5, 6, 7}, 5));
    EXPECT_EQ(p->instruments[0].samples[0].length, 6u);  // the header still says 12 bytes
    EXPECT_EQ(decoded(*p), (std::vector<int>{258, 773, 880, 880, 880, 880}));

    // The low byte joins the 16-bit wrapping sum: -16 is 0xFFF0, the next difference 0x0320
    // (to 0x0310) loses its high byte, and 0xFFF0 + 0x20 wraps to 0x0010.
    p = makePlayer(truncatedSixteenBitModule({-16, 0x310, 0}, 3));
    EXPECT_EQ(decoded(*p), (std::vector<int>{-16, 16, 16}));
}

TEST(TruncatedSamples, CutsBetweenValuesRepeatTheLastWholeOne)
{
    // Cut after whole values: the last complete value repeats.
    PlayerPtr p = makePlayer(truncatedSixteenBitModule({258, 773, 368, 5}, 4));
    EXPECT_EQ(decoded(*p), (std::vector<int>{258, 773, 773, 773}));
    // Nothing of the data left: all zeros.
    p = makePlayer(truncatedSixteenBitModule({258, 773}, 0));
    EXPECT_EQ(decoded(*p), (std::vector<int>{0, 0}));
}

}  // namespace
}  // namespace Nimbra
