// Path split by a forward character walk, shared by every platform.
#include "platform/path.h"

#include "platform/codepage_walk.h"

namespace {

struct Marks {
    std::size_t nameStart = 0;                    // just past the last separator
    std::size_t extensionStart = std::string::npos;  // the last period after it
};

Marks findMarks(CodePage cp, const Text& fullPath)
{
    Marks m;
    for (std::size_t i = 0; i < fullPath.size();) {
        const int n = codepage_walk::isAsciiByte(fullPath[i])
                          ? 1
                          : codepage_walk::charLengthIn(cp, fullPath.data() + i, fullPath.size() - i);
        if (n == 1) {
            if (isPathSeparator(fullPath[i])) {
                m.nameStart = i + 1;
                m.extensionStart = std::string::npos;
            } else if (fullPath[i] == '.') {
                m.extensionStart = i;
            }
        }
        i += n;
    }
    return m;
}

}  // namespace

PathSplit splitPath(CodePage cp, const Text& fullPath)
{
    const Marks m = findMarks(cp, fullPath);
    PathSplit s;
    s.pathPart = fullPath.substr(0, m.nameStart);
    s.namePart = fullPath.substr(m.nameStart);
    if (m.extensionStart != std::string::npos) {
        s.extensionPart = fullPath.substr(m.extensionStart);
        s.stem = fullPath.substr(0, m.extensionStart);
    } else {
        s.stem = fullPath;
    }
    return s;
}

std::size_t pathPartLength(CodePage cp, const Text& fullPath)
{
    // In a path of ASCII bytes alone, the common case, every byte is a
    // character: the last separator is found from the end, without the walk.
    bool ascii = true;
    for (const char c : fullPath) ascii &= codepage_walk::isAsciiByte(c);
    if (!ascii) return findMarks(cp, fullPath).nameStart;
    std::size_t end = fullPath.size();
    while (end > 0 && !isPathSeparator(fullPath[end - 1])) --end;
    return end;
}

Text replaceExtension(CodePage cp, const Text& fullPath, const Text& ext)
{
    return splitPath(cp, fullPath).stem + ext;
}
