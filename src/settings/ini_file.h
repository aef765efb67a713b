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
// - The file is read once, when the object is made, and reads are answered
//   from that copy. A write reads the file again, changes its keys in what it
//   read and rewrites it as FileSystem::editFile does (atomically where its
//   folder may be written, other writers waiting from the read to the end of
//   the write), so that what another program wrote meanwhile is kept; the
//   copy is then what the file holds. A write that would leave the file's
//   bytes as they are is not made.
#include "platform/fs.h"
#include "platform/text.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

// One key's new value, for several written in one rewrite.
struct IniValue {
    std::string_view section;
    std::string_view key;
    Text value;
};

class IniFile {
public:
    explicit IniFile(Text path, FileSystem& fs = systemFileSystem());
    ~IniFile();

    const Text& path() const { return path_; }
    // False when nothing stood at the path as the file was read (a directory
    // counts as nothing), which is a first start.
    bool existed() const { return existed_; }

    // The key's value, or def when the file, the section or the key is missing.
    Text ReadString(std::string_view section, std::string_view key, const Text& def) const;
    // "0x"/"0X" at the start of a text longer than two characters becomes "$",
    // then the integer rule; def when that fails. Never throws.
    std::int32_t ReadInteger(std::string_view section, std::string_view key, std::int32_t def) const;

    // Throw the AppError that names the path when the file cannot be written.
    void WriteString(std::string_view section, std::string_view key, const Text& value);
    // Decimal, "-" for negatives.
    void WriteInteger(std::string_view section, std::string_view key, std::int32_t value);
    // The values in order, as that many single writes would leave the file,
    // in one rewrite. Where a single write would have failed part way (the
    // file grew too large), the values before it are written, then the error.
    void WriteValues(const std::vector<IniValue>& values);

private:
    struct Copy;
    void hold(std::string contents);

    Text path_;
    FileSystem* fs_;
    bool existed_ = false;
    std::unique_ptr<Copy> copy_;  // the file as last read or written; null when unread
};
