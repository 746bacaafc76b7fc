#include "platform/core/Stream.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include <sys/stat.h>

namespace qel {
namespace {

namespace fs = std::filesystem;

std::string DirListing(const fs::path& dir)
{
    std::string names;
    for (const auto& e : fs::directory_iterator(dir))
        names += e.path().filename().string() + ";";
    return names;
}

TEST(MemoryStream, LittleEndianValuesRoundTripByteExact)
{
    TMemoryStream s;
    s.WriteLE<std::uint32_t>(0x01020304u);
    s.WriteLE<std::int16_t>(-2);
    s.WriteLE<double>(1.0);
    s.WriteLE<std::int64_t>(-1);
    EXPECT_EQ(s.Bytes().substr(0, 6), std::string("\x04\x03\x02\x01\xFE\xFF", 6));
    EXPECT_EQ(s.Bytes().substr(6, 8), std::string("\0\0\0\0\0\0\xF0\x3F", 8));
    s.SetPosition(0);
    EXPECT_EQ(s.ReadLE<std::uint32_t>(), 0x01020304u);
    EXPECT_EQ(s.ReadLE<std::int16_t>(), -2);
    EXPECT_EQ(s.ReadLE<double>(), 1.0);
    EXPECT_EQ(s.ReadLE<std::int64_t>(), -1);
    EXPECT_EQ(test::MessageOf<EReadError>([&] { s.ReadLE<std::uint8_t>(); }), "Stream-Read-Fehler");
}

// A device that takes nothing, like a full disk.
class TFullStream : public TStream {
public:
    std::int64_t Read(void*, std::int64_t) override { return 0; }
    std::int64_t Write(const void*, std::int64_t) override { return 0; }
    std::int64_t Seek(std::int64_t, TSeekOrigin) override { return 0; }
};

TEST(Stream, ShortWritesRaiseThePlatformsWriteError)
{
    TFullStream full;
    EXPECT_EQ(test::MessageOf<EWriteError>([&] { full.WriteLE<std::int32_t>(1); }), "Stream-Write-Fehler");
    char b = 0;
    EXPECT_THROW(full.ReadBuffer(&b, 1), EReadError);
    EXPECT_NO_THROW(full.WriteBuffer(&b, 0));
}

TEST(MemoryStream, PositionsAndCountsOutsideTheLimitsRaise)
{
    TMemoryStream s;
    s.WriteBytes("abc");
    char buf[4];
    EXPECT_THROW(s.Read(buf, -1), EReadError);
    EXPECT_THROW(s.ReadBuffer(buf, -1), EReadError);
    EXPECT_THROW(s.Write(buf, -1), EWriteError);
    EXPECT_THROW(s.WriteBuffer(buf, -5), EWriteError);
    EXPECT_THROW(s.Seek(-4, soEnd), EStreamError);
    EXPECT_THROW(s.Seek(INT64_MAX, soCurrent), EStreamError);
    EXPECT_THROW(s.Seek(MaxMemoryStreamSize + 1, soBeginning), EStreamError);
    EXPECT_THROW(s.SetSize(-1), EStreamError);
    EXPECT_EQ(s.Position(), 3);

    // Huge sizes fail without allocating and keep the contents.
    EXPECT_THROW(s.SetSize(std::int64_t{1} << 40), EOutOfResources);
    s.SetPosition(MaxMemoryStreamSize);
    EXPECT_THROW(s.WriteBuffer("x", 1), EOutOfResources);
    EXPECT_EQ(s.Bytes(), "abc");

    // A corrupt length read from a stream is checked against what remains.
    s.SetPosition(1);
    EXPECT_THROW(s.ReadBytes(std::int64_t{1} << 50), EReadError);
    EXPECT_EQ(s.ReadBytes(2), "bc");
}

TEST(MemoryStream, WritingBeyondTheEndFillsWithZerosAndSetSizeClampsPosition)
{
    TMemoryStream s;
    s.Seek(4, soBeginning);
    EXPECT_EQ(s.Read(nullptr, 0), 0);
    s.WriteBytes("z");
    EXPECT_EQ(s.Bytes(), std::string("\0\0\0\0z", 5));
    s.SetSize(2);
    EXPECT_EQ(s.Position(), 2);
    EXPECT_EQ(s.Remaining(), 0);
    char c;
    EXPECT_EQ(s.Read(&c, 1), 0);
}

// Claims more bytes than it delivers, as a truncated source does.
class TLyingStream : public TMemoryStream {
public:
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override
    {
        if (origin == soEnd)
            return TMemoryStream::Seek(offset, soEnd) + 100;
        return TMemoryStream::Seek(offset, origin);
    }
};

TEST(MemoryStream, CopyAndLoadFailCleanly)
{
    TStringStream src("0123456789");
    TMemoryStream dst;
    EXPECT_EQ(dst.CopyFrom(src, 0), 10);   // 0 = everything from the start
    EXPECT_EQ(dst.Bytes(), "0123456789");
    src.SetPosition(8);
    EXPECT_THROW(dst.CopyFrom(src, 5), EReadError);
    EXPECT_THROW(dst.CopyFrom(src, -1), EReadError);

    TMemoryStream kept;
    kept.WriteBytes("old");
    TLyingStream liar;
    liar.WriteBytes("short");
    EXPECT_THROW(kept.LoadFromStream(liar), EStreamError);
    EXPECT_EQ(kept.Bytes(), "old");
}

TEST(FileStream, OpenErrorsNameTheFileAndTheReason)
{
    test::TempDir dir;
    const std::string missingDir = dir.File("nodir/out.bin");
    EXPECT_EQ(test::MessageOf<EFCreateError>([&] { TFileStream f(missingDir, fmCreate); }),
              "Cannot create file \"" + missingDir + "\". No such file or directory");
    const std::string missing = dir.File("missing.bin");
    EXPECT_EQ(test::MessageOf<EFOpenError>([&] { TFileStream f(missing, fmOpenRead); }),
              "Cannot open file \"" + missing + "\". No such file or directory");
    // A directory opens on Linux but is no file.
    EXPECT_THROW(TFileStream(dir.Path().string(), fmOpenRead), EFOpenError);
}

TEST(FileStream, ModesCreateOpenAndTruncateAsAsked)
{
    test::TempDir dir;
    const std::string path = dir.File("data.bin");
    {
        TFileStream f(path, fmCreate);
        f.WriteLE<std::uint16_t>(0x4241);
        f.WriteBytes("CDEF");
        EXPECT_EQ(f.Size(), 6);
    }
    {
        TFileStream f(path, fmOpenRead | fmShareDenyWrite);
        EXPECT_EQ(f.ReadBytes(2), "AB");
        EXPECT_THROW(f.WriteBuffer("x", 1), EWriteError);
        EXPECT_THROW(f.ReadBytes(5), EReadError);
        EXPECT_THROW(f.Seek(-1, soBeginning), EStreamError);
    }
    {
        TFileStream f(path, fmOpenWrite);   // opening keeps the contents
        f.Seek(0, soEnd);
        f.WriteBytes("G");
        f.SetSize(3);
    }
    EXPECT_EQ(test::ReadFileBytes(path), "ABC");
    {
        TFileStream f(path, fmCreate);   // creating truncates
    }
    EXPECT_EQ(test::ReadFileBytes(path), "");
}

// Small writes gather in the buffer; reading, seeking, asking the size and
// closing all see every byte written before.
TEST(FileStream, SmallWritesAreGatheredAndSeenByEveryOtherCall)
{
    test::TempDir dir;
    const std::string path = dir.File("buffered.bin");
    TFileStream f(path, fmCreate);
    for (int i = 0; i < 1000; ++i)
        f.WriteLE<std::uint8_t>(static_cast<std::uint8_t>(i));
    EXPECT_EQ(fs::file_size(path), 0u) << "small writes reached the file one by one";
    EXPECT_EQ(f.Position(), 1000);
    EXPECT_EQ(f.Size(), 1000);
    EXPECT_EQ(fs::file_size(path), 1000u);
    f.SetPosition(10);
    f.WriteLE<std::uint8_t>(0xAA);
    f.SetPosition(9);
    EXPECT_EQ(f.ReadLE<std::uint8_t>(), 9);
    EXPECT_EQ(f.ReadLE<std::uint8_t>(), 0xAA);
    EXPECT_EQ(f.ReadLE<std::uint8_t>(), 11);
    f.Seek(0, soEnd);
    const std::string big(TFileStream::WriteBufferSize + 5, 'b');   // larger than the buffer
    f.WriteBytes("ab");
    f.WriteBytes(big);
    f.WriteBytes("z");
    f.Close();
    EXPECT_THROW(f.WriteBytes("late"), EStreamError);
    const std::string bytes = test::ReadFileBytes(path);
    ASSERT_EQ(bytes.size(), 1000 + 2 + big.size() + 1);
    EXPECT_EQ(bytes.substr(1000, 3), "abb");
    EXPECT_EQ(bytes.back(), 'z');
}

// A buffered write that fails is reported when the buffer goes out: by
// Close, Flush, and by Commit before the rename, never lost in silence. The
// error names the file (the target, not its temporary) and the cause.
TEST(FileStream, FailedBufferedWritesRaiseOnCloseAndBeforeTheRename)
{
    if (fs::exists("/dev/full")) {
        TFileStream full("/dev/full", fmOpenWrite);
        full.WriteBytes("buffered");
        EXPECT_EQ(test::MessageOf<EWriteError>([&] { full.Close(); }),
                  "Cannot write file \"/dev/full\". No space left on device");
        TFileStream flushed("/dev/full", fmOpenWrite);
        flushed.WriteBytes("buffered");
        EXPECT_THROW(flushed.Flush(), EWriteError);
        TFileStream dropped("/dev/full", fmOpenWrite);
        dropped.WriteBytes("the destructor cannot raise");
    }

    test::TempDir dir;
    const std::string path = dir.File("target.bin");
    test::WriteFileBytes(path, "old");
    bool writerDone = false, failed = false;
    {
        test::FileSizeLimit limit(1024);
        try {
            SafeWriteFile(path, [&](TStream& s) {
                for (int i = 0; i < 500; ++i)
                    s.WriteBytes("0123456789");
                writerDone = true;   // everything still sits in the buffer
            });
        } catch (const EWriteError& e) {
            failed = true;
            EXPECT_EQ(std::string(e.what()), "Cannot write file \"" + path + "\". File too large");
        }
    }
    EXPECT_TRUE(writerDone);
    EXPECT_TRUE(failed);
    EXPECT_EQ(test::ReadFileBytes(path), "old");
    EXPECT_EQ(DirListing(dir.Path()), "target.bin;");
}

// Pieces larger than the buffer go to the file from the writer's memory and
// the file is sent to the disk as it grows: every byte still lands in order,
// and a large piece the file refuses raises at once.
TEST(SafeWrite, LargePiecesBetweenSmallOnesLandInOrder)
{
    test::TempDir dir;
    const std::string path = dir.File("large.bin");
    std::string expected;
    SafeWriteFile(path, [&](TStream& s) {
        for (int i = 0; expected.size() < static_cast<std::size_t>(2 * TFileStream::WritebackStep + 100); ++i) {
            const std::size_t size = i % 3 == 0 ? TFileStream::WriteBufferSize * (1 + i % 5) : 7 + i % 50;
            const std::string piece(size, static_cast<char>('a' + i % 26));
            s.WriteBytes(piece);
            expected += piece;
        }
    });
    EXPECT_TRUE(test::ReadFileBytes(path) == expected);
    EXPECT_EQ(DirListing(dir.Path()), "large.bin;");
    if (fs::exists("/dev/full")) {
        TFileStream full("/dev/full", fmOpenWrite);
        full.WriteBytes("small");
        const std::string large(2 * TFileStream::WriteBufferSize, 'x');
        EXPECT_THROW(full.WriteBytes(large), EWriteError);
    }
}

TEST(SafeWrite, WriterThatThrowsLeavesTheOldFileAndNoTemporary)
{
    test::TempDir dir;
    const std::string path = dir.File("settings.ini");
    test::WriteFileBytes(path, "old contents");
    EXPECT_THROW(SafeWriteFile(path,
                               [](TStream& s) {
                                   s.WriteBytes("new half");
                                   throw std::runtime_error("disk on fire");
                               }),
                 std::runtime_error);
    EXPECT_EQ(test::ReadFileBytes(path), "old contents");
    EXPECT_EQ(DirListing(dir.Path()), "settings.ini;");

    SafeWriteFile(path, [](TStream& s) { s.WriteBytes("new contents"); });
    EXPECT_EQ(test::ReadFileBytes(path), "new contents");
    EXPECT_EQ(DirListing(dir.Path()), "settings.ini;");
}

TEST(SafeWrite, MissingDirectoryOrDirectoryTargetRaiseClearly)
{
    test::TempDir dir;
    const std::string path = dir.File("no/such/dir/out.xls");
    bool called = false;
    EXPECT_EQ(test::MessageOf<EFCreateError>([&] { SafeWriteFile(path, [&](TStream&) { called = true; }); }),
              "Cannot create file \"" + path + "\". No such file or directory");
    EXPECT_FALSE(called);
    EXPECT_THROW(SafeWriteFile(dir.Path().string(), [](TStream&) {}), EFCreateError);
    EXPECT_EQ(DirListing(dir.Path()), "");
}

TEST(SafeWrite, StreamWithoutCommitChangesNothing)
{
    test::TempDir dir;
    const std::string path = dir.File("report.html");
    {
        TSafeFileStream s(path);
        s.WriteBytes("<html>");
        EXPECT_TRUE(fs::exists(s.TempName()));
        EXPECT_EQ(fs::path(s.TempName()).parent_path(), dir.Path());
    }
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(DirListing(dir.Path()), "");
    {
        TSafeFileStream s(path);
        s.WriteBytes("<html/>");
        s.Commit();
    }
    EXPECT_EQ(test::ReadFileBytes(path), "<html/>");
}

TEST(SafeWrite, ReplacingKeepsPermissionsAndFollowsLinks)
{
    test::TempDir dir;
    const std::string real = dir.File("real.txt");
    const std::string link = dir.File("link.txt");
    test::WriteFileBytes(real, "v1");
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink(real, link);
    SafeWriteFile(link, [](TStream& s) { s.WriteBytes("v2"); });
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(test::ReadFileBytes(real), "v2");
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST(SafeWrite, MemoryStreamSaveAndLoadGoThroughFiles)
{
    test::TempDir dir;
    const std::string path = dir.File("blob.bin");
    TMemoryStream m;
    m.WriteBytes(std::string("\0\1\2", 3));
    m.SaveToFile(path);
    TMemoryStream back;
    back.LoadFromFile(path);
    EXPECT_EQ(back.Bytes(), m.Bytes());
    EXPECT_THROW(back.LoadFromFile(dir.File("none")), EFOpenError);
    EXPECT_EQ(back.Bytes(), m.Bytes());
}

} // namespace
} // namespace qel
