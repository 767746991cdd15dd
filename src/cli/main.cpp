#include <iostream>
#include <string>
#include <vector>

#include "CliCommand.h"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    std::vector<std::string> args(argv, argv + argc);
    return vantor::cli::RunVantorCli(args, std::cout, std::cerr, std::cin);
}
