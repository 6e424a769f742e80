// Starting other programs: the companion editor runs as a process of its
// own; the program does not wait for it and reads nothing back.
#pragma once

#include <string>
#include <vector>

namespace fw {

// Starts program with args (each passed whole: a path with blanks stays one
// argument) in the current directory; false when it could not be started.
bool start_detached(const std::string& program, const std::vector<std::string>& args);

// Opens the file that a dialog field names in the editor program. The
// field's blank padding is not part of the name, and a relative name is
// taken from the current directory. The file is created empty when it does
// not exist; then the editor starts with the file's full path as its one
// argument. False, after the message "Cannot create the file <name>" or
// "Cannot start the editor <program>", when either failed.
bool start_editor(const std::string& program, const std::string& field);

}  // namespace fw
