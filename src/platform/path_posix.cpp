#include "platform/path.h"

#include <cstdint>
#include <cstring>

bool isPathSeparator(char c) { return c == '/'; }

char pathSeparator() { return '/'; }

bool isSingleNameComponent(CodePage, std::string_view name)
{
    if (name.empty() || name == "." || name == "..") return false;
    // Neither a separator nor a zero byte, looked for eight bytes at a time:
    // a run checks every old and new name.
    constexpr std::uint64_t ones = 0x0101010101010101u, highs = 0x8080808080808080u;
    const auto hasZeroByte = [](std::uint64_t v) { return ((v - ones) & ~v & highs) != 0; };
    std::size_t i = 0;
    for (; i + 8 <= name.size(); i += 8) {
        std::uint64_t v;
        std::memcpy(&v, name.data() + i, 8);
        if (hasZeroByte(v) || hasZeroByte(v ^ (ones * '/'))) return false;
    }
    for (; i < name.size(); ++i)
        if (name[i] == '/' || name[i] == '\0') return false;
    return true;
}

FolderAndNameView folderAndNameView(std::string_view path)
{
    std::size_t end = path.size();
    while (end > 1 && path[end - 1] == '/') --end;
    if (end == 1 && path[0] == '/') return {"/", "/"};
    const std::size_t slash = end == 0 ? Text::npos : path.rfind('/', end - 1);
    if (slash == Text::npos) return {".", path.substr(0, end)};
    return {slash == 0 ? std::string_view("/") : path.substr(0, slash), path.substr(slash + 1, end - slash - 1)};
}

FolderAndName folderAndName(const Text& path)
{
    const FolderAndNameView split = folderAndNameView(path);
    return {Text(split.folder), Text(split.name)};
}

Text pathInFolder(const Text& folder, const Text& name)
{
    return !folder.empty() && folder.back() == '/' ? folder + name : folder + "/" + name;
}
