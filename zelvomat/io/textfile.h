// Text files of lines.
//
// Lines are written with explicit CR LF. Readers accept CR LF, LF and a last
// line without a line end; the line end is not part of the line returned.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "io/status.h"

namespace zelvomat::io {

Result<std::vector<std::string>> read_lines(const std::string& path);
// The first line of a file (empty when the file is empty); an error when the
// file cannot be read.
Result<std::string> read_first_line(const std::string& path);

// Splits a buffer into lines by the rules above.
std::vector<std::string> split_lines(std::string_view text);

class TextWriter {
public:
    // Creates (or truncates) the file; append keeps what is there.
    static Result<TextWriter> create(const std::string& path, bool append = false);
    TextWriter() = default;
    TextWriter(TextWriter&&) noexcept;
    TextWriter& operator=(TextWriter&&) noexcept;
    ~TextWriter();

    void line(std::string_view text);  // text followed by CR LF
    // Flushes and closes; reports a write that failed since the file was
    // created (also on a second call). Nothing is written after a failed write.
    Status close();

private:
    std::string path_;
    std::string buf_;
    int fd_ = -1;
    bool failed_ = false;
    std::string why_;  // the system's reason of the failed write
    void flush();
};

}  // namespace zelvomat::io
