// Help: the program's help books are folders of HTML pages. A book is named
// by its first page (".../index.html"); the page of a context number n lies
// beside it as "ctx<n in hex>.html" (for instance "ctx20080.html"), and a
// context without a page of its own shows the first page. Pages are shown in
// one help window; a book that is missing is reported in a message box.
#pragma once

#include <string>

class QWidget;

namespace fw {

// The page to show for context (0: the first page); empty when the book's
// first page does not exist.
std::string help_page(const std::string& book, unsigned context);

// The message shown for a missing book.
std::string missing_help_message(const std::string& book);

// Shows the page in the help window; false (after the message) when the
// book is missing. The help window comes to the front, above owner's window
// (the dialog or main window that asked for help), and takes input even
// while that window is modal; when that window closes, the help window
// stays open on its own. Without owner it is a window of its own.
bool show_help(const std::string& book, unsigned context = 0, QWidget* owner = nullptr);

// The help window, null while none was opened.
QWidget* help_window();

}  // namespace fw
