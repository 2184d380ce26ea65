#include "app/command_line.h"

namespace {

constexpr char kUsage[] = "; usage: tessarin [FILE]";

}  // namespace

CommandLine ReadCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    for (const std::string& arg : args) {
        if (arg.size() > 1 && arg[0] == '-') {
            line.error = "unknown option '" + arg + "'" + kUsage;
            return line;
        }
    }
    if (args.empty()) return line;
    if (args.size() > 1) {
        line.error = "one film file at most, but also '" + args[1] + "' was given" + kUsage;
    } else if (args[0].empty()) {
        line.error = std::string("an empty file name was given") + kUsage;
    } else {
        line.film = args[0];
    }
    return line;
}
