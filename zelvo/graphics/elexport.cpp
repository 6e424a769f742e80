#include "zelvo/graphics/elexport.h"

#include <fstream>

namespace zelvo::elements {

namespace {

// Appends text right-aligned in exactly width characters.
void putRight(std::string& out, std::string_view text, std::size_t width) {
    if (text.size() < width) out.append(width - text.size(), ' ');
    out.append(text.substr(0, std::min(text.size(), width)));
}

// Appends text left-aligned in exactly width characters.
void putLeft(std::string& out, std::string_view text, std::size_t width) {
    out.append(text.substr(0, std::min(text.size(), width)));
    if (text.size() < width) out.append(width - text.size(), ' ');
}

// Appends H, G, M, Peri, Node, i, e, n and a of a text record, each
// right-aligned in its width, sep between them and two blanks after G.
void putElements(std::string& out, const char* rec, const char* sep) {
    struct Field {
        std::size_t offset, width;
    };
    static constexpr Field kFields[9] = {{txt::kH, 5},    {txt::kG, 5}, {txt::kM, 9},  {txt::kPeri, 9}, {txt::kNode, 9},
                                         {txt::kIncl, 9}, {txt::kE, 9}, {txt::kN, 10}, {txt::kA, 11}};
    for (const Field& f : kFields) {
        putRight(out, textField(rec, f.offset), f.width);
        if (f.offset != txt::kA) out += f.offset == txt::kG ? "  " : sep;
    }
}

// The query text on one line: each line break with its indent is one blank.
std::string oneLine(std::string text) {
    for (std::size_t at; (at = text.find("\n  ")) != std::string::npos;) text.replace(at, 3, " ");
    return text;
}

// A bar line of the export's table: cells of the given widths between "|".
std::string barLine(char fill) {
    static constexpr std::size_t kCells[11] = {7, 19, 6, 6, 10, 10, 10, 10, 10, 11, 11};
    std::string s = "|";
    for (std::size_t w : kCells) s += std::string(w, fill) + "|";
    return s;
}

const char kExportCaptions[] =
    "|  Num  |        Name       |  H   |  G   |    M     |   Peri   |   Node   |     i    |    e     |     n     |"
    "   a       |";

}  // namespace

ListHead listHead(const ElementList& list, const std::string& epochText) {
    ListHead h;
    h.epochText = epochText;
    h.useObjectList = list.setup().query.UseObjectList;
    h.objectListFile = list.setup().query.ObjectListFile;
    h.queryText = oneLine(list.queryText());
    h.derivedCode = list.derivedCode();
    h.derivedTitle = list.derivedTitle();
    return h;
}

std::string exportLine(std::int32_t number, const char* rec, int code, std::string_view derived, bool calendar) {
    std::string line;
    line.reserve(140);
    // A number of seven digits takes one of the two blanks before the name.
    const std::string num = number_text(number);
    line += ' ';
    line += num;
    line += num.size() > 6 ? " " : "  ";
    putLeft(line, textField(rec, txt::kName), 18);
    line += "  ";
    putElements(line, rec, "  ");
    if (code == kCodeCommensurability) {
        line += ' ';
        putLeft(line, derived.substr(0, std::min<std::size_t>(3, derived.size())), 3);
    } else if (code >= kCodePerihelionTime && code < kDerivedCodeCount) {
        line += ' ';
        putRight(line, derived.substr(0, std::min<std::size_t>(calendar ? 14 : 13, derived.size())), 14);
    } else if (code > 0 && code < kDerivedCodeCount) {
        // At least ten characters: a longer value keeps every digit.
        line += ' ';
        putRight(line, derived, std::max<std::size_t>(10, derived.size()));
    }
    return line;
}

namespace {

// The export's lines in order, each handed to put.
template <class Put>
void eachExportLine(const ElementList& list, const std::string& epochText, Put&& put) {
    const ListHead h = listHead(list, epochText);
    put("Elements: " + h.epochText);
    if (h.useObjectList) put("Object List: " + h.objectListFile);
    if (!h.queryText.empty()) put("Filter:" + h.queryText);
    const bool derived = h.derivedCode != 0;
    put(" " + std::string(derived ? 139 : 119, '_'));
    put(barLine(' ') + (derived ? std::string(14, ' ') : std::string()));
    put(std::string(kExportCaptions) + (derived ? "  " + h.derivedTitle : std::string()));
    put(barLine('_') + (derived ? std::string(18, '_') : std::string()));
    put(std::string());
    const bool calendar = list.setup().derived.calendarDateForm;
    for (int row = 0; row < list.count(); ++row) {
        const std::int32_t r = list.record(row);
        put(exportLine(list.number(row), list.cache().text(r), h.derivedCode, list.outputDerivedText(row), calendar));
    }
}

// Lines with CR LF, gathered and then written as a whole file (write_file).
class LineWriter {
public:
    explicit LineWriter(const std::string& path) : path_(path) {}
    void put(const std::string& line) {
        buf_ += line;
        buf_ += "\r\n";
    }
    fw::WriteStatus finish() const { return fw::write_file(path_, buf_); }

private:
    std::string path_;
    std::string buf_;
};

}  // namespace

std::vector<std::string> exportLines(const ElementList& list, const std::string& epochText) {
    std::vector<std::string> out;
    out.reserve(static_cast<std::size_t>(list.count()) + 8);
    eachExportLine(list, epochText, [&](std::string line) { out.push_back(std::move(line)); });
    return out;
}

fw::WriteStatus writeExport(const std::string& path, const ElementList& list, const std::string& epochText) {
    LineWriter w(path);
    eachExportLine(list, epochText, [&](const std::string& line) { w.put(line); });
    return w.finish();
}

fw::WriteStatus writeTextLines(const std::string& path, const std::vector<std::string>& lines) {
    LineWriter w(path);
    for (const std::string& l : lines) w.put(l);
    return w.finish();
}

std::vector<std::string> printFileLines(std::int32_t number, const char* rec, bool derived,
                                        std::string_view derivedText) {
    // A number of seven digits keeps its blank before the name, which gives
    // up its eighteenth character, so every line keeps its length.
    const std::string num = number_text(number);
    std::string line;
    line.reserve(126);
    line += num;
    line += ' ';
    putLeft(line, textField(rec, txt::kName), num.size() > 6 ? 17 : 18);
    putElements(line, rec, " ");
    if (!derived) return {line};
    std::string value = " ";
    putRight(value, derivedText, 14);
    return {line + value, std::string(110, ' ') + value};
}

fw::WriteStatus write_print_file(const std::string& path, const ElementList& list) {
    LineWriter w(path);
    for (int row = 0; row < list.count(); ++row) {
        const std::int32_t r = list.record(row);
        for (const std::string& l : printFileLines(list.number(row), list.cache().text(r), list.hasDerivedColumn(),
                                                   list.outputDerivedText(row)))
            w.put(l);
    }
    return w.finish();
}

int printLinesPerPage(PaperKind paper, bool derived) {
    int n = paper == PaperKind::A4 ? 30 : paper == PaperKind::A3 ? 45 : 20;
    // Both lines of an object on the same page.
    if (derived) n -= n % 2;
    return n;
}

int printLineCount(const ElementList& list) { return list.count() * (list.hasDerivedColumn() ? 2 : 1); }

std::optional<std::vector<std::string>> readPrintPage(const std::string& path, int page, int linesPerPage,
                                                      int printLines) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<std::string> lines;
    std::string first;
    if (!std::getline(in, first) || page < 1 || linesPerPage < 1) return lines;
    if (!first.empty() && first.back() == '\r') first.pop_back();
    const long long length = static_cast<long long>(first.size()) + 2;
    const long long skip = static_cast<long long>(page - 1) * linesPerPage;
    in.clear();
    in.seekg(length * skip);
    std::string line;
    for (long long k = 0; k < linesPerPage && skip + k < printLines && std::getline(in, line); ++k) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

PrintPage layoutElementPage(int page, int W, int H, int perPage, const ListHead& head,
                            const std::optional<std::vector<std::string>>& lines) {
    PrintPage out;
    const bool derived = head.derivedCode != 0;
    // Room for the head, the lines and the page number below them: with a
    // derived column the table head is a line taller.
    const int h = out.lineHeight = H / (perPage + (derived ? 11 : 10));
    const int c = out.charWidth = W / 85 >= 28 ? W / 85 : 0;
    out.items.push_back({2 * c, h, " Elements: " + head.epochText});
    if (head.useObjectList) out.items.push_back({2 * c, 2 * h, " Object List: " + head.objectListFile});
    if (!head.queryText.empty()) out.items.push_back({2 * c, 3 * h, " Filter:" + head.queryText});
    std::vector<std::string> table;
    if (!derived) {
        table = {" " + std::string(108, '_'),
                 "|      |                 |     |      |         |         |         |         |         |          "
                 "|           |",
                 "|   N  |        Name     |  H  |   G  |    M    |   Peri  |   Node  |    i    |    e    |     n    "
                 "|   a       |",
                 "|______|_________________|_____|______|_________|_________|_________|_________|_________|__________"
                 "|___________|",
                 "      "};
    } else {
        const int code = head.derivedCode;
        const std::string caption =
            code == kCodeOppositionMagnitude || code >= kCodeMoid ? head.derivedTitle : " " + head.derivedTitle;
        table = {std::string(111, '_'),
                 "      |                 |     |      |         |         |         |         |         |          "
                 "|           ",
                 "  N   |        Name     |  H  |   G  |    M    |   Peri  |   Node  |    i    |    e    |     n    "
                 "|   a       ",
                 "      |                 |     |      |         |         |         |         |         |          "
                 "| " +
                     caption,
                 "______|_________________|_____|______|_________|_________|_________|_________|_________|__________"
                 "|_____________",
                 "      "};
    }
    const int tableX = derived ? 0 : 2 * c;
    for (std::size_t k = 0; k < table.size(); ++k)
        out.items.push_back({tableX, (4 + static_cast<int>(k)) * h, table[k]});
    if (lines) {
        const int f = static_cast<int>(0.1 * h);
        const int R = derived ? 9 : 8;
        for (std::size_t l = 0; l < lines->size(); ++l) {
            const std::string& t = (*lines)[l];
            const int y = f + static_cast<int>(l) * h + R * h;
            if (derived && l % 2 == 1)
                out.items.push_back({0, y, t.size() > 10 ? t.substr(10, 125) : std::string()});
            else
                out.items.push_back({tableX, y, t.substr(0, std::min<std::size_t>(110, t.size()))});
        }
    }
    out.items.push_back({W / 2 - 3 * c, H - 2 * h, std::to_string(page)});
    return out;
}

}  // namespace zelvo::elements
