// Runs a program as a child process and collects what it printed and how it ended.
#pragma once

#include <map>
#include <string>
#include <vector>

struct ProcessResult {
    std::string out;
    std::string err;
    int exitStatus = -1;  // the exit status, or 128 + signal number when killed by a signal
};

struct ProcessOptions {
    std::map<std::string, std::string> environment;  // set on top of the test's own environment
    std::string workingDirectory;                    // empty: the test's own
    std::string input;                               // written to the child's standard input
    int timeoutSeconds = 60;                         // the child is killed after this
};

// Runs program with arguments (argument 0 is the program itself).
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const ProcessOptions& options = {});
