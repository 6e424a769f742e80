#include "mdiwindows.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace fw {

std::vector<std::string> unique_titles(const std::vector<std::string>& titles) {
    std::map<std::string, int> total, seen;
    for (const std::string& t : titles) ++total[t];
    std::vector<std::string> out;
    out.reserve(titles.size());
    for (const std::string& t : titles) out.push_back(total[t] > 1 ? t + ":" + std::to_string(++seen[t]) : t);
    return out;
}

std::vector<WindowMenuEntry> window_menu_entries(const std::vector<std::string>& titles, int active) {
    std::vector<WindowMenuEntry> out;
    const int n = static_cast<int>(titles.size());
    for (int i = 0; i < std::min(n, kWindowListLength); ++i)
        out.push_back({"&" + std::to_string(i + 1) + " " + titles[static_cast<std::size_t>(i)], i, i == active});
    if (n > kWindowListLength) out.push_back({"&More Windows...", -1, false});
    return out;
}

std::vector<QRect> cascade_layout(int count, const QRect& area, int step) {
    std::vector<QRect> out;
    if (count <= 0 || area.isEmpty()) return out;
    step = std::max(step, 1);
    // The number of offsets: as many windows as there are, while the windows
    // keep at least half the area's width and height.
    const int fit = 1 + std::min(area.width() / 2, area.height() / 2) / step;
    const int offsets = std::max(1, std::min(count, fit));
    const QSize size(area.width() - (offsets - 1) * step, area.height() - (offsets - 1) * step);
    for (int i = 0; i < count; ++i) {
        // The front window (the last) takes the last offset.
        const int k = (i + offsets - count % offsets) % offsets;
        out.emplace_back(area.topLeft() + QPoint(k * step, k * step), size);
    }
    return out;
}

std::vector<QRect> tile_layout(int count, const QRect& area) {
    std::vector<QRect> out;
    if (count <= 0 || area.isEmpty()) return out;
    const int columns = std::max(1, static_cast<int>(std::sqrt(static_cast<double>(count))));
    const int rows = count / columns, extra = count % columns;
    for (int c = 0; c < columns; ++c) {
        // Column edges by proportion, so that the columns fill the width.
        const int x0 = area.left() + area.width() * c / columns;
        const int x1 = area.left() + area.width() * (c + 1) / columns;
        const int inColumn = rows + (c >= columns - extra ? 1 : 0);
        for (int r = 0; r < inColumn; ++r) {
            const int y0 = area.top() + area.height() * r / inColumn;
            const int y1 = area.top() + area.height() * (r + 1) / inColumn;
            out.emplace_back(QPoint(x0, y0), QPoint(x1 - 1, y1 - 1));
        }
    }
    return out;
}

std::vector<QPoint> icon_positions(int count, const QRect& area, QSize icon) {
    std::vector<QPoint> out;
    if (count <= 0 || icon.isEmpty()) return out;
    const int perRow = std::max(1, area.width() / icon.width());
    for (int i = 0; i < count; ++i)
        out.emplace_back(area.left() + (i % perRow) * icon.width(),
                         area.top() + area.height() - (1 + i / perRow) * icon.height());
    return out;
}

}  // namespace fw
