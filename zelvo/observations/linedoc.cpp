#include "linedoc.h"

#include <QApplication>
#include <algorithm>
#include <fstream>
#include <iterator>

#include "framework/ids.h"
#include "framework/waitcursor.h"
#include "tables.h"

namespace zelvo {

using namespace fw::ids;

namespace {
using WaitCursor = fw::WaitCursor;
}  // namespace

std::vector<std::string> read_format_lines(std::string_view bytes, int recordLength, bool records) {
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
    const std::size_t text = n - 2;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos) end = bytes.size();
        std::size_t stop = end;
        if (stop > start && bytes[stop - 1] == '\r') --stop;
        std::string line(bytes.substr(start, std::min(stop - start, text)));
        line.resize(text, ' ');
        line += "\r\n";
        out.push_back(std::move(line));
        start = end + 1;
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
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return false;
    const int length = GetRecordLength(key_);
    if (length == 0) return true;  // after "Output error!No format": an empty document
    lines = read_format_lines(bytes, length, holdsRecords());
    return true;
}

bool LineListDocument::save(const std::string& path) const {
    if (GetRecordLength(key_) == 0) return false;
    // Written beside the file, then put in its place.
    const std::string temp = path + ".zelvo-tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        for (const std::string& l : lines) {
            if (holdsRecords()) {
                // Every record exactly its length, with no zero byte inside:
                // the records after it stay in their places.
                std::string rec = l.substr(0, std::min<std::size_t>(l.size(), 79));
                rec.resize(79, ' ');
                std::replace(rec.begin(), rec.end(), '\0', ' ');
                out.write(rec.data(), static_cast<std::streamsize>(rec.size()));
                continue;
            }
            out.write(l.data(), static_cast<std::streamsize>(l.size()));
        }
        out.flush();
        if (!out) {
            out.close();
            std::remove(temp.c_str());
            return false;
        }
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

bool RecordResultDocument::load(const std::string& path) {
    lines.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const int length = GetRecordLength(key_);
    if (length <= 2) return true;
    WaitCursor wait;
    lines = read_format_lines(bytes, length, true);
    for (std::string& l : lines)
        if (l.size() > static_cast<std::size_t>(length - 2)) l.resize(static_cast<std::size_t>(length - 2));
    return true;
}

bool RecordResultDocument::save(const std::string&) const { return false; }

}  // namespace zelvo
