#include "net/connection.h"

#include <cstring>

Connection::Connection() : closed(false), localAddress(0), peerAddress(0) {}

Connection::~Connection() = default;

void Connection::WriteBlock(const void* data, uint32_t length)
{
    Write(data, length);
}

void Connection::ReadExactly(void* buffer, uint32_t length)
{
    uint8_t* bytes = static_cast<uint8_t*>(buffer);
    uint32_t done = 0;
    while (done < length)
        done += Read(bytes + done, length - done);
}

void Connection::WriteString(const char* text)
{
    Write(text, static_cast<uint32_t>(std::strlen(text)));
}
