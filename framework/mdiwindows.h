// The rules of the document windows of a multiple-document main frame, as
// plain functions: titles made unique, the numbered window list of the
// Window menu, and where Cascade, Tile and Arrange Icons put the windows.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <string>
#include <vector>

namespace fw {

// The titles of windows in opening order: a title that several windows
// share gets ":1", ":2", ... in that order; a title of one window stays as
// it is.
std::vector<std::string> unique_titles(const std::vector<std::string>& titles);

// One item of the window list at the end of the Window menu.
struct WindowMenuEntry {
    std::string text;  // "&1 result.ep4:1"; "&More Windows..." for the rest
    int window = -1;   // index of the window in the titles; -1 for More Windows
    bool checked = false;
};

// The window list for windows of these titles (opening order) of which
// active is the active one (-1: none): the first nine numbered 1-9, the
// active one checked, and "More Windows..." when there are more than nine.
std::vector<WindowMenuEntry> window_menu_entries(const std::vector<std::string>& titles, int active);

inline constexpr int kWindowListLength = 9;

// Cascade: count windows, each step pixels right of and below the one
// before, as large as the area lets the last of them be; the offsets start
// again at the top left when the windows would get smaller than half the
// area. The last rectangle is the front window.
std::vector<QRect> cascade_layout(int count, const QRect& area, int step);

// Tile: count windows side by side in columns, wider than high: the number
// of columns is the whole part of the square root of count, each holding
// count / columns windows one above the other (the last columns one more
// when count does not divide). The rectangles fill the area exactly.
std::vector<QRect> tile_layout(int count, const QRect& area);

// Arrange Icons: the places of count minimised windows of size icon, left to
// right along the bottom of the area, a new row above when a row is full.
std::vector<QPoint> icon_positions(int count, const QRect& area, QSize icon);

}  // namespace fw
