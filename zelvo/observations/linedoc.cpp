#include "zelvo/observations/linedoc.h"

#include <QApplication>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "framework/ids.h"
#include "framework/waitcursor.h"
#include "zelvo/app/tables.h"

namespace zelvo {

using namespace fw::ids;

namespace {
using WaitCursor = fw::WaitCursor;
}  // namespace

std::vector<std::string> readFormatLines(std::string_view bytes, int recordLength, bool records) {
    std::vector<std::string> out;
    if (recordLength <= 2) return out;
    const auto n = static_cast<std::size_t>(recordLength);
    if (records) {
        for (std::size_t at = 0; at + n <= bytes.size(); at += n) {
            const std::string_view rec = bytes.substr(at, n);
            out.emplace_back(rec.substr(0, rec.find('\0')));
        }
        return out;
    }
    // Every byte is kept: CR LF, LF and a lone CR end a line (as in the
    // editor) and each line keeps its own end, so a file of mixed ends is
    // written back as it was wherever nothing was edited; a last line
    // without an end gets CR LF. A shorter line is blank-padded to the
    // width; a longer one is kept whole (the list shows its first columns).
    const std::size_t text = n - 2;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        std::string_view eol = "\r\n";
        std::size_t next = bytes.size();
        if (end == std::string_view::npos) {
            end = bytes.size();
        } else {
            const bool crlf = bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n';
            eol = bytes.substr(end, crlf ? 2 : 1);
            next = end + eol.size();
        }
        std::string line(bytes.substr(start, end - start));
        if (line.size() < text) line.resize(text, ' ');
        line += eol;
        out.push_back(std::move(line));
        start = next;
    }
    return out;
}

LineListDocument::LineListDocument(LineDocKind kind, int formatKey, AppContext& ctx, bool editable)
    : kind_(kind), key_(formatKey), ctx_(ctx), editable_(editable) {
    onUpdateId(kIndicatorRec, [this](fw::CommandUI& ui) { ui.setText("Cur " + std::to_string(ctx_.CurrentRow + 1)); });
    onUpdateId(kIndicatorCaps, [this](fw::CommandUI& ui) {
        const int n = level_ >= 0 ? ctx_.RowCountStack[static_cast<std::size_t>(level_)] : ctx_.RowCount;
        ui.setText("Num " + std::to_string(n));
    });
    onUpdateId(kIndicatorOvr, [this](fw::CommandUI& ui) {
        const bool selection = kind_ == LineDocKind::Observatories && !editable_;
        ui.enable(selection);
        if (selection) ui.setText(ctx_.SelectionText);
    });
}

LineListDocument::~LineListDocument() {
    WaitCursor wait;
    lines.clear();
    if (kind_ == LineDocKind::Observations || kind_ == LineDocKind::Plates) ctx_.CurrentRow = 0;
}

bool LineListDocument::load(const std::string& path) {
    lines.clear();
    // Each line costs its bytes again in the list: a file far beyond any
    // list of observations (a damaged one of a gigabyte) is refused before
    // it is read.
    constexpr std::uintmax_t kMaxFileBytes = std::uintmax_t{256} << 20;
    std::error_code ec;
    if (const std::uintmax_t size = std::filesystem::file_size(path, ec); !ec && size > kMaxFileBytes) {
        setLoadError("The file " + path + " is too large for a list window (" + std::to_string(size) +
                     " bytes; at most " + std::to_string(kMaxFileBytes) + ").");
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return false;
    const int length = GetRecordLength(key_);
    if (length == 0) return true;  // after "Output error!No format": an empty document
    lines = readFormatLines(bytes, length, holdsRecords());
    return true;
}

bool LineListDocument::save(const std::string& path) const {
    if (GetRecordLength(key_) == 0) return false;
    std::string bytes;
    for (const std::string& l : lines) {
        if (holdsRecords()) {
            // Every record exactly its length, with no zero byte inside:
            // the records after it stay in their places.
            std::string rec = l.substr(0, std::min<std::size_t>(l.size(), 79));
            rec.resize(79, ' ');
            std::replace(rec.begin(), rec.end(), '\0', ' ');
            bytes += rec;
            continue;
        }
        bytes += l;
    }
    return writeFile(path, bytes);
}

bool RecordResultDocument::load(const std::string& path) {
    lines.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const int length = GetRecordLength(key_);
    if (length <= 2) return true;
    WaitCursor wait;
    lines = readFormatLines(bytes, length, true);
    for (std::string& l : lines)
        if (l.size() > static_cast<std::size_t>(length - 2)) l.resize(static_cast<std::size_t>(length - 2));
    return true;
}

bool RecordResultDocument::save(const std::string&) const { return false; }

}  // namespace zelvo
