// Starting other programs: the companion editor runs as a process of its
// own; the program does not wait for it and reads nothing back.
#pragma once

#include <string>
#include <vector>

namespace fw {

// Starts program with args (each passed whole: a path with blanks stays one
// argument) in the current directory; false when it could not be started.
bool start_detached(const std::string& program, const std::vector<std::string>& args);

// Opens path in the editor program: the file is created empty when it does
// not exist, then the editor starts with the path as its one argument. False
// (after the message "Cannot start the editor <program>") when it could not
// be started.
bool start_editor(const std::string& program, const std::string& path);

}  // namespace fw
