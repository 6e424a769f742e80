// Save As of the plot windows: one routine asks for the file, draws the plot
// into an enhanced metafile made for the window's device and writes it, and
// says so when the file cannot be written.
#pragma once

#include <functional>
#include <string>

#include "binfile.h"
#include "dc.h"

namespace fw {

class EmfDc;

// The message of a metafile that cannot be written.
inline constexpr char kEmfWriteFailed[] = "Error: Can't create Windows enhanced metafile";

// Draws the picture through draw into a metafile made for reference and
// writes it to path; a failure (nothing is left of the new file, an old one
// stays whole) holds the file's name and the reason.
WriteStatus write_emf(const std::string& path, const DeviceInfo& reference, const std::function<void(EmfDc&)>& draw);

// The Save As command of a plot window: the save dialog ("Windows Metafile
// (*.emf)", extension "emf", initialName, the overwrite question), then
// write(path), which draws and writes the metafile (write_emf). A file that
// cannot be written is reported with kEmfWriteFailed and, on a line of its
// own, the file and the reason ("Cannot write the file <path>.\n<reason>").
// True when the file was written; false after Cancel or the message.
bool save_as_emf(const std::string& initialName, const std::function<WriteStatus(const std::string&)>& write);

}  // namespace fw
