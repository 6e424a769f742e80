// Writing a whole file safely. Every file the main program and the editor
// write (documents, exports, settings, work files) goes through write_file:
// the bytes go into a new file beside it (the name followed by ".new"), which
// is synced to the disk and then renamed into its place. A failed write never
// leaves half a file: the old file stays whole, the new one is removed, and
// the caller is handed a message naming the file and the reason.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace fw {

// The outcome of a write: true when the file was written; otherwise error
// holds the text to show ("Cannot write the file <path>.\n<reason>") and
// reason its second line alone, for a caller that names the file its own way.
struct WriteStatus {
    std::string error;
    std::string reason;
    explicit operator bool() const { return error.empty(); }
};

// Writes bytes as the whole of the file at path. A symbolic link is followed
// (its target is replaced, the link stays); a name that is not a regular file
// (a directory, a FIFO, a device) is refused; the old file's permissions are
// kept. When no file can be made beside the old one (a directory the user may
// not write into), nothing is written: the file is never rewritten in place.
WriteStatus write_file(const std::string& path, std::string_view bytes);
WriteStatus write_file(const std::string& path, std::span<const std::uint8_t> bytes);

// The same in pieces, for a file too large to gather first: the pieces go
// into the new file beside the old one, which commit() syncs and renames into
// place. A writer that goes without commit() (or whose append failed)
// removes its new file and leaves the old one whole.
class FileWriter {
public:
    explicit FileWriter(std::string path);
    ~FileWriter();
    FileWriter(const FileWriter&) = delete;
    FileWriter& operator=(const FileWriter&) = delete;

    // False once anything failed (the status then says why).
    bool append(std::string_view bytes);
    bool append(std::span<const std::uint8_t> bytes);
    // Puts the new file in the place of the old one.
    WriteStatus commit();
    const WriteStatus& status() const { return status_; }

private:
    void fail(const std::string& why);
    std::string path_;
    std::string target_;
    std::string temp_;
    int fd_ = -1;
    bool existed_ = false;
    unsigned mode_ = 0;
    WriteStatus status_;
};

// write_file, then its message shown in a warning box when it failed. True
// when the file was written.
bool write_file_or_warn(const std::string& path, std::string_view bytes);

// write_file without the message: false when the file cannot be written.
bool write_file_replacing(const std::string& path, std::span<const std::uint8_t> bytes);

}  // namespace fw
