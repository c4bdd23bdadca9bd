// The version text of a program file. Linux executables have no version resource, so each of our
// programs carries its FileVersion text in an ELF note of its own (owner "Orvellan", type 1), put
// there by the build. It is read from the file's bytes by a small, bounds-checked ELF reader;
// the file is never run.
#pragma once

#include <cstdint>
#include <string>

// The owner name and type of the note that holds a program's FileVersion text.
inline constexpr char kFileVersionNoteOwner[] = "Orvellan";
inline constexpr uint32_t kFileVersionNoteType = 1;

// The longest version text a note may hold; a larger note is refused as damaged.
inline constexpr uint32_t kFileVersionNoteMaxText = 256;

// The FileVersion text of the ELF file at path (UTF-8), up to its first zero byte. False when the
// file cannot be read, is not ELF, or has no such note, or when a note is truncated or oversized.
bool ReadFileVersionNote(const std::string& path, std::string* text);
