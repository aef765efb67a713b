#pragma once
// Path split by a character walk from the start: the trail byte of a
// multibyte character is never taken for a separator or a period.
#include "platform/codepage.h"

// The separators of this platform: "/" on POSIX; "\" and ":" on Windows.
bool isPathSeparator(char c);
// The separator used to join a directory and a name.
char pathSeparator();

// True when name is one directory entry's name for this system: not empty,
// ".", "..", and without a separator or NUL. On POSIX the kernel takes every
// '/' byte for a separator, even one that follows a lead byte in CP932, so
// the test is by byte there; on Windows it is by character.
bool isSingleNameComponent(CodePage cp, std::string_view name);

struct PathSplit {
    Text pathPart;       // up to and including the last separator; may be empty
    Text namePart;       // the rest: base name and extension
    Text extensionPart;  // from the last '.' after the last separator; may be empty
    Text stem;           // the full path without its extension part
};

PathSplit splitPath(CodePage cp, const Text& fullPath);
// The length of the path part alone, without building the split.
std::size_t pathPartLength(CodePage cp, const Text& fullPath);

// The full path with its extension part replaced by ext; a path without an
// extension part gets ext appended ("/opt/vorel" -> "/opt/vorel.INI").
Text replaceExtension(CodePage cp, const Text& fullPath, const Text& ext);

// The folder that holds the last element of path, and that element, as this
// system splits a path (on POSIX by byte, as the kernel does); separators at
// the end are ignored. "a/b/" -> {"a", "b"}, "b" -> {".", "b"},
// "/b" -> {"/", "b"}, "/" -> {"/", "/"}.
struct FolderAndName {
    Text folder;
    Text name;
};
FolderAndName folderAndName(const Text& path);
// The same split as views into path, without copying.
struct FolderAndNameView {
    std::string_view folder;
    std::string_view name;
};
FolderAndNameView folderAndNameView(std::string_view path);
// The path of name in folder: "/" + "b" -> "/b", "a" + "b" -> "a/b".
Text pathInFolder(const Text& folder, const Text& name);
