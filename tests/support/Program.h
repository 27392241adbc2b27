#pragma once

// Running the built program from a test: where it is and a shell command's
// exit status.

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>

// <build>/tests/app/<test> -> <build>/app/annalux; empty when not built.
inline std::string AnnaluxExe()
{
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return {};
    for (auto dir = self.parent_path(); !dir.empty() && dir != dir.root_path();
         dir = dir.parent_path()) {
        const auto candidate = dir / "app" / "annalux";
        if (std::filesystem::exists(candidate))
            return candidate.string();
    }
    return {};
}

// The exit status of a shell command, -1 when it did not exit.
inline int RunShell(const std::string& command)
{
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
