// Command-line splitting, shared by every platform.
#include "platform/process.h"

namespace {

bool isBlank(char c) { return c != 0 && static_cast<unsigned char>(c) <= ' '; }

}  // namespace

StringList splitWindowsCommandLine(const Text& commandLine)
{
    StringList args;
    const char* p = commandLine.c_str();  // stops at an embedded zero like the system does
    for (;;) {
        for (;;) {
            while (isBlank(*p)) ++p;
            if (p[0] == '"' && p[1] == '"') p += 2;
            else break;
        }
        Text arg;
        while (*p != 0 && !isBlank(*p)) {
            if (*p == '"') {
                ++p;
                while (*p != 0 && *p != '"') arg += *p++;
                if (*p == '"') ++p;
            } else {
                arg += *p++;
            }
        }
        if (arg.empty()) break;
        args.push_back(std::move(arg));
    }
    return args;
}

StringList argumentsFromArgv(int argc, char** argv)
{
    StringList args;
    args.reserve(argc > 1 ? std::size_t(argc - 1) : 0);
    // The caller has split the arguments already: an empty one (an unset
    // variable in a script) is no path, and the paths after it still are.
    for (int i = 1; i < argc && argv[i]; ++i)
        if (argv[i][0] != 0) args.emplace_back(argv[i]);
    return args;
}
