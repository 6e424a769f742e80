// Direct-access files of fixed-length records.
//
// Record n (1-based) of a file of records of length L lives at byte (n-1) L,
// without separators. A read of a record that is not whole in the file is an
// error the caller sees; nothing ends the process. The file is closed when the
// object goes out of scope. Only regular files are opened (io/sysfile.h).
#pragma once

#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <vector>

#include "io/status.h"

namespace zelvomat::io {

enum class OpenMode {
    Read,       // existing file, read only
    ReadWrite,  // existing file, read and write
    Update,     // read and write, created empty when missing, never truncated
    Create,     // created or truncated, read and write
};

class RecordFile {
public:
    RecordFile() = default;
    ~RecordFile();
    RecordFile(RecordFile&& other) noexcept;
    RecordFile& operator=(RecordFile&& other) noexcept;
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;

    static Result<RecordFile> open(const std::string& path, std::size_t record_length, OpenMode mode);

    bool is_open() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }
    std::size_t record_length() const { return reclen_; }

    // Number of whole records in the file now.
    Result<std::int64_t> record_count() const;

    // Reads record n (1-based) into out, which must hold record_length bytes.
    Status read(std::int64_t n, std::span<std::uint8_t> out) const;
    // Reads the consecutive records from record n on into out, whose size is
    // a multiple of the record length; every one of them must be whole.
    Status read_run(std::int64_t n, std::span<std::uint8_t> out) const;
    Result<std::vector<std::uint8_t>> read(std::int64_t n) const;
    // Writes record n (1-based); records between the end and n are zero-filled.
    // A write that fails (a full disk) leaves no part of a record beyond what
    // the file held before: the file is cut back to that length.
    Status write(std::int64_t n, std::span<const std::uint8_t> rec);
    // Cuts the file after record n.
    Status truncate(std::int64_t n);
    void close();

private:
    int fd_ = -1;
    std::size_t reclen_ = 0;
    std::int64_t known_size_ = 0;  // bytes the file holds as far as this object wrote or saw them
    std::string path_;
};

// Whole-file helpers.

// The largest file that read_file_bytes reads unless told otherwise.
inline constexpr std::int64_t kMaxWholeFile = std::int64_t{256} << 20;
// For files whose size the caller has no reason to bound (its own scratch
// files, a catalogue of any size): read whatever the file holds.
inline constexpr std::int64_t kAnySize = std::numeric_limits<std::int64_t>::max();

// The bytes of a regular file as it stands when it is opened: a file that
// grows while it is read is read to the size it had, and a file larger than
// max_bytes is refused before anything is read.
Result<std::vector<std::uint8_t>> read_file_bytes(const std::string& path, std::int64_t max_bytes = kMaxWholeFile);

// Replaces the file whole: the bytes are written beside it under a temporary
// name, synced to the disk and renamed over it. When anything fails the old
// file stays as it was (a symbolic link is followed: its target is replaced).
Status write_file_bytes(const std::string& path, std::span<const std::uint8_t> bytes);
// The same with the bytes given in parts, written one after the other.
Status write_file_parts(const std::string& path, std::span<const std::span<const std::uint8_t>> parts);

}  // namespace zelvomat::io
