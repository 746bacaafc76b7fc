#pragma once
// Byte streams: the abstract TStream with checked buffer helpers, memory and
// file streams, and the safe writer every file goes through (the whole file
// appears or nothing changes).
#include "platform/core/Exceptions.h"

#include <bit>
#include <concepts>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace qel {

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
public:
    TStream() = default;
    virtual ~TStream();
    TStream(const TStream&) = delete;
    TStream& operator=(const TStream&) = delete;

    // Return the bytes actually transferred; a negative count raises.
    virtual std::int64_t Read(void* Buffer, std::int64_t Count) = 0;
    virtual std::int64_t Write(const void* Buffer, std::int64_t Count) = 0;
    // Returns the new position; a position before the start raises EStreamError.
    virtual std::int64_t Seek(std::int64_t Offset, TSeekOrigin Origin) = 0;

    std::int64_t Position() { return Seek(0, soCurrent); }
    void SetPosition(std::int64_t Value) { Seek(Value, soBeginning); }
    std::int64_t Size();
    virtual void SetSize(std::int64_t NewSize);
    std::int64_t Remaining();   // bytes from the position to the end (0 when beyond)

    void ReadBuffer(void* Buffer, std::int64_t Count);         // EReadError "Stream-Read-Fehler"
    void WriteBuffer(const void* Buffer, std::int64_t Count);  // EWriteError "Stream-Write-Fehler"
    // Copies Count bytes from Source's position; Count 0 copies the whole
    // Source from its start. Returns the bytes copied.
    std::int64_t CopyFrom(TStream& Source, std::int64_t Count);

    // Reads exactly Count bytes (checked against what remains first).
    std::string ReadBytes(std::int64_t Count);
    void WriteBytes(const std::string& Bytes) { WriteBuffer(Bytes.data(), static_cast<std::int64_t>(Bytes.size())); }

    // Little-endian values, whatever the host order.
    template <class T>
        requires(std::integral<T> || std::floating_point<T>)
    T ReadLE()
    {
        unsigned char b[sizeof(T)];
        ReadBuffer(b, sizeof(T));
        if constexpr (std::endian::native == std::endian::big)
            Reverse(b, sizeof(T));
        T v;
        std::memcpy(&v, b, sizeof(T));
        return v;
    }
    template <class T>
        requires(std::integral<T> || std::floating_point<T>)
    void WriteLE(T Value)
    {
        unsigned char b[sizeof(T)];
        std::memcpy(b, &Value, sizeof(T));
        if constexpr (std::endian::native == std::endian::big)
            Reverse(b, sizeof(T));
        WriteBuffer(b, sizeof(T));
    }

private:
    static void Reverse(unsigned char* B, std::size_t N)
    {
        for (std::size_t i = 0; i < N / 2; ++i)
            std::swap(B[i], B[N - 1 - i]);
    }
};

// Growth beyond this raises EOutOfResources rather than exhausting memory.
inline constexpr std::int64_t MaxMemoryStreamSize = std::int64_t{1} << 31;

class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    std::int64_t Read(void* Buffer, std::int64_t Count) override;
    std::int64_t Write(const void* Buffer, std::int64_t Count) override;
    std::int64_t Seek(std::int64_t Offset, TSeekOrigin Origin) override;
    void SetSize(std::int64_t NewSize) override;   // EOutOfResources beyond MaxMemoryStreamSize

    const std::uint8_t* Memory() const { return m_data.data(); }
    std::uint8_t* Memory() { return m_data.data(); }
    std::string Bytes() const { return std::string(m_data.begin(), m_data.end()); }
    void SetBytes(const std::string& Bytes);   // replaces the contents, position 0
    void Clear();

    // Loads the whole Source (from its start); a failure keeps the old contents.
    void LoadFromStream(TStream& Source);
    void SaveToStream(TStream& Dest);
    void LoadFromFile(const std::string& FileName);
    void SaveToFile(const std::string& FileName);   // through SafeWriteFile

private:
    void Grow(std::int64_t NewSize);

    std::vector<std::uint8_t> m_data;
    std::int64_t m_position{0};
};

// A memory stream over a byte string.
class TStringStream : public TMemoryStream {
public:
    explicit TStringStream(const std::string& Bytes = {}) { SetBytes(Bytes); }
    std::string DataString() const { return Bytes(); }
};

enum : std::uint16_t {
    fmOpenRead = 0x0000,
    fmOpenWrite = 0x0001,
    fmOpenReadWrite = 0x0002,
    fmShareCompat = 0x0000,
    fmShareExclusive = 0x0010,
    fmShareDenyWrite = 0x0020,
    fmShareDenyRead = 0x0030,
    fmShareDenyNone = 0x0040,
    fmCreate = 0xFF00,
};

// Writes are gathered in a buffer (WriteBufferSize bytes) and reach the file
// in large pieces: when the buffer is full, before a read, a seek that moves,
// a size change, Flush and Close. Close reports a write that failed; the
// destructor writes what is left too but cannot raise, so a writer that must
// know calls Close (TSafeFileStream::Commit does).
class TFileStream : public TStream {
public:
    static constexpr std::size_t WriteBufferSize = 64 * 1024;
    // A file that will be forced to disk is sent on its way every this many bytes.
    static constexpr std::int64_t WritebackStep = 8 << 20;

    // fmCreate creates or truncates (EFCreateError "Cannot create file "%s". <reason>");
    // the open modes need an existing file (EFOpenError "Cannot open file "%s". <reason>").
    // A write the file does not take raises EWriteError "Cannot write file "%s". <reason>".
    // Share flags are accepted and ignored.
    TFileStream(const std::string& FileName, std::uint16_t Mode);
    ~TFileStream() override;

    std::int64_t Read(void* Buffer, std::int64_t Count) override;
    std::int64_t Write(const void* Buffer, std::int64_t Count) override;
    std::int64_t Seek(std::int64_t Offset, TSeekOrigin Origin) override;
    void SetSize(std::int64_t NewSize) override;

    const std::string& FileName() const { return m_fileName; }
    // Writes the buffer and forces the written data to disk (EWriteError on failure).
    void Flush();
    // Writes the buffer and closes the file (EWriteError when a write or the
    // close fails); the stream can't be used afterwards.
    void Close();

protected:
    // Adopts an open descriptor; errors name the file ShownName.
    TFileStream(int Handle, const std::string& FileName, const std::string& ShownName);
    int Handle() const { return m_handle; }
    void CloseHandle();   // EWriteError when the close reports a lost write
    // Forgets buffered bytes that were not written yet.
    void DiscardBuffer() { m_buffer.clear(); }
    // The file will be forced to disk when complete: what is written is sent
    // on its way every WritebackStep bytes, so the disk works while the
    // writer does and the final flush waits only for the rest.
    void StartWritebackEarly() { m_writeback = true; }

private:
    void FlushBuffer();   // EWriteError when the file takes less than all
    void WriteAll(const char* Bytes, std::int64_t Count);   // straight to the file
    void CheckOpen() const;

    // The file a failed write names: the target of a temporary.
    const std::string& ShownName() const { return m_shownName.empty() ? m_fileName : m_shownName; }

    int m_handle{-1};
    bool m_writable{true};
    std::string m_fileName;
    std::string m_shownName;
    std::vector<char> m_buffer;   // written, not yet in the file; the file position is before them
    bool m_writeback{false};
    std::int64_t m_sinceWriteback{0};   // bytes written since writeback was last started
};

// A file written through a temporary beside the target ("<path>.tmp-XXXXXX").
// Commit() writes what is buffered, forces it to disk and renames it over the
// target (a failed write raises before the rename); destroyed
// without Commit (or after a failed Commit) it removes the temporary and the
// target is untouched. EFCreateError when the temporary cannot be created
// (for example the directory does not exist).
class TSafeFileStream : public TFileStream {
public:
    explicit TSafeFileStream(const std::string& FileName);
    ~TSafeFileStream() override;

    void Commit();
    const std::string& TargetName() const { return m_target; }
    const std::string& TempName() const { return FileName(); }

private:
    struct TempFile {
        int handle;
        std::string name;
        std::string renameTo;   // the target, with a symbolic link resolved
    };
    static TempFile OpenTemp(const std::string& FileName);
    TSafeFileStream(TempFile Temp, const std::string& FileName);

    std::string m_target;
    std::string m_renameTo;
    bool m_committed{false};
};

// Runs Writer on a TSafeFileStream and commits it; on any exception the
// temporary is removed, the old file stays as it was, and the exception
// propagates.
void SafeWriteFile(const std::string& FileName, const std::function<void(TStream&)>& Writer);

} // namespace qel
