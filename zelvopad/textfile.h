// A text file as the editor holds it. The file's bytes are Windows-1252
// text; the editor shows its lines joined by '\n'. Writing the edited text
// back gives the file's own bytes wherever the user changed nothing: every
// byte value survives (also the five the code page leaves undefined), each
// line keeps the line end it had (CR LF, LF or a lone CR), and a file that
// did not end with a line end still does not. Lines the user adds get the
// file's usual line end; a new file gets CR LF.
//
// The file is held once, as its bytes with an index of where each line
// begins; the text to show is made from them a piece at a time, so a large
// file is not held again as a second text beside the editor's own.
#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zpad {

enum class LineEnd : std::uint8_t { CrLf, Lf, Cr };

class TextFile {
public:
    // An empty new file.
    TextFile() : TextFile(std::string()) {}
    // The file of these bytes.
    explicit TextFile(std::string bytes);

    // The text to show: the lines joined by '\n', no line end after the last.
    QString text() const { return text(0, lines()); }
    // The number of lines (one for an empty file).
    std::size_t lines() const { return starts_.size(); }
    // The lines first to first + count - 1 of that text, each followed by
    // '\n' except the file's last line.
    QString text(std::size_t first, std::size_t count) const;
    // The line end most lines of the file have (CR LF for a file of one line).
    LineEnd usualLineEnd() const { return usual_; }

    struct Bytes {
        std::string bytes;
        // Characters that Windows-1252 cannot hold; each was written as '?'.
        qsizetype unwritable = 0;
    };
    // The bytes of the edited text: its lines are separated by '\n', U+2029
    // (paragraph) or U+2028 (line break). The lines before the first and
    // after the last change keep their own line ends; when the number of
    // lines did not change every line keeps its own.
    Bytes bytesOf(QStringView edited) const;

private:
    // The bytes of line i without its line end.
    std::string_view line(std::size_t i) const;

    std::string bytes_;
    std::vector<std::size_t> starts_;  // starts_[i]: the first byte of line i
    std::vector<LineEnd> ends_;        // ends_[i] follows line i; one fewer than the lines
    LineEnd usual_ = LineEnd::CrLf;
};

// Reads the whole file; nothing (and error set) when it cannot be read.
std::optional<std::string> read_file(const QString& path, QString* error);
// Writes the whole file beside the old one and puts it in its place, so a
// failed write leaves the old file as it was (fw::write_file). Where no file
// can be made beside it, nothing is written: the file is never rewritten in
// place. False, with error set to the reason, when the file could not be
// written.
bool write_file(const QString& path, std::string_view bytes, QString* error);

}  // namespace zpad
