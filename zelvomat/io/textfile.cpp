#include "io/textfile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "io/recfile.h"
#include "io/sysfile.h"

namespace zelvomat::io {

std::vector<std::string> split_lines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t nl = text.find('\n', start);
        std::size_t end = (nl == std::string_view::npos) ? text.size() : nl;
        std::size_t e = end;
        if (e > start && text[e - 1] == '\r') --e;
        lines.emplace_back(text.substr(start, e - start));
        if (nl == std::string_view::npos) break;
        start = nl + 1;
    }
    return lines;
}

Result<std::vector<std::string>> read_lines(const std::string& path) {
    auto bytes = read_file_bytes(path);
    if (!bytes) return bytes.status();
    const auto& b = *bytes;
    return split_lines(std::string_view(reinterpret_cast<const char*>(b.data()), b.size()));
}

Result<std::string> read_first_line(const std::string& path) {
    auto lines = read_lines(path);
    if (!lines) return lines.status();
    if (lines->empty()) return std::string();
    return std::move((*lines)[0]);
}

Result<TextWriter> TextWriter::create(const std::string& path, bool append) {
    auto fd = sys::open_regular(path, O_WRONLY | O_CREAT | (append ? O_APPEND : O_TRUNC));
    if (!fd) return error_status("cannot create file " + path + ": " + fd.message());
    TextWriter w;
    w.fd_ = fd->release();
    w.path_ = path;
    return w;
}

TextWriter::TextWriter(TextWriter&& o) noexcept
    : path_(std::move(o.path_)),
      buf_(std::move(o.buf_)),
      fd_(std::exchange(o.fd_, -1)),
      failed_(o.failed_),
      why_(std::move(o.why_)) {}

TextWriter& TextWriter::operator=(TextWriter&& o) noexcept {
    if (this != &o) {
        (void)close();
        path_ = std::move(o.path_);
        buf_ = std::move(o.buf_);
        fd_ = std::exchange(o.fd_, -1);
        failed_ = o.failed_;
        why_ = std::move(o.why_);
    }
    return *this;
}

TextWriter::~TextWriter() { (void)close(); }

void TextWriter::line(std::string_view text) {
    buf_.append(text);
    buf_.append("\r\n");
    if (buf_.size() > (1u << 16)) flush();
}

void TextWriter::flush() {
    // After a failed write nothing more is written: the file ends with whole
    // lines of what went before, never with lines after a gap.
    if (fd_ >= 0 && !failed_ && !buf_.empty() && !sys::write_all(fd_, buf_.data(), buf_.size(), -1)) {
        failed_ = true;
        why_ = sys::error_text();
    }
    buf_.clear();
}

Status TextWriter::close() {
    if (fd_ < 0) return failed_ ? error_status("cannot write file " + path_ + ": " + why_) : ok_status();
    flush();
    if (::close(fd_) != 0 && !failed_) {
        failed_ = true;
        why_ = sys::error_text();
    }
    fd_ = -1;
    if (failed_) return error_status("cannot write file " + path_ + ": " + why_);
    return ok_status();
}

}  // namespace zelvomat::io
