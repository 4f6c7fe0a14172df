// A web server's answer to a request for a whole file or for its rest from
// an offset (Range), as the fault tests serve it through a scripted peer.
#pragma once

#include <string>

// The status line and the headers up to the chunked or sized body's own:
// "200 OK" for offset 0, otherwise "206" with the Content-Range of the rest.
inline std::string AnswerHead(const std::string& file, size_t offset)
{
    if (offset == 0)
        return "HTTP/1.1 200 OK\r\n";
    return "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes " + std::to_string(offset) + "-" +
           std::to_string(file.size() - 1) + "/" + std::to_string(file.size()) + "\r\n";
}

// The whole answer with a body sized by Content-Length.
inline std::string SizedAnswer(const std::string& file, size_t offset)
{
    return AnswerHead(file, offset) + "Content-Length: " + std::to_string(file.size() - offset) + "\r\n\r\n" +
           file.substr(offset);
}
