// A temporary file beside the file it will replace: a unique name in the same
// directory (so the final rename stays on one file system and two writers
// never share it), created exclusively, with the target's permissions.
// Thread safety: any thread; names are unique per process and call.
#pragma once

#include <string>
#include <string_view>

// The open descriptor, with its path in temp; -1 with errno set on failure,
// EISDIR or EINVAL when target exists and is no regular file.
int createTempBeside(const std::string& target, std::string& temp);

// Why no file can be written at path, translated and without the path; empty
// when one may be (nothing is there, or a regular file). A folder, a device
// or a FIFO in its place is named, never replaced.
std::string writeTargetProblem(const std::string& path);

// Replaces (or creates) target with bytes through a temporary file beside it,
// flushed to the disk before the rename, so a reader sees the old file or the
// new one whole. False with errno set on failure; the target is untouched then.
bool replaceFileWith(const std::string& target, std::string_view bytes);
