// Shared parts of Scripting.FileSystemObject (lib_filesystem.cpp) and its TextStream
// (lib_textstream.cpp).
#pragma once

#include "vbscript/lib_support.h"

#include <ctime>
#include <string>
#include <string_view>
#include <system_error>

namespace vbs {

// I/O modes of OpenTextFile, as the scripting runtime numbers them.
enum class IoMode { reading = 1, writing = 2, appending = 8 };

// The path a script wrote, with `\` read as a separator as well as `/`.
std::string native_path(std::string_view script_path);

// Raises the script error for a failed file operation: `missing` (53 File not found or 76 Path
// not found) when the path does not exist, 70 Permission denied, 58 File already exists,
// 61 Disk full, 75 Path/File access error for the rest.
[[noreturn]] void raise_file_error(const std::error_code& ec, int32_t missing);

// A file time as an OLE date in local time.
double ole_from_time(std::time_t t);

// Opens a text file as a TextStream. `create` makes a missing file for writing or appending.
// `format` -1 (TristateTrue) means UTF-16: a new file gets a byte-order mark and UTF-16 text,
// and a file without a mark is read as UTF-16; otherwise text is UTF-8. A file that starts
// with a mark is read, and appended to, in its own encoding. Raises 53, 70 or 76 as the
// scripting runtime does.
Ptr<Object> open_text_stream(const std::string& path, IoMode mode, bool create, int format = 0);

} // namespace vbs

namespace vbs {

// A Drive object for the file system that holds `path` (lib_drive.cpp); raises 68 Device
// unavailable when the path does not exist.
Value make_drive(const std::string& path);
// The Drives collection: every mounted file system a user would call a drive.
Value make_drives();
// A Folder object for a path (lib_filesystem.cpp).
Value make_folder_object(const std::string& path);

} // namespace vbs
