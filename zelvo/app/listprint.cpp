#include "zelvo/app/listprint.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <fstream>

#include "framework/cp1252.h"
#include "framework/linelist.h"

namespace zelvo {

int lines_per_page(bool portrait, PaperKind paper) {
    int n = portrait ? 45 : 30;
    if (paper == PaperKind::A3)
        n = n * 3 / 2;
    else if (paper != PaperKind::A4)
        n = n * 2 / 3;
    return n;
}

int page_count(int lines, int linesPerPage) {
    if (linesPerPage <= 0 || lines <= 0) return 0;
    return (lines + linesPerPage - 1) / linesPerPage;
}

std::string printWarning(PaperKind paper, bool portrait, int pageWidth, bool narrowA4) {
    const std::string width = "The text to print may exceed page width.\n In this case please use ''LANDSCAPE'' mode.";
    const std::string size = "The text to print may exceed page size.\n For correct printing use page size ''A4''.";
    if (paper == PaperKind::A5 && portrait) return width;
    if (paper != PaperKind::A4 && paper != PaperKind::A5) return size;
    if (narrowA4 && paper == PaperKind::A4 && portrait && pageWidth / 85 < 28) return width;
    return {};
}

int beginListPrinting(fw::PrintInfo& info, int lineCount) {
    const int perPage = lines_per_page(info.portrait, info.paper);
    info.maxPage = page_count(lineCount, perPage);
    return perPage;
}

void drawPrintPage(QPainter& painter, const PrintPage& page) {
    QFont font = fw::fixed_font(std::max(1, page.lineHeight * 4 / 5));
    if (page.charWidth > 0) {
        // The 80 columns must keep to their character cells.
        const int w = QFontMetrics(font).horizontalAdvance(QLatin1Char('0'));
        if (w > page.charWidth && w > 0) font.setPixelSize(std::max(1, font.pixelSize() * page.charWidth / w));
    }
    painter.setFont(font);
    painter.setPen(Qt::black);
    const int ascent = QFontMetrics(font).ascent();
    for (const PrintItem& item : page.items) painter.drawText(item.x, item.y + ascent, fw::fromCp1252(item.text));
}

std::optional<std::vector<std::string>> readHeadFile(const std::string& path, int skip, int count) {
    constexpr std::size_t kRecord = 82, kText = 80;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    in.seekg(static_cast<std::streamoff>(std::max(0, skip)) * static_cast<std::streamoff>(kRecord));
    std::vector<std::string> out;
    for (int k = 0; k < count && in; ++k) {
        std::string rec(kRecord, '\0');
        in.read(rec.data(), static_cast<std::streamsize>(kRecord));
        const auto got = static_cast<std::size_t>(in.gcount());
        if (got == 0) break;
        rec.resize(std::min(got, kText));
        out.push_back(rec.substr(0, rec.find('\0')));
    }
    return out;
}

PrintPage layoutEditorPage(int page, int pageWidth, int pageHeight, int linesPerPage,
                           const std::optional<std::vector<std::string>>& head, const EditorPrintFormat& shape,
                           const std::vector<std::string>& lines, int itemCount, const std::string& prefix) {
    PrintPage out;
    const int h = pageHeight / std::max(1, linesPerPage + shape.headLines + 4);
    const int c = pageWidth / 85 >= 28 ? pageWidth / 85 : 0;
    out.lineHeight = h;
    out.charWidth = c;
    if (!prefix.empty()) out.items.push_back({2 * c, 0, prefix});
    if (head)
        for (std::size_t k = 0; k < head->size(); ++k)
            out.items.push_back({2 * c, static_cast<int>(k + 1) * h, (*head)[k]});
    const int rows = head ? shape.rows : shape.rowsWithoutHead;
    const int top = static_cast<int>(std::trunc(shape.lineOffset * h)) + rows * h;
    const auto n = std::min<long long>(itemCount, static_cast<long long>(lines.size()));
    for (int l = 0; l < linesPerPage; ++l) {
        const long long i = static_cast<long long>(page - 1) * linesPerPage + l;
        if (i < 0 || i >= n) break;
        const std::string& line = lines[static_cast<std::size_t>(i)];
        out.items.push_back(
            {2 * c, l * h + top, line.substr(0, std::min(line.size(), static_cast<std::size_t>(shape.lineChars)))});
    }
    out.items.push_back({pageWidth / 2 - 3 * c, pageHeight - 2 * h, std::to_string(page)});
    return out;
}

}  // namespace zelvo
