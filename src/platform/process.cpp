// The arguments as received, on every platform.
#include "platform/process.h"

StringList argumentsFromArgv(int argc, char** argv)
{
    StringList args;
    args.reserve(argc > 1 ? std::size_t(argc - 1) : 0);
    for (int i = 1; i < argc && argv[i] && argv[i][0] != 0; ++i) args.emplace_back(argv[i]);
    return args;
}
