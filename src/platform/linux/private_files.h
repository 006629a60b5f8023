#pragma once
// The program runs as root, so what it reads back from disk is hostile until proven otherwise:
// its saved registers and settings live in a directory only their owner may enter (mode 0700)
// and are read only when they are plain files owned by that owner and writable by nobody else.

#include <sys/types.h>

#include <optional>
#include <string>

namespace zanvo::linux_pc {

// Where the program keeps its files: the running state (lock, saved registers; gone at the next
// boot, as the card's state is) and the settings (kept).
inline constexpr const char* kRunDirectory = "/run/zanvo";
inline constexpr const char* kSettingsDirectory = "/var/lib/zanvo";

// Makes `path` (one level under an existing parent) a directory of mode 0700 owned by `owner`,
// or checks the one there. Empty when it is fit, else why not (nothing is changed then).
std::string PreparePrivateDirectory(const std::string& path, uid_t owner);

// The contents of `path` when it is a plain file (not a link) owned by `owner` and writable by
// no one else; nothing when it does not exist. `refusal` says why anything else is refused.
std::optional<std::string> ReadPrivateFile(const std::string& path, uid_t owner,
                                           std::string& refusal);

// Writes `contents` to `path` through a new file of mode 0600 renamed over it, so that a reader
// never sees half a file. Empty on success, else why not.
std::string WritePrivateFile(const std::string& path, const std::string& contents);

}  // namespace zanvo::linux_pc
