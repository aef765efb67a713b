#pragma once
// How each rename operation forms a new name, and the check of every name
// that the two delete operations make before anything is renamed.
#include "platform/text.h"

#include <optional>
#include <string_view>

enum class Operation { StartAdd, EndAdd, ExtChange, StartDel, EndDel, Upper, Lower };

// The new full path of fullPath under the operation; typed is the text of
// the operation's field (unused by Upper and Lower). Only the name part
// changes. nullopt when the new name would not stay a name in the same
// directory (it holds a path separator or a NUL byte, or is empty, "." or
// ".."): the caller treats that as a failed rename.
std::optional<Text> newFullPath(Operation op, const Text& fullPath, const Text& typed);
// The same into to, whose room is kept from one file to the next; false
// (to unspecified) where newFullPath gives nothing. nameStart, where given,
// gets where the name begins in both paths (their folder is the same bytes).
bool newFullPathInto(Operation op, const Text& fullPath, const Text& typed, Text& to,
                     std::size_t* nameStart = nullptr);

// The new name of name (the part of a path after its folder) appended to to;
// false (to unspecified) where the old or the new name is not one entry of
// a directory, as newFullPath gives nothing for its path.
bool appendNewName(Operation op, std::string_view name, const Text& typed, Text& to);

// True for the operations that check every name before the first rename.
bool hasValidation(Operation op);

// The warning for a name that fails the operation's check, nullopt when it
// passes (always for operations without a check).
std::optional<Text> validationMessage(Operation op, const Text& fullPath, const Text& typed);

// The warning after a failed rename of fullPath.
Text renameFailedMessage(const Text& fullPath);
