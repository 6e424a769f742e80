// The start-up check of the working environment, made before any window
// exists: the working directory, the path file "setpath" and the writable
// data directory it names, the edition and title, the epoch text, the
// installation of a delivered settings file, and the library's path records.
// Every problem is reported in a message box and the program then ends with
// exit code 0.
#pragma once

#include <string>
#include <string_view>

#include "zelvo/app/context.h"
#include "zelvo/app/library.h"

namespace zelvo {

// Longest working directory and data directory the program accepts (the
// data directory and "observa1.dat" with a zero byte fill an 80-character
// record).
inline constexpr std::size_t kMaxWorkDir = 99;
inline constexpr std::size_t kMaxDataDir = 67;

// The notes on the start-up that the build puts beside the program (what
// the path file, the settings file and the data directory are, and what each
// message below means).
inline constexpr std::string_view kStartupDoc = "ZelvoDoc/Zelvo.txt";
std::string startupDoc(const std::string& programDir);

// The messages: what was tried, and where the notes lie (doc).
std::string msgNoPathFile(const std::string& tried, const std::string& doc);
std::string msgBadPathFile(const std::string& tried, const std::string& pathFile, const std::string& doc);
std::string msgNoSettings(const std::string& tried, const std::string& doc);
std::string msgWorkDirTooLong(const std::string& dir);
std::string msgDataDirTooLong(const std::string& dir, const std::string& doc);

// Runs the check in the current directory. programDir is the program's
// directory (ending with "/"). Fills ctx; false after a message when the
// program must end.
bool runStartupCheck(AppContext& ctx, Library& lib, const std::string& programDir);

// name in dir (ending with "/"), whatever the case of its letters; the exact
// path when no such file exists.
std::string findFileAnyCase(const std::string& dir, const std::string& name);

}  // namespace zelvo
