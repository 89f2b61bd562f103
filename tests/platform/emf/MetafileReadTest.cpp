// Reading, validating, enumerating and writing back metafile images.
#include <gtest/gtest.h>

#include <map>

#include "EmfTestUtil.h"
#include "platform/core/Stream.h"
#include "platform/emf/Metafile.h"

using namespace tessaly;
using namespace tessaly::emf;
using emftest::ImageBuilder;

namespace {

std::string ErrorOf(const std::vector<uint8_t>& bytes) {
    try {
        MemoryStream s(bytes);
        Metafile::ReadFrom(s);
    } catch (const EngineError& e) {
        return e.Message();
    }
    return "";
}

}  // namespace

TEST(MetafileRead, EveryValidFixtureReadsAndWritesBackByteForByte) {
    SKIP_WITHOUT_FIXTURES();
    for (const auto& name : emftest::ValidFixtures()) {
        SCOPED_TRACE(name);
        auto file = emftest::ReadFile(emftest::FixtureDir() / name);
        ASSERT_FALSE(file.empty());
        MemoryStream in(file);
        Metafile m = Metafile::ReadFrom(in);
        uint32_t total = LoadU32(file.data() + 48);
        EXPECT_EQ(in.Position(), total);  // bytes behind the image stay unread
        MemoryStream out;
        m.SaveToStream(out);
        EXPECT_EQ(out.Data(), std::vector<uint8_t>(file.begin(), file.begin() + total));
        // The same through the in-memory entry and the file entry.
        EXPECT_EQ(Metafile::FromBytes(file).RecordCount(), m.RecordCount());
        EXPECT_EQ(Metafile::LoadFromFile(emftest::FixtureDir() / name).Bytes().size(), total);
    }
}

TEST(MetafileRead, EnumerationWalksEveryRecordInOrderFromHeaderToEof) {
    SKIP_WITHOUT_FIXTURES();
    for (const auto& name : emftest::ValidFixtures()) {
        SCOPED_TRACE(name);
        Metafile m = Metafile::LoadFromFile(emftest::FixtureDir() / name);
        uint32_t count = 0;
        size_t offset = 0;
        uint32_t lastType = 0;
        for (RecordView r : m.Records()) {
            EXPECT_EQ(r.Bytes().data(), m.Bytes().data() + offset);
            EXPECT_EQ(r.Type() == EMR_HEADER, count == 0);
            offset += r.Size();
            lastType = r.Type();
            ++count;
        }
        EXPECT_EQ(offset, m.Bytes().size());
        EXPECT_EQ(count, m.RecordCount());
        EXPECT_EQ(lastType, uint32_t(EMR_EOF));
    }
}

TEST(MetafileRead, SloppyWritersAreTolerated) {
    SKIP_WITHOUT_FIXTURES();
    // nRecords one short of the records present.
    Metafile m082 = Metafile::LoadFromFile(emftest::FixtureDir() / "libemf2svg-test-082.emf");
    EXPECT_EQ(m082.Header().records + 1, m082.RecordCount());
    EXPECT_TRUE(m082.Header().hasPixelFormat);
    EXPECT_FALSE(m082.Header().hasMicrometers);
    // A 152-byte header whose description starts at 88 has no extension fields.
    Metafile m104 = Metafile::LoadFromFile(emftest::FixtureDir() / "libemf2svg-test-104.emf");
    EXPECT_FALSE(m104.Header().hasPixelFormat);
    EXPECT_FALSE(m104.Header().hasMicrometers);
    EXPECT_EQ(m104.Header().description.size(), 31u);
    // 11240 bytes after EMR_EOF that the total size does not cover.
    auto file182 = emftest::ReadFile(emftest::FixtureDir() / "libemf2svg-test-182.emf");
    Metafile m182 = Metafile::FromBytes(file182);
    EXPECT_EQ(file182.size() - m182.Bytes().size(), 11240u);
    // The plain 88-byte header.
    Metafile m165 = Metafile::LoadFromFile(emftest::FixtureDir() / "libemf2svg-test-165.emf");
    EXPECT_FALSE(m165.Header().hasPixelFormat);
    Metafile m013 = Metafile::LoadFromFile(emftest::FixtureDir() / "libemf2svg-test-013.emf");
    EXPECT_TRUE(m013.Header().hasMicrometers);
}

// A header that counts far more records than the file holds: every record of the sound chain is
// read, played and written back, and the difference can be told.
TEST(MetafileRead, AHeaderRecordCountOtherThanTheChainIsReadWithEveryRecord) {
    const auto bytes = ImageBuilder().Header(1954).Record(EMR_SAVEDC, {}).Record(EMR_RESTOREDC, {1}).Eof().Finish();
    Metafile m = Metafile::FromBytes(bytes);
    EXPECT_EQ(m.RecordCount(), 4u);
    EXPECT_EQ(m.Header().records, 1954u);
    EXPECT_TRUE(m.RecordCountDiffers());
    std::vector<uint32_t> types;
    for (RecordView r : m.Records()) types.push_back(r.Type());
    EXPECT_EQ(types, (std::vector<uint32_t>{EMR_HEADER, EMR_SAVEDC, EMR_RESTOREDC, EMR_EOF}));
    EXPECT_EQ(std::vector<uint8_t>(m.Bytes().begin(), m.Bytes().end()), bytes);
    EXPECT_FALSE(Metafile::FromBytes(ImageBuilder().Header(3).Record(EMR_SAVEDC, {}).Eof().Finish()).RecordCountDiffers());
}

TEST(MetafileRead, FixturesWithABrokenRecordChainFailWithTheMessage) {
    SKIP_WITHOUT_FIXTURES();
    struct Case {
        const char* name;
        const char* message;
    };
    const Case cases[] = {
        // A second header, then a record of 39 bytes.
        {"libemf2svg-bad_corrupted_2014-12-13-132605.emf", "Metafile is not valid"},
        // The header's total size lies beyond the end of the file.
        {"libemf2svg-bad_corrupted_2016-02-02-225639.emf", "Stream read error"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto file = emftest::ReadFile(emftest::FixtureDir() / c.name);
        EXPECT_EQ(ErrorOf(file), c.message);
        try {
            Metafile::FromBytes(file);
            ADD_FAILURE() << "accepted";
        } catch (const EngineError& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
    }
    // With the total size cut to the file, the record that runs past the end is found.
    auto file = emftest::ReadFile(emftest::FixtureDir() /
                                  "libemf2svg-bad_corrupted_2016-02-02-225639.emf");
    file.resize(file.size() / 4 * 4);
    emftest::PutU32(file, 48, uint32_t(file.size()));
    EXPECT_EQ(ErrorOf(file), "Metafile is not valid");
}

TEST(MetafileRead, AFixtureDamagedInsideOneRecordReadsWithAllItsRecords) {
    SKIP_WITHOUT_FIXTURES();
    // One text record's character count reaches past the end of the record; the chain is sound.
    const auto file = emftest::ReadFile(emftest::FixtureDir() / "libemf2svg-bad_corrupted_2014-12-02-215358.emf");
    MemoryStream in(file);
    Metafile m = Metafile::ReadFrom(in);
    EXPECT_EQ(m.Bytes().size(), file.size());
    EXPECT_EQ(m.DamagedRecordCount(), 1u);
    std::vector<uint32_t> damaged;
    for (RecordView r : m.Records())
        if (!CheckRecordLayout(r)) damaged.push_back(r.Type());
    EXPECT_EQ(damaged, std::vector<uint32_t>{EMR_EXTTEXTOUTW});
    MemoryStream out;
    m.SaveToStream(out);
    EXPECT_EQ(out.Data(), file);  // written back as it was read
    for (const auto& name : emftest::ValidFixtures())
        EXPECT_EQ(Metafile::LoadFromFile(emftest::FixtureDir() / name).DamagedRecordCount(), 0u) << name;
}

TEST(MetafileRead, MalformedImagesAreRejected) {
    const std::string invalid = "Metafile is not valid";
    const std::string readError = "Stream read error";
    auto good = [] { return ImageBuilder().Header(3).Record(EMR_SAVEDC, {}).Eof(); };
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        std::string message;
    };
    std::vector<Case> cases;
    cases.push_back({"sound image", good().Finish(), ""});
    {
        auto b = good().Finish();
        b[0] = 2;
        cases.push_back({"first record not a header", b, invalid});
    }
    {
        auto b = good().Finish();
        b[40] = 0;
        cases.push_back({"wrong signature", b, invalid});
    }
    {
        auto b = good().Finish();
        emftest::PutU32(b, 4, 84);
        cases.push_back({"header shorter than 88 bytes", b, invalid});
    }
    {
        auto b = good().Finish();
        emftest::PutU32(b, 48, 4000);
        cases.push_back({"total size beyond the stream", b, readError});
    }
    {
        auto b = good().Finish();
        emftest::PutU32(b, 48, 0xFFFFFFFC);
        cases.push_back({"total size of 4 GB", b, readError});
    }
    {
        auto b = good().Finish();
        emftest::PutU32(b, 48, 90);
        cases.push_back({"total size not a multiple of 4", b, invalid});
    }
    {
        auto b = good().Finish();
        emftest::PutU32(b, 92, 6);
        cases.push_back({"record of 6 bytes", b, invalid});
    }
    {
        auto b = good().Finish();
        emftest::PutU32(b, 92, 10);
        cases.push_back({"record size not a multiple of 4", b, invalid});
    }
    {
        auto b = good().Finish();
        emftest::PutU32(b, 92, 0);
        cases.push_back({"record of size 0 (would loop)", b, invalid});
    }
    {
        auto b = good().Finish();
        emftest::PutU32(b, 100, 14);
        emftest::PutU32(b, 104, 200);
        cases.push_back({"last record runs past the image", b, invalid});
    }
    cases.push_back({"second header",
                     ImageBuilder().Header(3).Record(EMR_HEADER, std::vector<uint32_t>(22)).Eof().Finish(),
                     invalid});
    // The chain, not the header's count, says where the records are: a miscount is read.
    cases.push_back({"record count two short", ImageBuilder().Header(1).Record(EMR_SAVEDC, {}).Eof().Finish(), ""});
    cases.push_back({"record count one short", ImageBuilder().Header(2).Record(EMR_SAVEDC, {}).Eof().Finish(),
                     ""});
    cases.push_back({"record count too high", ImageBuilder().Header(1954).Record(EMR_SAVEDC, {}).Eof().Finish(),
                     ""});
    cases.push_back({"no end-of-file record", ImageBuilder().Header(2).Record(EMR_SAVEDC, {}).Finish(), invalid});
    cases.push_back({"a record after the end-of-file record",
                     ImageBuilder().Header(3).Eof().Record(EMR_SAVEDC, {}).Finish(), invalid});
    cases.push_back({"end-of-file record shorter than its fixed part",
                     ImageBuilder().Header(2).Record(EMR_EOF, {0, 16}).Finish(), invalid});
    {
        auto b = good().Finish();
        b.resize(40);
        cases.push_back({"stream ends inside the header", b, readError});
    }
    cases.push_back({"empty stream", {}, readError});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ErrorOf(c.bytes), c.message);
    }
}

// Fields inside a record that point outside it damage that record only: the image reads, and the
// record is counted as damaged (whatever uses it leaves it out).
TEST(MetafileRead, DamageInsideARecordIsCountedNotRefused) {
    std::vector<uint32_t> text(18, 0);
    text[9] = 5;    // count @44: 5 characters at offset 76 would need 10 bytes, 4 are there
    text[10] = 76;  // string @48
    std::vector<uint32_t> bitmap(18, 0);
    bitmap[10] = 72, bitmap[11] = 40;  // BITMAPINFO @48/@52: 40 bytes at 72 in an 80-byte record
    struct Case {
        const char* what;
        uint32_t type;
        std::vector<uint32_t> fields;
    };
    const Case cases[] = {
        {"text count past its record", EMR_EXTTEXTOUTW, text},
        {"polyline count past its record", EMR_POLYLINE, {0, 0, 0, 0, 0x20000000, 1, 2}},
        {"bitmap offset past its record", EMR_STRETCHDIBITS, bitmap},
        {"rectangle without its box", EMR_RECTANGLE, {1, 2}},
        {"region count past its data", EMR_PAINTRGN, {0, 0, 0, 0, 32, 32, 1, 5, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"gradient vertices past the record", EMR_GRADIENTFILL, {0, 0, 0, 0, 3, 1, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto bytes = ImageBuilder().Header(4).Record(c.type, c.fields).Record(EMR_SAVEDC, {}).Eof().Finish();
        EXPECT_EQ(ErrorOf(bytes), "");
        const Metafile m = Metafile::FromBytes(bytes);
        EXPECT_EQ(m.RecordCount(), 4u);
        EXPECT_EQ(m.DamagedRecordCount(), 1u);
    }
    const auto sound = ImageBuilder().Header(4).Record(EMR_EXTTEXTOUTW, [&] {
        auto f = text;
        f[9] = 2;
        return f;
    }()).Record(EMR_SAVEDC, {}).Eof().Finish();
    EXPECT_EQ(Metafile::FromBytes(sound).DamagedRecordCount(), 0u);
}

TEST(MetafileRead, AHeaderDescriptionOrPixelFormatOutsideTheHeaderIsIgnored) {
    struct Case {
        const char* what;
        size_t field;
        uint32_t chars, offset;
    };
    const Case cases[] = {
        {"description past the header", 60, 4, 104},
        {"description offset huge", 60, 0x7FFFFFFF, 0xFFFFFFF0},
        {"pixel format past the header", 88, 40, 104},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // A 108-byte header, with both extensions when nothing starts inside them.
        ImageBuilder b;
        b.Header(2);
        auto bytes = b.Zeros(20).Eof().Finish();
        emftest::PutU32(bytes, 4, 108);
        emftest::PutU32(bytes, 100, 360000);
        emftest::PutU32(bytes, 104, 270000);
        emftest::PutU32(bytes, c.field, c.chars);
        emftest::PutU32(bytes, c.field + 4, c.offset);
        const Metafile m = Metafile::FromBytes(bytes);
        EXPECT_TRUE(m.Header().description.empty());
        EXPECT_EQ(m.Header().descriptionChars, c.field == 60 ? c.chars : 0u);
        EXPECT_EQ(m.Header().hasMicrometers, true);
        EXPECT_EQ(m.Header().micrometers, (SizeL{360000, 270000}));
        EXPECT_EQ(m.DamagedRecordCount(), 0u);
    }
}

TEST(MetafileRead, PixelSizeComesFromFrameAndReferenceDevice) {
    struct Case {
        int32_t frameRight, frameBottom;
        int32_t width, height;
    };
    // 1024 pixels on 360 mm, 768 on 270 mm.
    const Case cases[] = {
        {27879, 39445, 793, 1122},
        {36000, 27000, 1024, 768},
        {17, 17, 0, 0},      // 0.48 pixel rounds down
        {18, 18, 1, 1},      // 0.51 pixel rounds up
        {-3600, 0, -102, 0}, // a frame drawn backwards
    };
    for (const auto& c : cases) {
        auto bytes = ImageBuilder().Header(2, c.frameRight, c.frameBottom).Eof().Finish();
        Metafile m = Metafile::FromBytes(bytes);
        EXPECT_EQ(m.Width(), c.width) << c.frameRight;
        EXPECT_EQ(m.Height(), c.height) << c.frameBottom;
    }
    EXPECT_EQ(Metafile().Width(), 0);
    EXPECT_TRUE(Metafile().Empty());
}

TEST(MetafileRead, FixturePixelSizes) {
    SKIP_WITHOUT_FIXTURES();
    const std::map<std::string, std::pair<int, int>> sizes = {
        {"freehep-TestClip.emf", {600, 600}},            // 18750 on 320 mm over 1024 px
        {"libemf2svg-test-142.emf", {563, 422}},          // 16494 * 1024 / 30000
        {"libuemf-test_mm_twips_ref.emf", {14031, 9921}}, // 29699 * 10205 / 21600
    };
    for (const auto& [name, size] : sizes) {
        Metafile m = Metafile::LoadFromFile(emftest::FixtureDir() / name);
        EXPECT_EQ(m.Width(), size.first) << name;
        EXPECT_EQ(m.Height(), size.second) << name;
    }
}

TEST(MetafileRead, RecordTypeNames) {
    EXPECT_STREQ(RecordTypeName(1), "EMR_HEADER");
    EXPECT_STREQ(RecordTypeName(70), "EMR_COMMENT");
    EXPECT_STREQ(RecordTypeName(84), "EMR_EXTTEXTOUTW");
    EXPECT_STREQ(RecordTypeName(122), "EMR_CREATECOLORSPACEW");
    EXPECT_STREQ(RecordTypeName(0), "EMR_UNKNOWN");
    EXPECT_STREQ(RecordTypeName(123), "EMR_UNKNOWN");
    // Every name is the one of its number: spot the table's order through known neighbours.
    EXPECT_STREQ(RecordTypeName(EMR_ABORTPATH), "EMR_ABORTPATH");
    EXPECT_STREQ(RecordTypeName(EMR_FILLRGN), "EMR_FILLRGN");
    EXPECT_STREQ(RecordTypeName(EMR_SMALLTEXTOUT), "EMR_SMALLTEXTOUT");
    EXPECT_STREQ(RecordTypeName(EMR_GRADIENTFILL), "EMR_GRADIENTFILL");
}
