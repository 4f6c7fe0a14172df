// Console runs print alerts on stderr (the C library's); a StderrCapture
// keeps what was printed while it lives. Test thread.
#pragma once

#include "tests/support/linux_peer.h"

#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>

class StderrCapture {
public:
    StderrCapture() : path(TestRootFolder() + "/stderr.txt")
    {
        std::fflush(stderr);
        saved = dup(2);
        int file = open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0600);
        dup2(file, 2);
        close(file);
    }
    ~StderrCapture()
    {
        std::fflush(stderr);
        dup2(saved, 2);
        close(saved);
    }
    std::string Text() const
    {
        std::fflush(stderr);
        std::string text;
        if (FILE* file = std::fopen(path.c_str(), "rb")) {
            char piece[512];
            for (size_t got; (got = std::fread(piece, 1, sizeof piece, file)) > 0;)
                text.append(piece, got);
            std::fclose(file);
        }
        return text;
    }

private:
    std::string path;
    int saved;
};
