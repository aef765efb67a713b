// The path split, in both code pages. Input: code page, then the full path
// (NUL bytes included: the split walks every byte of the text).
#include "fuzz_input.h"

#include "platform/codepage.h"
#include "platform/path.h"

#include <vector>

namespace {

// Byte offsets where the characters of s start; a NUL byte is a character of
// its own. The last entry is s.size().
std::vector<std::size_t> characterStarts(CodePage cp, const Text& s)
{
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < s.size();) {
        starts.push_back(i);
        i += s[i] == 0 ? 1 : static_cast<std::size_t>(charLength(cp, s.c_str() + i));
    }
    starts.push_back(s.size());
    return starts;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    const CodePage cp = in.codePage();
    setActiveCodePage(cp);
    const Text path = in.rest();

    const PathSplit s = splitPath(cp, path);
    FUZZ_CHECK(s.pathPart + s.namePart == path);
    FUZZ_CHECK(s.stem + s.extensionPart == path);
    FUZZ_CHECK(s.extensionPart.size() <= s.namePart.size());
    FUZZ_CHECK(s.namePart.ends_with(s.extensionPart));

    // Where the parts meet: the name starts after a separator character (or
    // at the start), the extension at a period character; no separator
    // character in the name and no period character in the extension after
    // its first.
    const auto starts = characterStarts(cp, path);
    const std::size_t nameStart = s.pathPart.size();
    const std::size_t extStart = s.stem.size();
    bool nameStartSeen = nameStart == 0;
    bool extStartSeen = s.extensionPart.empty();
    for (std::size_t k = 0; k + 1 < starts.size(); ++k) {
        const std::size_t i = starts[k];
        const bool oneByte = starts[k + 1] - i == 1;
        const bool separator = oneByte && isPathSeparator(path[i]);
        const bool period = oneByte && path[i] == '.';
        if (i + 1 == nameStart) {
            FUZZ_CHECK(separator);
            nameStartSeen = true;
        }
        if (i >= nameStart) FUZZ_CHECK(!separator);
        if (i == extStart && !s.extensionPart.empty()) {
            FUZZ_CHECK(period);
            extStartSeen = true;
        }
        if (i >= nameStart && period) FUZZ_CHECK(!s.extensionPart.empty() && i <= extStart);
    }
    FUZZ_CHECK(nameStartSeen);
    FUZZ_CHECK(extStartSeen);

    // The directory keeps its split; a new extension replaces the old one.
    const PathSplit dir = splitPath(cp, s.pathPart);
    FUZZ_CHECK(dir.pathPart == s.pathPart && dir.namePart.empty());
    FUZZ_CHECK(splitPath(cp, s.stem).pathPart == s.pathPart);
    FUZZ_CHECK(replaceExtension(cp, path, ".INI") == s.stem + ".INI");
    return 0;
}
