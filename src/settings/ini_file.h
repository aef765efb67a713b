#pragma once
// The settings file: an initialization file read and written by our own
// reader and writer, compatible with files of the Windows facility.
//
// - Sections and keys match without regard to the case of one-byte letters,
//   character by character in the active code page; the first matching
//   section and key win.
// - Blanks (space, tab and the end-of-file mark 0x1A) around keys and values
//   are trimmed, and one pair of surrounding
//   double or single quotes is removed on read. A value with leading or
//   trailing blanks is written in double quotes so that it reads back as it
//   was. A value read is at most 1023 bytes.
// - Lines end in CR LF; comments, lines we do not understand and other
//   sections are kept byte for byte.
// - Only the first 16 MiB of a file are read; a larger file, or anything that
//   is not a regular file, is never rewritten (the write fails).
// - Every write rewrites the file as FileSystem::rewriteFile does: atomically
//   where its folder may be written. Nothing is cached: each read and write
//   is a request of its own.
#include "platform/fs.h"
#include "platform/text.h"

#include <cstdint>

class IniFile {
public:
    explicit IniFile(Text path, FileSystem& fs = systemFileSystem());

    const Text& path() const { return path_; }

    // The key's value, or def when the file, the section or the key is missing.
    Text ReadString(const Text& section, const Text& key, const Text& def) const;
    // Throws AppError "<path> に書き込めません" when the file cannot be written.
    void WriteString(const Text& section, const Text& key, const Text& value);
    // "0x"/"0X" at the start of a text longer than two characters becomes "$",
    // then the integer rule; def when that fails. Never throws.
    std::int32_t ReadInteger(const Text& section, const Text& key, std::int32_t def) const;
    // Decimal, "-" for negatives, through WriteString.
    void WriteInteger(const Text& section, const Text& key, std::int32_t value);

private:
    Text path_;
    FileSystem* fs_;
};
