#include <iostream>
#include <string>
#include <vector>

#include "CliCommand.h"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    // Only the program itself: tests that run commands in-process keep the default handlers.
    vantor::cli::InstallCancelHandlers();
    std::vector<std::string> args(argv, argv + argc);
    const int status = vantor::cli::RunVantorCli(args, std::cout, std::cerr, std::cin);
    vantor::cli::ClaimExit();
    return status;
}
