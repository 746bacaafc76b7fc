#include "platform/core/Stream.h"

#include "platform/core/Guards.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <limits>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qel {

namespace {

constexpr std::int64_t CopyChunk = 64 * 1024;
// One read or write call never asks the kernel for more than this.
constexpr std::int64_t IoChunk = std::int64_t{1} << 30;

// The platform's own texts for a short read or write (its German resources).
[[noreturn]] void ReadError() { throw EReadError("Stream-Read-Fehler"); }
[[noreturn]] void WriteError() { throw EWriteError("Stream-Write-Fehler"); }
[[noreturn]] void SeekError() { throw EStreamError("Stream seek error"); }
[[noreturn]] void MemoryError() { throw EOutOfResources("Out of memory while expanding memory stream"); }

std::string Reason(int Err) { return std::strerror(Err); }

[[noreturn]] void CreateError(const std::string& Name, int Err)
{
    throw EFCreateError("Cannot create file \"" + Name + "\". " + Reason(Err));
}

[[noreturn]] void OpenError(const std::string& Name, int Err)
{
    throw EFOpenError("Cannot open file \"" + Name + "\". " + Reason(Err));
}

// A file that does not take what is written: which file, and why.
[[noreturn]] void FileWriteError(const std::string& Name, int Err)
{
    throw EWriteError("Cannot write file \"" + Name + "\". " + Reason(Err));
}

// Base + Offset, or SeekError on overflow.
std::int64_t AddOffset(std::int64_t Base, std::int64_t Offset)
{
    std::int64_t result;
    if (__builtin_add_overflow(Base, Offset, &result))
        SeekError();
    return result;
}

} // namespace

// ---- TStream ----------------------------------------------------------------

TStream::~TStream() = default;

std::int64_t TStream::Size()
{
    const std::int64_t pos = Seek(0, soCurrent);
    const std::int64_t size = Seek(0, soEnd);
    Seek(pos, soBeginning);
    return size;
}

void TStream::SetSize(std::int64_t)
{
    throw EStreamError("Stream size cannot be changed");
}

std::int64_t TStream::Remaining()
{
    const std::int64_t pos = Position();
    return std::max<std::int64_t>(0, Size() - pos);
}

void TStream::ReadBuffer(void* Buffer, std::int64_t Count)
{
    if (Count < 0)
        ReadError();
    if (Count != 0 && Read(Buffer, Count) != Count)
        ReadError();
}

void TStream::WriteBuffer(const void* Buffer, std::int64_t Count)
{
    if (Count < 0)
        WriteError();
    if (Count != 0 && Write(Buffer, Count) != Count)
        WriteError();
}

std::int64_t TStream::CopyFrom(TStream& Source, std::int64_t Count)
{
    if (Count < 0)
        ReadError();
    if (Count == 0) {
        Source.SetPosition(0);
        Count = Source.Size();
    }
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::min(Count, CopyChunk)));
    std::int64_t left = Count;
    while (left > 0) {
        const std::int64_t n = std::min(left, CopyChunk);
        Source.ReadBuffer(buffer.data(), n);
        WriteBuffer(buffer.data(), n);
        left -= n;
    }
    return Count;
}

std::string TStream::ReadBytes(std::int64_t Count)
{
    // Checked first, so a corrupt length never allocates without bound.
    if (Count < 0 || Count > Remaining())
        ReadError();
    std::string bytes(static_cast<std::size_t>(Count), '\0');
    ReadBuffer(bytes.data(), Count);
    return bytes;
}

// ---- TMemoryStream ----------------------------------------------------------

std::int64_t TMemoryStream::Read(void* Buffer, std::int64_t Count)
{
    if (Count < 0)
        ReadError();
    const auto size = static_cast<std::int64_t>(m_data.size());
    const std::int64_t n = std::clamp<std::int64_t>(size - m_position, 0, Count);
    if (n > 0) {
        std::memcpy(Buffer, m_data.data() + m_position, static_cast<std::size_t>(n));
        m_position += n;
    }
    return n;
}

std::int64_t TMemoryStream::Write(const void* Buffer, std::int64_t Count)
{
    if (Count < 0)
        WriteError();
    if (Count == 0)
        return 0;
    if (Count > MaxMemoryStreamSize - m_position)
        MemoryError();
    const std::int64_t end = m_position + Count;
    if (end > static_cast<std::int64_t>(m_data.size()))
        Grow(end);
    std::memcpy(m_data.data() + m_position, Buffer, static_cast<std::size_t>(Count));
    m_position = end;
    return Count;
}

std::int64_t TMemoryStream::Seek(std::int64_t Offset, TSeekOrigin Origin)
{
    std::int64_t base = 0;
    switch (Origin) {
    case soBeginning: base = 0; break;
    case soCurrent: base = m_position; break;
    case soEnd: base = static_cast<std::int64_t>(m_data.size()); break;
    default: SeekError();
    }
    const std::int64_t pos = AddOffset(base, Offset);
    // Beyond the end is allowed (a write fills the gap with zeros), but not
    // beyond what the stream could ever hold.
    if (pos < 0 || pos > MaxMemoryStreamSize)
        SeekError();
    m_position = pos;
    return pos;
}

void TMemoryStream::SetSize(std::int64_t NewSize)
{
    if (NewSize < 0)
        throw EStreamError("Invalid stream size");
    if (NewSize > static_cast<std::int64_t>(m_data.size()))
        Grow(NewSize);
    else
        m_data.resize(static_cast<std::size_t>(NewSize));
    m_position = std::min(m_position, NewSize);
}

void TMemoryStream::Grow(std::int64_t NewSize)
{
    if (NewSize > MaxMemoryStreamSize)
        MemoryError();
    try {
        m_data.resize(static_cast<std::size_t>(NewSize));
    } catch (const std::bad_alloc&) {
        MemoryError();
    } catch (const std::length_error&) {
        MemoryError();
    }
}

void TMemoryStream::SetBytes(const std::string& Bytes)
{
    if (static_cast<std::int64_t>(Bytes.size()) > MaxMemoryStreamSize)
        MemoryError();
    m_data.assign(Bytes.begin(), Bytes.end());
    m_position = 0;
}

void TMemoryStream::Clear()
{
    m_data.clear();
    m_data.shrink_to_fit();
    m_position = 0;
}

void TMemoryStream::LoadFromStream(TStream& Source)
{
    Source.SetPosition(0);
    const std::int64_t size = Source.Size();
    if (size > MaxMemoryStreamSize)
        MemoryError();
    std::vector<std::uint8_t> data;
    try {
        data.resize(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
        MemoryError();
    }
    Source.ReadBuffer(data.data(), size);
    m_data.swap(data);
    m_position = 0;
}

void TMemoryStream::SaveToStream(TStream& Dest)
{
    Dest.WriteBuffer(m_data.data(), static_cast<std::int64_t>(m_data.size()));
}

void TMemoryStream::LoadFromFile(const std::string& FileName)
{
    TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(file);
}

void TMemoryStream::SaveToFile(const std::string& FileName)
{
    SafeWriteFile(FileName, [this](TStream& S) { SaveToStream(S); });
}

// ---- TFileStream ------------------------------------------------------------

TFileStream::TFileStream(const std::string& FileName, std::uint16_t Mode)
    : m_fileName(FileName)
{
    if ((Mode & 0xFF00) == fmCreate) {
        m_handle = ::open(FileName.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (m_handle < 0)
            CreateError(FileName, errno);
        return;
    }
    int flags = 0;
    switch (Mode & 0x3) {
    case fmOpenRead: flags = O_RDONLY; m_writable = false; break;
    case fmOpenWrite: flags = O_WRONLY; break;
    case fmOpenReadWrite: flags = O_RDWR; break;
    default: OpenError(FileName, EINVAL);
    }
    m_handle = ::open(FileName.c_str(), flags | O_CLOEXEC);
    if (m_handle < 0)
        OpenError(FileName, errno);
    // A directory opens for reading on Linux but is no file.
    struct stat st{};
    if (::fstat(m_handle, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(m_handle);
        m_handle = -1;
        OpenError(FileName, EISDIR);
    }
}

TFileStream::TFileStream(int Handle, const std::string& FileName, const std::string& ShownName)
    : m_handle(Handle), m_fileName(FileName), m_shownName(ShownName)
{
}

TFileStream::~TFileStream()
{
    if (m_handle < 0)
        return;
    try {
        FlushBuffer();
    } catch (const Exception&) {
        // Nobody can hear an exception here; Close() is the way to learn of it.
    }
    ::close(m_handle);
}

void TFileStream::CheckOpen() const
{
    if (m_handle < 0)
        throw EStreamError("Stream is closed");
}

void TFileStream::FlushBuffer()
{
    if (m_buffer.empty())
        return;
    // The buffer is gone whatever happens: a failed write is reported once,
    // and the file position is where the kernel left it.
    Finally clear([&] { m_buffer.clear(); });
    WriteAll(m_buffer.data(), static_cast<std::int64_t>(m_buffer.size()));
}

void TFileStream::WriteAll(const char* Bytes, std::int64_t Count)
{
    std::int64_t done = 0;
    while (done < Count) {
        const ssize_t n = ::write(m_handle, Bytes + done, static_cast<std::size_t>(std::min(Count - done, IoChunk)));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            FileWriteError(ShownName(), errno);
        }
        if (n == 0)
            FileWriteError(ShownName(), ENOSPC);
        done += n;
    }
#ifdef SYNC_FILE_RANGE_WRITE
    m_sinceWriteback += Count;
    if (m_writeback && m_sinceWriteback >= WritebackStep) {
        // Starts writing the dirty pages and returns; a failure shows at the final fsync.
        ::sync_file_range(m_handle, 0, 0, SYNC_FILE_RANGE_WRITE);
        m_sinceWriteback = 0;
    }
#endif
}

std::int64_t TFileStream::Read(void* Buffer, std::int64_t Count)
{
    if (Count < 0)
        ReadError();
    CheckOpen();
    FlushBuffer();
    auto* p = static_cast<char*>(Buffer);
    std::int64_t done = 0;
    while (done < Count) {
        const ssize_t n = ::read(m_handle, p + done, static_cast<std::size_t>(std::min(Count - done, IoChunk)));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ReadError();
        }
        if (n == 0)
            break;
        done += n;
    }
    return done;
}

std::int64_t TFileStream::Write(const void* Buffer, std::int64_t Count)
{
    if (Count < 0)
        WriteError();
    CheckOpen();
    if (Count == 0)
        return 0;
    // A file opened for reading refuses at once, not at the next flush.
    if (!m_writable)
        FileWriteError(ShownName(), EBADF);
    const auto* p = static_cast<const char*>(Buffer);
    const auto capacity = static_cast<std::int64_t>(WriteBufferSize);
    if (static_cast<std::int64_t>(m_buffer.size()) + Count > capacity)
        FlushBuffer();
    if (Count >= capacity) {
        // Large pieces go straight to the file, without a copy.
        WriteAll(p, Count);
        return Count;
    }
    if (m_buffer.capacity() < WriteBufferSize)
        m_buffer.reserve(WriteBufferSize);
    m_buffer.insert(m_buffer.end(), p, p + Count);
    return Count;
}

std::int64_t TFileStream::Seek(std::int64_t Offset, TSeekOrigin Origin)
{
    CheckOpen();
    int whence = SEEK_SET;
    switch (Origin) {
    case soBeginning: whence = SEEK_SET; break;
    case soCurrent: whence = SEEK_CUR; break;
    case soEnd: whence = SEEK_END; break;
    default: SeekError();
    }
    // Asking for the position needs no write.
    if (Origin == soCurrent && Offset == 0) {
        const off_t pos = ::lseek(m_handle, 0, SEEK_CUR);
        if (pos < 0)
            SeekError();
        return AddOffset(pos, static_cast<std::int64_t>(m_buffer.size()));
    }
    FlushBuffer();
    const off_t pos = ::lseek(m_handle, static_cast<off_t>(Offset), whence);
    if (pos < 0)
        SeekError();
    return pos;
}

void TFileStream::SetSize(std::int64_t NewSize)
{
    if (NewSize < 0)
        throw EStreamError("Invalid stream size");
    CheckOpen();
    FlushBuffer();
    const std::int64_t pos = Position();
    if (::ftruncate(m_handle, static_cast<off_t>(NewSize)) != 0)
        FileWriteError(ShownName(), errno);
    if (pos > NewSize)
        Seek(0, soEnd);
}

void TFileStream::Flush()
{
    CheckOpen();
    FlushBuffer();
    if (::fsync(m_handle) != 0)
        FileWriteError(ShownName(), errno);
}

void TFileStream::Close()
{
    if (m_handle < 0)
        return;
    Finally close([this] { CloseHandle(); });
    FlushBuffer();
}

void TFileStream::CloseHandle()
{
    if (m_handle < 0)
        return;
    const int handle = m_handle;
    m_handle = -1;
    m_buffer.clear();
    // A close error can report a write that never reached the disk.
    if (::close(handle) != 0 && errno != EINTR)
        FileWriteError(ShownName(), errno);
}

// ---- TSafeFileStream --------------------------------------------------------

TSafeFileStream::TempFile TSafeFileStream::OpenTemp(const std::string& FileName)
{
    namespace fs = std::filesystem;
    if (FileName.empty())
        CreateError(FileName, ENOENT);
    std::string renameTo = FileName;
    std::error_code ec;
    // Replace the file a link points to, not the link.
    if (fs::is_symlink(FileName, ec)) {
        fs::path real = fs::canonical(FileName, ec);
        if (!ec)
            renameTo = real.string();
    }
    if (fs::is_directory(renameTo, ec))
        CreateError(FileName, EISDIR);

    std::string name = renameTo + ".tmp-XXXXXX";
    const int handle = ::mkostemp(name.data(), O_CLOEXEC);
    if (handle < 0)
        CreateError(FileName, errno);
    // mkostemp creates 0600; keep the old file's permissions, or give a new
    // file the usual ones.
    struct stat st{};
    mode_t mode;
    if (::stat(renameTo.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(handle, mode);
    return TempFile{handle, name, renameTo};
}

TSafeFileStream::TSafeFileStream(const std::string& FileName)
    : TSafeFileStream(OpenTemp(FileName), FileName)
{
}

TSafeFileStream::TSafeFileStream(TempFile Temp, const std::string& FileName)
    : TFileStream(Temp.handle, Temp.name, FileName), m_target(FileName), m_renameTo(std::move(Temp.renameTo))
{
    StartWritebackEarly();   // Commit forces it to disk
}

TSafeFileStream::~TSafeFileStream()
{
    if (m_committed)
        return;
    DiscardBuffer();
    if (Handle() >= 0) {
        try {
            CloseHandle();
        } catch (...) {
            // The temporary is removed below anyway.
        }
    }
    ::unlink(FileName().c_str());
}

void TSafeFileStream::Commit()
{
    if (m_committed)
        return;
    Flush();
    CloseHandle();
    if (::rename(FileName().c_str(), m_renameTo.c_str()) != 0)
        CreateError(m_target, errno);
    m_committed = true;
    // Make the rename itself durable; the data is already safe if this fails.
    const std::string dir = std::filesystem::path(m_renameTo).parent_path().string();
    const int dirHandle = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirHandle >= 0) {
        ::fsync(dirHandle);
        ::close(dirHandle);
    }
}

void SafeWriteFile(const std::string& FileName, const std::function<void(TStream&)>& Writer)
{
    TSafeFileStream stream(FileName);
    Writer(stream);
    stream.Commit();
}

} // namespace qel
