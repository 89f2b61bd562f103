#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/core/Errors.h"
#include "platform/core/Stream.h"

using namespace tessaly;
namespace fs = std::filesystem;

namespace {
fs::path TempDir() {
    fs::path d = fs::temp_directory_path() / ("tessaly-stream-" + std::to_string(::getpid()));
    fs::create_directories(d);
    return d;
}
}  // namespace

TEST(Stream, LittleEndianValuesRoundTrip) {
    MemoryStream m;
    m.WriteU8(0xAB);
    m.WriteU16(0x1234);
    m.WriteI32(-2);
    m.WriteU64(0x0102030405060708ull);
    m.WriteDouble(1936.27);
    const auto& d = m.Data();
    ASSERT_EQ(d.size(), 1u + 2 + 4 + 8 + 8);
    EXPECT_EQ(d[1], 0x34);
    EXPECT_EQ(d[2], 0x12);
    EXPECT_EQ(d[3], 0xFE);
    EXPECT_EQ(d[7], 0x08);
    m.SetPosition(0);
    EXPECT_EQ(m.ReadU8(), 0xAB);
    EXPECT_EQ(m.ReadU16(), 0x1234);
    EXPECT_EQ(m.ReadI32(), -2);
    EXPECT_EQ(m.ReadU64(), 0x0102030405060708ull);
    EXPECT_DOUBLE_EQ(m.ReadDouble(), 1936.27);
    EXPECT_EQ(m.Remaining(), 0);
}

TEST(Stream, ReadingPastTheEndRaisesReadErrorWithoutAllocating) {
    MemoryStream m(std::vector<uint8_t>{1, 2, 3});
    EXPECT_EQ(m.ReadU16(), 0x0201);
    EXPECT_THROW(m.ReadU16(), EReadError);
    m.SetPosition(0);
    EXPECT_THROW(m.ReadBytes(size_t(1) << 40), EReadError);  // would be a terabyte
    EXPECT_EQ(m.Position(), 0);
    EXPECT_EQ(m.ReadBytes(3), std::string("\x01\x02\x03", 3));
}

TEST(Stream, SeekingClampsAtZeroAndAllowsGapsWhenWriting) {
    MemoryStream m;
    EXPECT_EQ(m.Seek(-5, SeekOrigin::Current), 0);
    m.SetPosition(4);
    m.WriteU8(9);
    EXPECT_EQ(m.Size(), 5);
    EXPECT_EQ(m.Data()[0], 0);
    EXPECT_EQ(m.Seek(-1, SeekOrigin::End), 4);
    ByteViewStream v(m.Data());
    EXPECT_EQ(v.Write("x", 1), 0u);
    EXPECT_THROW(v.WriteU8(1), EWriteError);
}

TEST(Stream, FileStreamReadsWritesAndReportsMissingFiles) {
    fs::path dir = TempDir();
    fs::path p = dir / "a.bin";
    {
        FileStream f(p, FileStream::Mode::Create);
        f.WriteU32(706);
        f.WriteString("abc");
        EXPECT_EQ(f.Size(), 7);
        f.SetPosition(0);
        EXPECT_EQ(f.ReadU32(), 706u);
    }
    {
        FileStream f(p, FileStream::Mode::OpenRead);
        EXPECT_EQ(f.Size(), 7);
        f.Seek(4, SeekOrigin::Begin);
        EXPECT_EQ(f.ReadBytes(3), "abc");
        EXPECT_THROW(f.ReadU8(), EReadError);
    }
    try {
        FileStream f(dir / "missing.cvp", FileStream::Mode::OpenRead);
        FAIL();
    } catch (const EFileError& e) {
        EXPECT_NE(e.Message().find("missing.cvp"), std::string::npos);
    }
    EXPECT_THROW(FileStream(dir, FileStream::Mode::OpenRead), EFileError);
    fs::remove_all(dir);
}

// Saving over a symbolic link replaces the file it leads to, in that file's folder, and keeps the
// link and the file's mode; a chain of links is followed to its end, a dangling link makes its
// target, and a loop of links is refused.
TEST(Stream, AtomicSaveOverALinkReplacesTheFileItLeadsTo) {
    const fs::path dir = TempDir();
    fs::create_directories(dir / "real.dir");
    const fs::path target = dir / "real.dir" / "target.cvp";
    const struct {
        const char* what;
        std::vector<std::pair<std::string, std::string>> links;  // link name in dir, what it holds
        bool targetExists;
    } cases[] = {
        {"relative link", {{"link.cvp", "real.dir/target.cvp"}}, true},
        {"absolute link", {{"link.cvp", target.string()}}, true},
        {"chain of links", {{"link.cvp", "middle.cvp"}, {"middle.cvp", "real.dir/target.cvp"}}, true},
        {"dangling link", {{"link.cvp", "real.dir/target.cvp"}}, false},
    };
    for (const auto& c : cases) {
        fs::remove(target);
        if (c.targetExists) {
            std::ofstream(target) << "old";
            fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
        }
        for (const auto& [name, to] : c.links) fs::create_symlink(to, dir / name);
        {
            AtomicFileStream f(dir / "link.cvp");
            f.WriteString("new");
            f.Commit();
        }
        EXPECT_TRUE(fs::is_symlink(dir / "link.cvp")) << c.what;
        std::ifstream in(target);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "new") << c.what;
        if (c.targetExists) {
            EXPECT_EQ(fs::status(target).permissions(),
                      fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read)
                << c.what;
        }
        EXPECT_EQ(std::distance(fs::directory_iterator(dir / "real.dir"), fs::directory_iterator()), 1) << c.what;
        for (const auto& link : c.links) fs::remove(dir / link.first);
    }
    fs::create_symlink("loop2.cvp", dir / "loop1.cvp");
    fs::create_symlink("loop1.cvp", dir / "loop2.cvp");
    EXPECT_THROW(AtomicFileStream(dir / "loop1.cvp"), EFileError);
    fs::remove_all(dir);
}

TEST(Stream, AtomicSaveKeepsTheOldFileUntilCommit) {
    fs::path dir = TempDir();
    fs::path p = dir / "r.cvp";
    { std::ofstream(p) << "old"; }
    {
        AtomicFileStream f(p);
        f.WriteString("new content");
        // Not committed: as if an error was raised half way.
    }
    std::ifstream in(p);
    std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(text, "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    {
        AtomicFileStream f(p);
        f.WriteString("new");
        f.Commit();
    }
    std::ifstream in2(p);
    std::string text2((std::istreambuf_iterator<char>(in2)), {});
    EXPECT_EQ(text2, "new");
    EXPECT_THROW(AtomicFileStream(dir / "no" / "such" / "dir.cvp"), EFileError);
    fs::remove_all(dir);
}
