// Replacing a file's whole content so that it is either the old file or the
// new one, never a mixture, whatever happens during the write: the settings
// file and SQL files are saved through here.
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
// Returns an empty error code on success. On failure it returns the system's
// reason (errno of the step that failed), the file at path is exactly as it
// was, and no temporary file is left behind.
std::error_code WriteFileAtomically(const std::string& path, std::string_view data, unsigned newFileMode);

}  // namespace platform
