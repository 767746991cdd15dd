#pragma once
// vantor-cli run inside the test's process, with settings and data folders of its own.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <sstream>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "cli/CliCommand.h"

namespace vantor::test {

class CliInProcessTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // No settings file: no input file unless --input names one.
        ::setenv("XDG_CONFIG_HOME", config_.Path().c_str(), 1);
        ::setenv("XDG_DATA_HOME", data_.Path().c_str(), 1);
    }

    // Runs `vantor-cli ARGS` with `input` as standard input; keeps what it printed in out_, err_.
    int Run(std::vector<std::string> args, const std::string& input = "") {
        args.insert(args.begin(), "vantor-cli");
        std::ostringstream out, err;
        std::istringstream in(input);
        int status = cli::RunVantorCli(args, out, err, in);
        out_ = out.str();
        err_ = err.str();
        return status;
    }
    int RunOn(const std::string& master, std::vector<std::string> args) {
        args.insert(args.begin(), {"--input", master});
        return Run(std::move(args));
    }
    // The ROM names of the match lines find or list-all printed.
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        std::istringstream lines(out_);
        for (std::string line; std::getline(lines, line);) {
            std::size_t bar = line.find('|');
            names.push_back(line.substr(bar + 1, line.find('|', bar + 1) - bar - 1));
        }
        return names;
    }

    TempDir config_, data_, files_;
    WorkingFolder workingFolder_{files_.Path()};  // a command's logs land in files_
    std::string out_, err_;
};

}  // namespace vantor::test
