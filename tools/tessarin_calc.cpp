// tessarin-calc: the calculation of the main window for encoding scripts.
#include <iostream>
#include <string_view>
#include <vector>

#include "tools/calc_run.h"

int main(int argc, char** argv) {
    const std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const int status = calc::RunCalc(args, std::cout, std::cerr);
    std::cout.flush();
    // A full disk or a closed pipe must not pass for a result.
    if (!std::cout) {
        std::cerr << "tessarin-calc: cannot write the result\n";
        return calc::kExitUsage;
    }
    return status;
}
