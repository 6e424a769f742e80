// Writing a whole binary file safely: the bytes go into a file beside it,
// which then takes its place, so a failed write never leaves half a file.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace fw {

// False when the file cannot be written; an old file then stays as it was.
bool write_file_replacing(const std::string& path, std::span<const std::uint8_t> bytes);

}  // namespace fw
