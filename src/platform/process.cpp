// The arguments as received, on every platform.
#include "platform/process.h"

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
