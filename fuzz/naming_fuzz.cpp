// The naming rules and name checks of the rename operations, in both code
// pages. Input: code page, operation, the typed text as a field, then the
// full path.
#include "fuzz_input.h"

#include "platform/codepage.h"
#include "platform/path.h"
#include "rename/mb_string.h"
#include "rename/naming.h"

namespace {

constexpr Operation Operations[] = {Operation::StartAdd, Operation::EndAdd, Operation::ExtChange,
                                    Operation::StartDel, Operation::EndDel, Operation::Upper,
                                    Operation::Lower};

// A text as typing produces it: no NUL byte, no malformed UTF-8, no CP932
// lead byte left without its trail byte at the end.
bool isWellFormed(CodePage cp, const Text& s)
{
    if (s.find('\0') != Text::npos) return false;
    for (const char* p = s.c_str(); *p;) {
        const int n = charLength(cp, p);
        const auto b = static_cast<unsigned char>(*p);
        if (n == 1 && cp == CodePage::Utf8 && b >= 0x80) return false;
        if (n == 1 && cp == CodePage::Cp932 && ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)))
            return false;
        p += n;
    }
    return true;
}

// The directory as the system sees it: whatever the code page, the kernel
// takes every '/' byte for a separator.
Text systemDirectory(const Text& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == Text::npos ? Text() : path.substr(0, slash + 1);
}

Text cString(const Text& s) { return s.substr(0, s.find('\0')); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    const CodePage cp = in.codePage();
    setActiveCodePage(cp);
    const Operation op = Operations[in.byte() % std::size(Operations)];
    const Text typed = in.field();
    const Text path = in.rest();

    const PathSplit split = splitPath(cp, path);
    const Text& name = split.namePart;
    const Text& ext = split.extensionPart;
    const Text base = name.substr(0, name.size() - ext.size());
    const Text margin = fixedText("   ");

    const std::optional<Text> result = newFullPath(op, path, typed);
    Text newName;
    if (result) {
        // Only the name changes, and it stays a name in the same directory,
        // both by the program's split and as the system sees the path.
        FUZZ_CHECK(result->starts_with(split.pathPart));
        newName = result->substr(split.pathPart.size());
        FUZZ_CHECK(!newName.empty() && newName != "." && newName != "..");
        FUZZ_CHECK(newName.find('\0') == Text::npos);
        const PathSplit after = splitPath(cp, *result);
        FUZZ_CHECK(after.pathPart == split.pathPart);
        FUZZ_CHECK(after.namePart == newName);
        FUZZ_CHECK(systemDirectory(*result) == systemDirectory(path));

        switch (op) {
        case Operation::StartAdd: FUZZ_CHECK(newName == typed + name); break;
        case Operation::EndAdd: FUZZ_CHECK(newName == base + typed + ext); break;
        case Operation::ExtChange: FUZZ_CHECK(newName == base + typed); break;
        case Operation::Upper: FUZZ_CHECK(newName == toUpperText(cp, name)); break;
        case Operation::Lower: FUZZ_CHECK(newName == toLowerText(cp, name)); break;
        case Operation::StartDel: FUZZ_CHECK(cString(name).ends_with(newName)); break;
        case Operation::EndDel:
            FUZZ_CHECK(newName.ends_with(ext));
            FUZZ_CHECK(cString(name).starts_with(newName.substr(0, newName.size() - ext.size())));
            break;
        }
    } else if (op == Operation::Upper || op == Operation::Lower) {
        // A name that was acceptable stays acceptable under a case change.
        // (The system splits at every '/' byte, so a name part holding one
        // after a lead byte is refused, as is a path holding a NUL.)
        const bool plainName = !name.empty() && name != "." && name != ".." &&
                               path.find('\0') == Text::npos && name.find('/') == Text::npos;
        FUZZ_CHECK(!plainName);
    }

    // The checks of the delete operations: what passes is exactly a name that
    // starts with (ends in, before its extension) the typed text.
    const std::optional<Text> message = validationMessage(op, path, typed);
    if (!hasValidation(op)) FUZZ_CHECK(!message);
    if (message) FUZZ_CHECK(message->starts_with(margin + name));
    if (hasValidation(op) && isWellFormed(cp, typed) && name.find('\0') == Text::npos) {
        if (op == Operation::StartDel) {
            FUZZ_CHECK(!message == (!typed.empty() && name.starts_with(typed)));
            if (!message && result) FUZZ_CHECK(name == typed + newName);
        }
        if (op == Operation::EndDel && !message) {
            FUZZ_CHECK(name.size() >= typed.size() + ext.size());
            const Text front = name.substr(0, name.size() - typed.size() - ext.size());
            FUZZ_CHECK(name == front + typed + ext);
            if (result) FUZZ_CHECK(newName == front + ext);
        }
    }
    FUZZ_CHECK(renameFailedMessage(path).starts_with(margin + name));
    return 0;
}
