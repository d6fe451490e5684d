// What callers rely on from the picture header reader: the format, size and
// depth of every recognised format, numbered errors for truncated headers
// and oversized depths, and values that stay when an error is raised.
#include "imaging/picture_header.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "base/run_time_error.h"
#include "support/test_files.h"

namespace vx {
namespace {

using test::Bytes;
using test::TempFolder;

struct Outcome {
    std::int32_t type = -1;
    std::int32_t width = -1;
    std::int32_t height = -1;
    int depth = -1;
    std::int64_t size = -1;
    int error = 0;  // number of the error raised, 0 for none
};

std::ostream& operator<<(std::ostream& out, const Outcome& o) {
    return out << "type=" << o.type << " width=" << o.width << " height=" << o.height << " depth=" << o.depth
               << " size=" << o.size << " error=" << o.error;
}

Outcome ReadWith(clsImage& reader, const std::filesystem::path& file) {
    Outcome o;
    try {
        reader.ReadImageInfo(file);
    } catch (const RunTimeError& e) {
        o.error = e.Number();
        EXPECT_EQ(e.Source(), "clsImage");
        EXPECT_EQ(e.Description(), StandardErrorDescription(e.Number()));
    }
    o.type = reader.ImageType();
    o.width = reader.Width();
    o.height = reader.Height();
    o.depth = reader.Depth();
    o.size = reader.FileSize();
    return o;
}

class ClsImageTest : public ::testing::Test {
protected:
    Outcome Read(const std::vector<std::uint8_t>& bytes) { return ReadWith(reader_, folder_.Write("picture", bytes)); }
    Outcome ReadFixture(const std::string& name) {
        return ReadWith(reader_, std::filesystem::path(VX_TEST_DATA_DIR) / "imaging" / name);
    }

    TempFolder folder_;
    clsImage reader_;
};

void ExpectPicture(const Outcome& o, int type, int width, int height, int depth) {
    EXPECT_EQ(o.error, 0) << o;
    EXPECT_EQ(o.type, type) << o;
    EXPECT_EQ(o.width, width) << o;
    EXPECT_EQ(o.height, height) << o;
    EXPECT_EQ(o.depth, depth) << o;
}

void ExpectUnrecognised(const Outcome& o) { ExpectPicture(o, kImageUnknown, 0, 0, 0); }

// ---------------------------------------------------------------- real files

TEST_F(ClsImageTest, ReadsFilesWrittenByAnotherProgram) {
    struct Case {
        const char* file;
        int type;
        int depth;
    };
    const Case cases[] = {
        {"rgb24.png", kImagePng, 24},     {"rgba32.png", kImagePng, 32},       {"palette.png", kImagePng, 8},
        {"gray8.png", kImagePng, 8},      {"picture.gif", kImageGif, 8},       {"rgb24.bmp", kImageBmp, 24},
        {"baseline.jpg", kImageJpeg, 24}, {"progressive.jpg", kImageJpeg, 24}, {"picture.pcx", kImagePcx, 24},
        {"rgb.tif", kImageTiff, 24},      {"gray.tif", kImageTiff, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const Outcome o = ReadFixture(c.file);
        ExpectPicture(o, c.type, 37, 23, c.depth);
        EXPECT_EQ(o.size, static_cast<std::int64_t>(std::filesystem::file_size(std::filesystem::path(VX_TEST_DATA_DIR) /
                                                                               "imaging" / c.file)));
    }
}

// ---------------------------------------------------------------- PNG

Bytes Png(int bitDepth, int colorType, std::uint32_t width = 37, std::uint32_t height = 23) {
    Bytes b{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    b.PutBe32(16, width).PutBe32(20, height).Put(24, bitDepth).Put(25, colorType);
    b.Resize(33);
    return b;
}

TEST_F(ClsImageTest, PngDepthFollowsColourTypeAndBitDepth) {
    ExpectPicture(Read(Png(16, 0)), kImagePng, 37, 23, 16);
    ExpectPicture(Read(Png(16, 2)), kImagePng, 37, 23, 48);
    ExpectPicture(Read(Png(4, 3)), kImagePng, 37, 23, 8);  // palette: 8 whatever the bit depth
    ExpectPicture(Read(Png(1, 3)), kImagePng, 37, 23, 8);
    ExpectPicture(Read(Png(8, 4)), kImagePng, 37, 23, 16);
    ExpectPicture(Read(Png(16, 6)), kImagePng, 37, 23, 64);
}

TEST_F(ClsImageTest, PngSizeIsTheFull32BitFields) {
    ExpectPicture(Read(Png(8, 2, 0x10000 + 5, 70000)), kImagePng, 65541, 70000, 24);
    ExpectPicture(Read(Png(8, 2, 0x00012345, 0x7FFFFFFF)), kImagePng, 0x12345, 0x7FFFFFFF, 24);
}

TEST_F(ClsImageTest, PngSizeAbove31BitsIsAnOverflow) {
    const Outcome o = Read(Png(8, 2, 0xFFFFFFFF, 23));
    EXPECT_EQ(o.error, kErrOverflow);
    EXPECT_EQ(o.width, 0);
    EXPECT_EQ(Read(Png(8, 2, 37, 0x80000000u)).error, kErrOverflow);
}

TEST_F(ClsImageTest, BytesInMemoryReadLikeAFile) {
    const Bytes png = Png(8, 2, 640, 480);
    reader_.ReadImageInfoFromBytes(png.Data());
    EXPECT_EQ(reader_.ImageType(), kImagePng);
    EXPECT_EQ(reader_.Width(), 640);
    EXPECT_EQ(reader_.FileSize(), static_cast<std::int64_t>(png.Size()));
    Bytes cut = png;
    cut.Resize(20);
    EXPECT_THROW(reader_.ReadImageInfoFromBytes(cut.Data()), RunTimeError);
}

TEST_F(ClsImageTest, PngOfUnknownColourTypeIsNotPngAndTheJpegSearchRuns) {
    ExpectUnrecognised(Read(Png(8, 5)));

    Bytes pngThenJpeg = Png(8, 5);
    pngThenJpeg.Append({0xFF, 0xD8, 0xFF, 0xC0, 0, 17, 8, 0, 12, 0, 16, 3}).AppendZeros(20);
    ExpectPicture(Read(pngThenJpeg), kImageJpeg, 16, 12, 24);
}

TEST_F(ClsImageTest, PngDepthBeyond255IsAnOverflowAfterTheTypeIsSet) {
    const Outcome o = Read(Png(64, 6));  // 4 x 64 = 256
    EXPECT_EQ(o.error, kErrOverflow);
    EXPECT_EQ(o.type, kImagePng);
    EXPECT_EQ(o.width, 0);
    EXPECT_EQ(o.depth, 0);
}

TEST_F(ClsImageTest, TruncatedPngIsOutOfRange) {
    Bytes header = Png(8, 2);
    header.Resize(24);  // colour type (byte 25) lies past the readable end
    Outcome o = Read(header);
    EXPECT_EQ(o.error, kErrSubscriptOutOfRange);
    EXPECT_EQ(o.type, kImagePng);
    EXPECT_EQ(o.width, 0);
    EXPECT_EQ(o.size, 24);

    Bytes toWidth = Png(8, 2);
    toWidth.Resize(18);
    o = Read(toWidth);
    EXPECT_EQ(o.error, kErrSubscriptOutOfRange);
    EXPECT_EQ(o.type, kImagePng);
}

TEST_F(ClsImageTest, TheByteJustPastTheEndReadsAsZero) {
    // A 25-byte PNG: the colour type at 25 is the 0 that follows the file, so
    // the picture counts as grey with the bit depth as its depth.
    Bytes header = Png(8, 2);
    header.Resize(25);
    ExpectPicture(Read(header), kImagePng, 37, 23, 8);
}

// ---------------------------------------------------------------- GIF

Bytes Gif(std::uint32_t width, std::uint32_t height, int flags) {
    Bytes b;
    b.AppendText("GIF89a").Resize(13);
    return b.PutLe16(6, width).PutLe16(8, height).Put(10, flags);
}

TEST_F(ClsImageTest, GifSizeAndDepthFromTheScreenDescriptor) {
    ExpectPicture(Read(Gif(37, 23, 0x07)), kImageGif, 37, 23, 8);
    ExpectPicture(Read(Gif(37, 23, 0x00)), kImageGif, 37, 23, 1);
    ExpectPicture(Read(Gif(37, 23, 0xF2)), kImageGif, 37, 23, 3);                // colour-table flag not consulted
    ExpectPicture(Read(Gif(0xFFFF, 0x8000, 0x07)), kImageGif, 65535, 32768, 8);  // unsigned words
}

TEST_F(ClsImageTest, TruncatedGifKeepsWhatWasRead) {
    Bytes b = Gif(37, 23, 7);
    b.Resize(9);  // depth byte (10) past the readable end
    Outcome o = Read(b);
    EXPECT_EQ(o.error, kErrSubscriptOutOfRange);
    EXPECT_EQ(o.type, kImageGif);
    EXPECT_EQ(o.width, 37);
    EXPECT_EQ(o.height, 23);
    EXPECT_EQ(o.depth, 0);

    b.Resize(6);
    o = Read(b);
    EXPECT_EQ(o.error, kErrSubscriptOutOfRange);
    EXPECT_EQ(o.type, kImageGif);
    EXPECT_EQ(o.width, 0);
}

// ---------------------------------------------------------------- BMP

Bytes Bmp(std::uint32_t width, std::uint32_t height, int bits) {
    Bytes b{'B', 'M'};
    b.Resize(54);
    return b.PutLe32(14, 40).PutLe32(18, width).PutLe32(22, height).PutLe16(26, 1).PutLe16(28, bits);
}

TEST_F(ClsImageTest, BmpSizeAndDepth) {
    ExpectPicture(Read(Bmp(37, 23, 24)), kImageBmp, 37, 23, 24);
    ExpectPicture(Read(Bmp(16, 12, 8)), kImageBmp, 16, 12, 8);
    ExpectPicture(Read(Bmp(1, 1, 32)), kImageBmp, 1, 1, 32);
}

TEST_F(ClsImageTest, BmpWidthIsSigned32BitAndTopDownHeightIsPositive) {
    ExpectPicture(Read(Bmp(0x10000 + 5, 0x10000 + 7, 24)), kImageBmp, 65541, 65543, 24);
    ExpectPicture(Read(Bmp(37, static_cast<std::uint32_t>(-23), 24)), kImageBmp, 37, 23, 24);
    ExpectPicture(Read(Bmp(static_cast<std::uint32_t>(-37), 23, 24)), kImageBmp, -37, 23, 24);
}

TEST_F(ClsImageTest, BmpHeightWithoutAPositiveCounterpartIsAnOverflow) {
    const Outcome o = Read(Bmp(37, 0x80000000u, 24));
    EXPECT_EQ(o.error, kErrOverflow);
    EXPECT_EQ(o.type, kImageBmp);
    EXPECT_EQ(o.width, 37);
    EXPECT_EQ(o.height, 0);
}

TEST_F(ClsImageTest, TruncatedBmpKeepsWhatWasRead) {
    Outcome o = Read(Bytes{'B', 'M'});
    EXPECT_EQ(o.error, kErrSubscriptOutOfRange);
    EXPECT_EQ(o.type, kImageBmp);
    EXPECT_EQ(o.width, 0);

    Bytes b = Bmp(37, 23, 24);
    b.Resize(27);  // depth at 28 is past the readable end
    o = Read(b);
    EXPECT_EQ(o.error, kErrSubscriptOutOfRange);
    EXPECT_EQ(o.width, 37);
    EXPECT_EQ(o.height, 23);
    EXPECT_EQ(o.depth, 0);

    b.Resize(24);  // the height field is cut in half
    o = Read(b);
    EXPECT_EQ(o.error, kErrSubscriptOutOfRange);
    EXPECT_EQ(o.width, 37);
    EXPECT_EQ(o.height, 0);
}

// ---------------------------------------------------------------- PCX

Bytes Pcx(std::uint32_t xMin, std::uint32_t yMin, std::uint32_t xMax, std::uint32_t yMax, int bits, int planes) {
    Bytes b{0x0A, 5, 1, bits};
    b.Resize(128);
    return b.PutLe16(4, xMin).PutLe16(6, yMin).PutLe16(8, xMax).PutLe16(10, yMax).Put(65, planes);
}

TEST_F(ClsImageTest, PcxSizeFromTheWindowAndDepthFromPlanesTimesBits) {
    ExpectPicture(Read(Pcx(10, 5, 46, 27, 8, 3)), kImagePcx, 37, 23, 24);
    ExpectPicture(Read(Pcx(0, 0, 15, 11, 8, 1)), kImagePcx, 16, 12, 8);
    ExpectPicture(Read(Pcx(0, 0, 15, 11, 16, 17)), kImagePcx, 16, 12, 16);  // 272 kept to 8 bits
    ExpectPicture(Read(Pcx(0, 0, 0xFFFF, 0, 1, 1)), kImagePcx, 65536, 1, 1);
}

TEST_F(ClsImageTest, PcxWindowIsReportedUnchecked) {
    ExpectPicture(Read(Pcx(10, 0, 5, 0, 8, 1)), kImagePcx, -4, 1, 8);
    ExpectPicture(Read(Pcx(10, 0, 9, 0, 8, 1)), kImagePcx, 0, 1, 8);
}

TEST_F(ClsImageTest, TruncatedPcxKeepsWhatWasRead) {
    Bytes b = Pcx(10, 5, 46, 27, 8, 3);
    b.Resize(64);  // planes (65) past the readable end
    Outcome o = Read(b);
    EXPECT_EQ(o.error, kErrSubscriptOutOfRange);
    EXPECT_EQ(o.type, kImagePcx);
    EXPECT_EQ(o.width, 37);
    EXPECT_EQ(o.height, 23);
    EXPECT_EQ(o.depth, 0);

    b.Resize(9);
    o = Read(b);
    EXPECT_EQ(o.error, kErrSubscriptOutOfRange);
    EXPECT_EQ(o.type, kImagePcx);
    EXPECT_EQ(o.width, 0);
}

// ---------------------------------------------------------------- TIFF

struct TiffEntry {
    std::uint16_t tag;
    std::uint16_t type;
    std::vector<std::uint32_t> values;
};

class TiffBuilder {
public:
    explicit TiffBuilder(bool bigEndian) : big_(bigEndian) {}

    TiffBuilder& Entry(std::uint16_t tag, std::uint16_t type, std::vector<std::uint32_t> values) {
        entries_.push_back({tag, type, std::move(values)});
        return *this;
    }

    Bytes Build() const {
        Bytes b;
        if (big_)
            b.Append({'M', 'M', 0, 0x2A});
        else
            b.Append({'I', 'I', 0x2A, 0});
        Put32(b, 4, 8);
        Put16(b, 8, static_cast<std::uint32_t>(entries_.size()));
        std::size_t extra = 10 + 12 * entries_.size() + 4;
        for (std::size_t k = 0; k < entries_.size(); ++k) {
            const TiffEntry& t = entries_[k];
            const std::size_t e = 10 + 12 * k;
            const std::size_t size = t.type == 1 ? 1 : t.type == 3 ? 2 : 4;
            Put16(b, e, t.tag);
            Put16(b, e + 2, t.type);
            Put32(b, e + 4, static_cast<std::uint32_t>(t.values.size()));
            std::size_t at = e + 8;
            if (t.values.size() * size > 4) {
                Put32(b, e + 8, static_cast<std::uint32_t>(extra));
                at = extra;
                extra += t.values.size() * size;
            }
            for (std::uint32_t v : t.values) {
                if (size == 1)
                    b.Put(at, v);
                else if (size == 2)
                    Put16(b, at, v);
                else
                    Put32(b, at, v);
                at += size;
            }
        }
        Put32(b, 10 + 12 * entries_.size(), 0);  // no next directory
        b.Resize(std::max(extra, 10 + 12 * entries_.size() + 4) + 16);
        return b;
    }

private:
    void Put16(Bytes& b, std::size_t at, std::uint32_t v) const { big_ ? b.PutBe16(at, v) : b.PutLe16(at, v); }
    void Put32(Bytes& b, std::size_t at, std::uint32_t v) const { big_ ? b.PutBe32(at, v) : b.PutLe32(at, v); }

    bool big_;
    std::vector<TiffEntry> entries_;
};

constexpr std::uint16_t kByte = 1, kShort = 3, kLong = 4, kRational = 5;

class TiffTest : public ClsImageTest, public ::testing::WithParamInterface<bool> {
protected:
    TiffBuilder Tiff() const { return TiffBuilder(GetParam()); }
};

TEST_P(TiffTest, SizeAndSingleDepthFromTheFirstDirectory) {
    ExpectPicture(Read(Tiff().Entry(256, kShort, {37}).Entry(257, kShort, {23}).Entry(258, kShort, {8}).Build()),
                  kImageTiff, 37, 23, 8);
    ExpectPicture(Read(Tiff().Entry(256, kLong, {70000}).Entry(257, kLong, {23}).Entry(258, kByte, {1}).Build()),
                  kImageTiff, 70000, 23, 1);
    ExpectPicture(
        Read(Tiff().Entry(258, kShort, {16}).Entry(256, kShort, {0xFFFF}).Entry(257, kShort, {0x8000}).Build()),
        kImageTiff, 65535, 32768, 16);
}

TEST_P(TiffTest, DepthIsTheSumOfSeveralBitsPerSampleValues) {
    // RGB 8, 8, 8: three SHORTs do not fit in the value field and stand at an offset.
    ExpectPicture(Read(Tiff().Entry(256, kShort, {37}).Entry(257, kShort, {23}).Entry(258, kShort, {8, 8, 8}).Build()),
                  kImageTiff, 37, 23, 24);
    ExpectPicture(
        Read(Tiff().Entry(256, kShort, {37}).Entry(257, kShort, {23}).Entry(258, kShort, {16, 16, 16, 16}).Build()),
        kImageTiff, 37, 23, 64);
    // Two SHORTs, or four BYTEs, stand in the value field itself.
    ExpectPicture(Read(Tiff().Entry(256, kShort, {37}).Entry(257, kShort, {23}).Entry(258, kShort, {8, 8}).Build()),
                  kImageTiff, 37, 23, 16);
    ExpectPicture(
        Read(Tiff().Entry(256, kShort, {37}).Entry(257, kShort, {23}).Entry(258, kByte, {8, 8, 8, 8}).Build()),
        kImageTiff, 37, 23, 32);
    ExpectPicture(Read(Tiff().Entry(256, kShort, {37}).Entry(257, kShort, {23}).Entry(258, kLong, {8, 8, 8}).Build()),
                  kImageTiff, 37, 23, 24);
}

TEST_P(TiffTest, DepthSumBeyond255IsAnOverflow) {
    const Outcome o =
        Read(Tiff().Entry(256, kShort, {37}).Entry(257, kShort, {23}).Entry(258, kShort, {100, 100, 100}).Build());
    EXPECT_EQ(o.error, kErrOverflow);
    EXPECT_EQ(o.width, 37);
    EXPECT_EQ(o.height, 23);
    EXPECT_EQ(o.depth, 0);
    EXPECT_EQ(o.type, kImageUnknown);  // the type is only set after the walk
}

TEST_P(TiffTest, SingleDepthBeyond255IsAnOverflow) {
    EXPECT_EQ(Read(Tiff().Entry(258, kShort, {256}).Build()).error, kErrOverflow);
    EXPECT_EQ(Read(Tiff().Entry(258, kLong, {0xFFFFFFFF}).Build()).error, kErrOverflow);
}

TEST_P(TiffTest, SeveralDepthValuesPastTheEndAreOutOfRange) {
    Bytes b = Tiff().Entry(256, kShort, {37}).Entry(257, kShort, {23}).Entry(258, kShort, {8, 8, 8}).Build();
    b.Resize(10 + 12 * 3 + 4 + 2);  // only the first of the three values remains
    const Outcome o = Read(b);
    EXPECT_EQ(o.error, kErrSubscriptOutOfRange);
    EXPECT_EQ(o.width, 37);
    EXPECT_EQ(o.height, 23);
}

TEST_P(TiffTest, ACountThatCannotFitInTheFileIsOutOfRangeAtOnce) {
    // Two values that would overflow the depth are there, but the count claims
    // four thousand million: nothing is summed.
    Bytes b = Tiff().Entry(256, kShort, {37}).Entry(257, kShort, {23}).Entry(258, kShort, {200, 200, 200}).Build();
    GetParam() ? b.PutBe32(10 + 24 + 4, 0xFFFFFFFF) : b.PutLe32(10 + 24 + 4, 0xFFFFFFFF);
    EXPECT_EQ(Read(b).error, kErrSubscriptOutOfRange);
}

TEST_P(TiffTest, MissingOrZeroFieldsMeanNotATiff) {
    ExpectUnrecognised(Read(Tiff().Entry(256, kShort, {37}).Entry(257, kShort, {23}).Build()));
    ExpectUnrecognised(Read(Tiff().Entry(256, kShort, {0}).Entry(257, kShort, {23}).Entry(258, kShort, {8}).Build()));
    ExpectUnrecognised(Read(Tiff().Entry(256, kShort, {37}).Entry(258, kShort, {8}).Build()));
    ExpectUnrecognised(
        Read(Tiff().Entry(256, kLong, {0xFFFFFFFF}).Entry(257, kShort, {23}).Entry(258, kShort, {8}).Build()));
    // A type that carries no plain number reads as 0.
    ExpectUnrecognised(
        Read(Tiff().Entry(256, kRational, {37, 1}).Entry(257, kShort, {23}).Entry(258, kShort, {8}).Build()));
}

TEST_P(TiffTest, ALaterEntryOverwritesAnEarlierOne) {
    ExpectPicture(Read(Tiff()
                           .Entry(256, kShort, {37})
                           .Entry(257, kShort, {23})
                           .Entry(258, kShort, {8})
                           .Entry(256, kShort, {99})
                           .Build()),
                  kImageTiff, 99, 23, 8);
}

TEST_P(TiffTest, UnrecognisedTiffGoesOnToTheJpegSearch) {
    Bytes b = Tiff().Entry(256, kShort, {37}).Build();
    b.Append({0xFF, 0xD8, 0xFF, 0xC0, 0, 17, 8, 0, 12, 0, 16, 3}).AppendZeros(20);
    ExpectPicture(Read(b), kImageJpeg, 16, 12, 24);
}

TEST_P(TiffTest, DirectoryPastTheEndIsOutOfRange) {
    Bytes b = Tiff().Entry(256, kShort, {37}).Entry(257, kShort, {23}).Entry(258, kShort, {8}).Build();
    Bytes far = b;
    GetParam() ? far.PutBe32(4, 100000) : far.PutLe32(4, 100000);
    EXPECT_EQ(Read(far).error, kErrSubscriptOutOfRange);

    Bytes negative = b;
    GetParam() ? negative.PutBe32(4, 0x80000000u) : negative.PutLe32(4, 0x80000000u);
    EXPECT_EQ(Read(negative).error, kErrSubscriptOutOfRange);

    Bytes cut = b;
    cut.Resize(10 + 12 + 5);  // the second entry is cut short
    const Outcome o = Read(cut);
    EXPECT_EQ(o.error, kErrSubscriptOutOfRange);
    EXPECT_EQ(o.width, 37);
    EXPECT_EQ(o.type, kImageUnknown);

    Bytes headerOnly = b;
    headerOnly.Resize(5);
    EXPECT_EQ(Read(headerOnly).error, kErrSubscriptOutOfRange);
}

TEST_P(TiffTest, EntryCountBeyondTheFileIsOutOfRange) {
    Bytes b = Tiff().Entry(256, kShort, {37}).Entry(257, kShort, {23}).Entry(258, kShort, {8}).Build();
    GetParam() ? b.PutBe16(8, 0xFFFF) : b.PutLe16(8, 0xFFFF);
    EXPECT_EQ(Read(b).error, kErrSubscriptOutOfRange);
}

INSTANTIATE_TEST_SUITE_P(BothByteOrders, TiffTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "BigEndian" : "LittleEndian"; });

TEST_F(ClsImageTest, BigEndianTiffIsRecognisedWithoutLookingAtByteTwo) {
    Bytes b = TiffBuilder(true).Entry(256, kShort, {37}).Entry(257, kShort, {23}).Entry(258, kShort, {8}).Build();
    b.Put(2, 0x77);
    ExpectPicture(Read(b), kImageTiff, 37, 23, 8);
}

TEST_F(ClsImageTest, LittleEndianTiffNeedsItsThirdSignatureByte) {
    Bytes b = TiffBuilder(false).Entry(256, kShort, {37}).Entry(257, kShort, {23}).Entry(258, kShort, {8}).Build();
    b.Put(2, 0x2B);
    ExpectUnrecognised(Read(b));
}

// ---------------------------------------------------------------- JPEG

// A stream: start of image, an APP0 segment, a table segment, the frame header.
Bytes Jpeg(int frameMarker, std::uint32_t width, std::uint32_t height, int components) {
    Bytes b{0xFF, 0xD8};
    b.Append({0xFF, 0xE0, 0, 16}).AppendText("JFIF").AppendZeros(10);
    b.Append({0xFF, 0xC4, 0, 5, 1, 2, 3});
    const std::size_t at = b.Size();
    b.Append({0xFF, frameMarker, 0, 17, 8});
    b.PutBe16(at + 5, height).PutBe16(at + 7, width).Put(at + 9, components);
    b.AppendZeros(40);
    return b;
}

TEST_F(ClsImageTest, JpegFrameHeadersZeroToThreeAreRecognised) {
    ExpectPicture(Read(Jpeg(0xC0, 37, 23, 3)), kImageJpeg, 37, 23, 24);
    ExpectPicture(Read(Jpeg(0xC1, 37, 23, 1)), kImageJpeg, 37, 23, 8);
    ExpectPicture(Read(Jpeg(0xC2, 37, 23, 3)), kImageJpeg, 37, 23, 24);
    ExpectPicture(Read(Jpeg(0xC3, 0xFFFF, 0x8001, 4)), kImageJpeg, 65535, 32769, 32);
}

TEST_F(ClsImageTest, OtherFrameHeadersAreSkippedLikeSegments) {
    ExpectUnrecognised(Read(Jpeg(0xC9, 37, 23, 3)));
    ExpectUnrecognised(Read(Jpeg(0xC5, 37, 23, 3)));
    ExpectUnrecognised(Read(Jpeg(0xCF, 37, 23, 3)));
}

TEST_F(ClsImageTest, JpegAfterOtherBytesIsFound) {
    Bytes b;
    for (int i = 0; i < 100; ++i) b.Append({(i * 37) & 0xFF});
    b.Put(50, 0xFF).Put(51, 0xD8).Put(52, 0x00);  // a start marker not followed by FF
    const Bytes jpeg = Jpeg(0xC0, 37, 23, 3);
    for (std::uint8_t v : jpeg.Data()) b.Append({v});
    ExpectPicture(Read(b), kImageJpeg, 37, 23, 24);
}

TEST_F(ClsImageTest, JpegWithTooManyComponentsIsAnOverflowAfterTheSize) {
    const Outcome o = Read(Jpeg(0xC0, 37, 23, 32));
    EXPECT_EQ(o.error, kErrOverflow);
    EXPECT_EQ(o.type, kImageJpeg);
    EXPECT_EQ(o.width, 37);
    EXPECT_EQ(o.height, 23);
    EXPECT_EQ(o.depth, 0);
}

TEST_F(ClsImageTest, SegmentLengthsBelowTwoStillMoveTheWalkForward) {
    for (int length : {0, 1}) {
        SCOPED_TRACE(length);
        Bytes b{0xFF, 0xD8, 0xFF, 0xE1, 0, length, 0xFF, 0xC0, 0, 17, 8, 0, 23, 0, 37, 3};
        b.AppendZeros(30);
        ExpectPicture(Read(b), kImageJpeg, 37, 23, 24);
    }
}

TEST_F(ClsImageTest, SkipLandsOnTheLastByteOfTheSegment) {
    // The segment's last byte is FF and the next byte C0: the walk takes them
    // for a frame header.
    Bytes b{0xFF, 0xD8, 0xFF, 0xE1, 0, 6, 1, 2, 3, 0xFF, 0xC0, 0, 17, 8, 0, 12, 0, 16, 3};
    b.AppendZeros(30);
    ExpectPicture(Read(b), kImageJpeg, 16, 12, 24);
}

TEST_F(ClsImageTest, FrameHeaderInTheLastTenBytesIsNotFound) {
    // The walk stops at FileSize - 10: the frame header at 14 needs a file of 25 bytes.
    Bytes b{0xFF, 0xD8, 0xFF, 0xE0, 0, 10};
    b.AppendZeros(8);
    b.Append({0xFF, 0xC0, 0, 17, 8, 0, 23, 0, 37, 3});
    ExpectUnrecognised(Read(b));
    b.AppendZeros(1);
    ExpectPicture(Read(b), kImageJpeg, 37, 23, 24);
}

TEST_F(ClsImageTest, SegmentReachingPastTheEndEndsTheSearch) {
    Bytes b{0xFF, 0xD8, 0xFF, 0xE0, 0xFF, 0xF0};
    b.AppendZeros(50);
    ExpectUnrecognised(Read(b));
}

// ---------------------------------------------------------------- all formats

TEST_F(ClsImageTest, ShortFilesFailInTheSignatureTests) {
    Outcome o = Read({});
    EXPECT_EQ(o.error, kErrSubscriptOutOfRange);
    EXPECT_EQ(o.size, 0);
    EXPECT_EQ(o.type, kImageUnknown);

    EXPECT_EQ(Read({'x'}).error, kErrSubscriptOutOfRange);
    EXPECT_EQ(Read({'B', 'M'}).error, kErrSubscriptOutOfRange);
    o = Read({'x', 'y'});  // fails in the big-endian TIFF test, which reads byte 3
    EXPECT_EQ(o.error, kErrSubscriptOutOfRange);
    EXPECT_EQ(o.size, 2);
    o = Read({'x', 'y', 'z'});
    ExpectUnrecognised(o);
    EXPECT_EQ(o.size, 3);
}

TEST_F(ClsImageTest, OtherFilesAreNotAnError) {
    Bytes text;
    text.AppendText("Just some text, not a picture at all.\r\n");
    const Outcome o = Read(text);
    ExpectUnrecognised(o);
    EXPECT_EQ(o.size, static_cast<std::int64_t>(text.Size()));
}

TEST_F(ClsImageTest, EachCallStartsFromZero) {
    ExpectPicture(Read(Bmp(37, 23, 24)), kImageBmp, 37, 23, 24);
    Bytes text;
    text.AppendText("not a picture");
    ExpectUnrecognised(Read(text));

    ExpectPicture(Read(Bmp(37, 23, 24)), kImageBmp, 37, 23, 24);
    const Outcome o = ReadWith(reader_, folder_ / "missing.bmp");
    EXPECT_EQ(o.error, kErrFileNotFound);
    EXPECT_EQ(o.type, kImageUnknown);
    EXPECT_EQ(o.width, 0);
    EXPECT_EQ(o.height, 0);
    EXPECT_EQ(o.depth, 0);
    EXPECT_EQ(o.size, 0);
}

TEST_F(ClsImageTest, FilesThatCannotBeOpenedRaiseTheFileLayersError) {
    EXPECT_EQ(ReadWith(reader_, folder_ / "missing.png").error, kErrFileNotFound);
    EXPECT_EQ(ReadWith(reader_, folder_ / "no folder" / "missing.png").error, kErrPathNotFound);
    const int folderError = ReadWith(reader_, folder_.Path()).error;
    EXPECT_TRUE(folderError == kErrPathFileAccess || folderError == kErrPermissionDenied) << folderError;
}

TEST_F(ClsImageTest, ReadsPathsOutsideTheAsciiRange) {
    const auto file = folder_.Write(std::filesystem::path(u8"Bandera \u00F1and\u00FA \u6F22.bmp"), Bmp(37, 23, 24));
    ASSERT_TRUE(std::filesystem::exists(file));
    ExpectPicture(ReadWith(reader_, file), kImageBmp, 37, 23, 24);
}

#ifndef _WIN32
TEST_F(ClsImageTest, LargeFilesReportTheirTrueLength) {
    // Sparse: costs no disk space.
    const auto file = folder_.Write("huge.bmp", Bmp(37, 23, 24));
    const std::uintmax_t length = (std::uintmax_t{3} << 30) + 17;
    std::filesystem::resize_file(file, length);
    const Outcome o = ReadWith(reader_, file);
    ExpectPicture(o, kImageBmp, 37, 23, 24);
    EXPECT_EQ(o.size, static_cast<std::int64_t>(length));
}
#endif

}  // namespace
}  // namespace vx
