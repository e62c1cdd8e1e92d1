#pragma once
// Files as the narrow (locale-encoded) file functions see them, and scratch copies for the
// names those functions cannot reach.
#include <optional>
#include <string>

namespace pw::app {

// True when a pattern search for the path in the narrow encoding finds an entry. A path the
// narrow encoding cannot express faithfully is not found: its substitute characters must
// not match other names as wildcards.
bool NarrowFileExists(const std::string& path);

// Creates the scratch folder (and the per-user folder above it) when missing. False when it
// is still missing afterwards.
bool ensureScratchFolder();

// The first free scratch path "<scratch folder>/<n>.<ext3>" for n = 1 to 99999, ext3 being
// the last three characters of nameForExtension; nullopt when all are taken. A name counts
// as taken when NarrowFileExists finds it or it exists at all, so a copy never replaces
// another even when the scratch folder's own path is beyond the narrow encoding.
std::optional<std::string> freeScratchPath(const std::string& nameForExtension);

// Copies source to the first free scratch path (replacing allowed) and returns that path,
// nullopt when no name is free. The copy's own success is not part of the result: the entry
// is still added, and the conversion meets the missing file.
std::optional<std::string> makeScratchCopy(const std::string& source,
                                           const std::string& nameForExtension);

} // namespace pw::app
