// The printed pages of a text in a fixed-pitch font: tabs stand for blanks
// up to the next multiple of 8 columns, a line longer than the page is
// width continues on the next printed lines, and the pages are filled from
// the top. Nothing is ever written back into the text.
#pragma once

#include <QString>
#include <QStringView>
#include <vector>

namespace zpad {

using PrintedPage = std::vector<QString>;

// The pages of text (lines separated by '\n', U+2029 or U+2028) for pages
// of columns characters and rows lines (both at least 1). A line end at the
// end of the text adds no empty line; an empty text gives one empty page.
std::vector<PrintedPage> paginate(QStringView text, int columns, int rows);

}  // namespace zpad
