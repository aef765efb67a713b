// The file-system parts that are the same on every system.
#include "platform/fs.h"

#include "platform/codepage.h"
#include "platform/codepage_walk.h"

namespace {

constexpr std::size_t nameMax = 255;  // NAME_MAX

}  // namespace

// "<name>.vorel-case-<tag>", so that a user who finds it after a crash sees
// whose file it is. A long name is cut at a character boundary to keep
// within the longest name (NAME_MAX).
Text caseTempName(const Text& name, const Text& tag)
{
    const Text suffix = ".vorel-case-" + tag;
    const std::size_t room = nameMax - suffix.size();
    if (name.size() <= room) return name + suffix;
    const CodePage cp = activeCodePage();
    std::size_t cut = 0;
    while (cut < name.size()) {
        const std::size_t next = cut + codepage_walk::charLengthIn(cp, name.data() + cut, name.size() - cut);
        if (next > room) break;
        cut = next;
    }
    return name.substr(0, cut) + suffix;
}
