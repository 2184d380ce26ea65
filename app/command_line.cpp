#include "app/command_line.h"

namespace {

constexpr char kUsage[] = "; usage: tessarin [FILE]";

}  // namespace

CommandLine ReadCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    std::vector<std::string> files;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-session") {
            const bool id = i + 1 < args.size() && !args[i + 1].empty() && args[i + 1][0] != '-';
            if (!id || !line.session.empty()) {
                line.error =
                    !id ? "'-session' needs the session's ID" : "'-session' was given twice";
                return line;
            }
            line.session = args[++i];
        } else if (arg.size() > 1 && arg[0] == '-') {
            line.error = "unknown option '" + arg + "'" + kUsage;
            return line;
        } else {
            files.push_back(arg);
        }
    }
    if (files.size() > 1) {
        line.error = "one film file at most, but also '" + files[1] + "' was given" + kUsage;
    } else if (files.size() == 1 && files[0].empty()) {
        line.error = std::string("an empty file name was given") + kUsage;
    } else if (files.size() == 1) {
        line.film = files[0];
    }
    return line;
}
