#include "rename/naming.h"

#include "platform/codepage.h"
#include "platform/path.h"
#include "rename/mb_string.h"

namespace {

Text newNamePart(Operation op, const PathSplit& split, const Text& typed)
{
    const Text& name = split.namePart;
    const Text& ext = split.extensionPart;
    const Text base = name.substr(0, name.size() - ext.size());
    switch (op) {
    case Operation::StartAdd:
        return typed + name;
    case Operation::EndAdd:
        return base + typed + ext;
    case Operation::ExtChange:
        return base + typed;
    case Operation::StartDel: {
        const int k = MbLength(typed);
        const int m = MbLength(name);
        return MbCopy(name, k + 1, m - k);
    }
    case Operation::EndDel: {
        const int p = MbPos(typed, name);
        return MbCopy(name, 1, p - 1) + ext;
    }
    case Operation::Upper:
    case Operation::Lower:
        break;  // newFullPath converts the name without a split
    }
    return name;
}

Text nameMessage(const Text& name, const char* tail)
{
    return fixedText("   ") + name + fixedText(tail);
}

}  // namespace

bool appendNewName(Operation op, std::string_view name, const Text& typed, Text& to)
{
    // The old and the new name must each be one entry of the same directory
    // as the system sees it; otherwise the file would move elsewhere. A name
    // holding a NUL byte cannot be handed to the system as it stands.
    const CodePage cp = activeCodePage();
    if (!isSingleNameComponent(cp, name)) return false;
    const std::size_t start = to.size();
    if (op == Operation::Upper || op == Operation::Lower)
        appendCaseText(cp, name, op == Operation::Upper, to);  // built in place, the name not split
    else
        to += newNamePart(op, splitPath(cp, Text(name)), typed);
    return isSingleNameComponent(cp, std::string_view(to).substr(start));
}

bool newFullPathInto(Operation op, const Text& fullPath, const Text& typed, Text& to, std::size_t* nameStart)
{
    if (fullPath.find('\0') != Text::npos) return false;
    // The character walk starts afresh after the folder's last separator:
    // the name is worked on alone.
    const std::size_t start = pathPartLength(activeCodePage(), fullPath);
    if (nameStart) *nameStart = start;
    to.assign(fullPath, 0, start);
    return appendNewName(op, std::string_view(fullPath).substr(start), typed, to);
}

std::optional<Text> newFullPath(Operation op, const Text& fullPath, const Text& typed)
{
    Text to;
    if (!newFullPathInto(op, fullPath, typed, to)) return std::nullopt;
    return to;
}

bool hasValidation(Operation op)
{
    return op == Operation::StartDel || op == Operation::EndDel;
}

std::optional<Text> validationMessage(Operation op, const Text& fullPath, const Text& typed)
{
    if (!hasValidation(op)) return std::nullopt;
    const PathSplit split = splitPath(activeCodePage(), fullPath);
    const Text& name = split.namePart;
    const int p = MbPos(typed, name);
    if (p == 0) return nameMessage(name, " には、指定文字列がありません。          ");
    if (op == Operation::StartDel) {
        if (p != 1) return nameMessage(name, " には、指定文字列が先頭にありません。          ");
        return std::nullopt;
    }
    if (MbLength(name) != (p - 1) + MbLength(typed) + MbLength(split.extensionPart)) {
        return nameMessage(name, " には、指定文字列が最後にありません。          ");
    }
    return std::nullopt;
}

Text renameFailedMessage(const Text& fullPath)
{
    return nameMessage(splitPath(activeCodePage(), fullPath).namePart,
                       " の変換に失敗しました。          ");
}
