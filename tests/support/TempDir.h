#pragma once

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

// A fresh folder under /tmp for one test, removed with everything in it at
// the end. Also restores the current directory, which the library flows change.
class TempDir
{
public:
    TempDir()
    {
        char buf[] = "/tmp/annalux-test-XXXXXX";
        if (!mkdtemp(buf))
            throw std::runtime_error("mkdtemp failed");
        m_path = buf;
        char cwd[4096];
        if (getcwd(cwd, sizeof cwd))
            m_savedCwd = cwd;
    }
    ~TempDir()
    {
        if (!m_savedCwd.empty() && chdir(m_savedCwd.c_str()) != 0) {
        }
        std::string cmd = "rm -rf '" + m_path + "'";
        if (std::system(cmd.c_str()) != 0) {
        }
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }

    static void Write(const std::string& path, const std::string& bytes)
    {
        std::ofstream f(path, std::ios::binary);
        f << bytes;
    }
    static std::string Read(const std::string& path)
    {
        std::ifstream f(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    }
    // The names in folder, sorted; a temporary file left beside a saved one
    // shows here.
    static std::vector<std::string> Names(const std::string& folder)
    {
        std::vector<std::string> names;
        if (DIR* d = opendir(folder.c_str())) {
            while (dirent* e = readdir(d)) {
                std::string n = e->d_name;
                if (n != "." && n != "..")
                    names.push_back(n);
            }
            closedir(d);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::string m_path;
    std::string m_savedCwd;
};
