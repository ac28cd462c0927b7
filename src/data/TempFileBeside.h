// A temporary file beside the file it will replace: a unique name in the same
// directory (so the final rename stays on one file system and two writers
// never share it), created exclusively, with the target's permissions.
// Thread safety: any thread; names are unique per process and call.
#pragma once

#include <string>

// The open descriptor, with its path in temp; -1 with errno set on failure.
int createTempBeside(const std::string& target, std::string& temp);
