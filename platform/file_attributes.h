// Questions about a path that open nothing.
#pragma once

#include <string>

namespace tolva::platform {

// True when the file is read-only (its owner may not write it) or its attributes cannot be read.
bool IsReadOnly(const std::string& path);

// True when something other than a folder exists at `path` (links are followed).
bool FileExists(const std::string& path);

// True when a folder exists at `path`.
bool FolderExists(const std::string& path);

}  // namespace tolva::platform
