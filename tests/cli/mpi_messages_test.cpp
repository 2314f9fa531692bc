// A chunk and its values cross between ranks unchanged to the bit, what each point wrote
// included; a message that does not fit its shape is refused.
#include "cli/mpi/Messages.h"
#include "cli/mpi/MpiJob.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>

namespace vantrel {
namespace {

std::vector<uint64_t> Bits(const std::vector<double>& numbers) {
    std::vector<uint64_t> bits;
    for (double n : numbers)
        bits.push_back(std::bit_cast<uint64_t>(n));
    return bits;
}

TEST(MpiMessages, ChunkAndValuesArriveToTheBit) {
    const Chunk chunk{2, 12, {0.1}, {-0.0, 1e-300, 0.75}};
    const Chunk got = DecodeChunk(EncodeChunk(chunk), 4);
    EXPECT_EQ(got.level, 2);
    EXPECT_EQ(got.first, 12u);
    EXPECT_EQ(Bits(got.outer), Bits(chunk.outer));
    EXPECT_EQ(Bits(got.points), Bits(chunk.points));

    // A NaN with a payload marks an element that the point did not write.
    const double unwritten = std::bit_cast<double>(uint64_t{0x7ff8'0000'0000'1234});
    const int32_t untouched = std::numeric_limits<int32_t>::min();
    const ChunkValues values{
        4,
        625,
        0.25,
        {{.value = 0.5, .funcsIerr = untouched, .recorded = 5, .ok = true, .covered = false}, {}},
        {unwritten, 2, -0.0, 7, 8, 9}};
    const ChunkValues back = DecodeValues(EncodeValues(values), 3);
    EXPECT_EQ(back.first, 4u);
    EXPECT_EQ(back.evaluations, 625u);
    EXPECT_EQ(back.seconds, 0.25);
    ASSERT_EQ(back.values.size(), 2u);
    EXPECT_TRUE(back.values[0].ok);
    EXPECT_EQ(back.values[0].value, 0.5);
    EXPECT_EQ(back.values[0].recorded, 5);
    EXPECT_EQ(back.values[0].funcsIerr, untouched);
    EXPECT_FALSE(back.values[1].ok);
    EXPECT_EQ(Bits(back.writes), Bits(values.writes));
}

TEST(MpiMessages, MalformedOnesAreRefused) {
    const std::vector<std::vector<double>> values = {
        {0, 1},                        // no seconds
        {0, 1, -1},                    // seconds that are no time
        {0, 1, 0, 1, 0.5, 0},          // a point cut short
        {0, 1, 0, 1, 0.5, 0.5, 0},     // an error number that is not whole
        {0, 1, 0, 1, 0.5, 1 << 30, 0}, // an error number no point records
        {0.5, 1, 0, 1, 0.5, 0, 0},     // a first index that is not whole
        {0, 1, 0, 1, 0.5, 0, 0, 7}};   // writes where none are expected
    for (const auto& numbers : values)
        EXPECT_THROW(DecodeValues(numbers, 0), MpiFailure) << numbers.size();
    EXPECT_THROW(DecodeChunk(std::vector<double>{4, 0}, 4), MpiFailure);    // no such level
    EXPECT_THROW(DecodeChunk(std::vector<double>{0, 0, 1}, 4), MpiFailure); // level 0
    EXPECT_THROW(DecodeChunk(std::vector<double>{1, 0, 1}, 4), MpiFailure); // outer cut short
}

} // namespace
} // namespace vantrel
