#include "job/png_file.h"
#include "failing_sink.h"
#include "png_reader.h"

#include <gtest/gtest.h>

namespace {

TEST(PngFile, DecodesToTheBufferWithRowZeroAtTheBottomAndCarriesItsTexts)
{
    PixelBuffer buffer;
    AllocPixels(buffer, {3, 2});
    const uint32_t pixels[] = {0x000000, 0x0011FF, 0xFF0000,   // row 0: bottom
                               0x11BBFF, 0xFFFFFF, 0x7F7F7F};  // row 1: top
    std::copy(std::begin(pixels), std::end(pixels), buffer.pixels.get());
    const std::vector<PngText> texts = {{"Software", "corvalis-render 1"}, {"Command", "corvalis-render --grid 3x2"}};
    const Result<std::string> png = EncodePng(buffer, texts);
    ASSERT_TRUE(png);
    const DecodedPng decoded = DecodePng(*png);
    ASSERT_EQ(decoded.error, "");
    const std::vector<std::pair<std::string, std::string>> expectedTexts = {{"Software", "corvalis-render 1"},
                                                                            {"Command", "corvalis-render --grid 3x2"}};
    EXPECT_EQ(decoded.texts, expectedTexts);
    ASSERT_EQ(decoded.width, 3);
    ASSERT_EQ(decoded.height, 2);
    const std::vector<uint32_t> topFirst = {0x11BBFF, 0xFFFFFF, 0x7F7F7F, 0x000000, 0x0011FF, 0xFF0000};
    EXPECT_EQ(decoded.pixels, topFirst);
}

TEST(PngFile, LargePicturesRoundTrip)
{
    PixelBuffer buffer;
    AllocPixels(buffer, {1001, 333});
    for (int64_t i = 0; i < buffer.PixelCount(); ++i) {
        buffer.pixels[i] = static_cast<uint32_t>(i * 2654435761u) & 0xFFFFFF;
    }
    const Result<std::string> png = EncodePng(buffer);
    ASSERT_TRUE(png);
    const DecodedPng decoded = DecodePng(*png);
    ASSERT_EQ(decoded.error, "");
    ASSERT_EQ(decoded.pixels.size(), 1001u * 333u);
    int mismatches = 0;
    for (int y = 0; y < 333; ++y) {
        for (int x = 0; x < 1001; ++x) {
            mismatches += decoded.pixels[(332 - y) * 1001 + x] != buffer.pixels[y * 1001 + x];
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(PngFile, StopsAtTheSinksFailureAndGivesItBackUnchanged)
{
    PixelBuffer buffer;
    AllocPixels(buffer, {700, 300});
    for (int64_t i = 0; i < buffer.PixelCount(); ++i) {
        buffer.pixels[i] = static_cast<uint32_t>(i * 2654435761u) & 0xFFFFFF;
    }
    const PixelRows rows = [&buffer](int32_t row, uint32_t* colours) {
        std::copy_n(buffer.pixels.get() + int64_t{row} * buffer.width, buffer.width, colours);
    };
    FailingSink counting(0, Failure::Because("unused"));
    ASSERT_TRUE(WritePng({buffer.width, buffer.height}, rows, {{"Software", "test"}}, counting));
    ASSERT_GT(counting.Writes(), 4);  // signature, header, text, several IDAT chunks, end
    for (int failAt = 1; failAt <= counting.Writes(); ++failAt) {
        for (const Failure& failure : {Failure::Because("No space left on device"), Failure::Interrupt()}) {
            FailingSink sink(failAt, failure);
            const Status written = WritePng({buffer.width, buffer.height}, rows, {{"Software", "test"}}, sink);
            ASSERT_FALSE(written) << "write " << failAt;
            EXPECT_EQ(written.Error().IsInterrupt(), failure.IsInterrupt()) << "write " << failAt;
            EXPECT_EQ(written.Error().Message(), failure.Message()) << "write " << failAt;
            EXPECT_EQ(sink.Writes(), failAt) << "write " << failAt;
        }
    }
}

}  // namespace
