#pragma once
#include <string>
#include <string_view>

namespace fw {

// Replaces path with contents so that a reader sees either the old file or
// the new one, never a part: a temporary file beside it is written, synced and
// renamed over it. On failure the old file is untouched, the temporary file is
// removed and error (if given) says what failed.
bool WriteFileAtomically(const std::string& path, std::string_view contents, std::string* error = nullptr);

// Creates path and its missing parents as directories; true when it exists.
bool MakeDirectories(const std::string& path, std::string* error = nullptr);

} // namespace fw
