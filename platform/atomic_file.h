// Replacing a file's whole content so that it is either the old file or the
// new one, never a mixture, whenever that can be done without changing what
// the file is: the settings file and SQL files are saved through here.
#pragma once

#include <string>
#include <string_view>
#include <system_error>

namespace platform {

// Mode of a file that does not exist yet: the settings file holds a password.
constexpr unsigned kOwnerOnlyMode = 0600;
// What a program's ordinary fopen gives (less the user's umask).
constexpr unsigned kOrdinaryFileMode = 0666;

// Writes data to a temporary file in the target's folder, flushes it to disk
// and renames it over the target. A symbolic link at path is followed to the
// file it names (the link stays a link). An existing target keeps its
// permission bits; a new one gets newFileMode less the umask.
//
// An existing target that the user may not write is refused (EACCES, EROFS)
// and left alone. One that a rename would change (a second hard link, an
// owner or group the user cannot give the new file) or whose folder takes no
// new file is written in place instead: truncated, written and flushed.
//
// Returns an empty error code on success. On failure it returns the system's
// reason (errno of the step that failed) and no temporary file is left
// behind; the file at path is exactly as it was, except when a write in place
// failed part way.
std::error_code WriteFileAtomically(const std::string& path, std::string_view data, unsigned newFileMode);

}  // namespace platform
