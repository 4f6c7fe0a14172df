#include "net/socks.h"

#include <algorithm>
#include <cstring>

#include "base/alert.h"
#include "base/byte_order.h"
#include "base/error_code.h"
#include "net/connection.h"

namespace {

const char kCheckSettingsText[] =
    "Check with your ISP or network administrator to make sure you have the correct proxy settings";

const uint8_t kSocks4Granted = 90;
const uint8_t kMethodUserPassword = 2;
const uint8_t kMethodNoneAcceptable = 0xFF;

[[noreturn]] void Refuse(const char* alertTitle)
{
    if (alertTitle)
        ShowAlert(alertTitle, kCheckSettingsText);
    throw ErrorCode(kErrorConnection);
}

// The alert title of a SOCKS 5 reply code, or null for codes that fail silently.
const char* Socks5ReplyTitle(uint8_t code)
{
    switch (code) {
        case 1:
            return "SOCKS Proxy: SOCKS server failure";
        case 2:
            return "SOCKS Proxy: Connection not allowed by ruleset";
        case 7:
            return "SOCKS Proxy: Command not supported";
        case 8:
            return "SOCKS Proxy: Address type not supported";
        default:
            return nullptr;
    }
}

void AuthenticateSocks5(Connection& connection, const char* user, const char* password)
{
    uint8_t request[1 + 256 + 256];
    request[0] = 1;
    uint32_t length = 1;
    length += PutPascalString(request + length, user);
    length += PutPascalString(request + length, password);
    connection.Write(request, length);
    uint8_t reply[2];
    connection.ReadExactly(reply, sizeof reply);
    if (reply[1] != 0)
        Refuse("SOCKS Proxy: Invalid username or password");
}

// After a granted SOCKS 5 request the proxy sends the address it bound; it is
// read and dropped so that the next byte belongs to the destination.
void SkipBoundAddress(Connection& connection, uint8_t addressType)
{
    uint8_t skipped[255 + 2];
    switch (addressType) {
        case 1:
            connection.ReadExactly(skipped, 6);
            break;
        case 3:
            connection.ReadExactly(skipped, 1);
            connection.ReadExactly(skipped, static_cast<uint32_t>(skipped[0]) + 2);
            break;
        case 4:
            connection.ReadExactly(skipped, 18);
            break;
        default:
            break;
    }
}

}  // namespace

uint32_t PutPascalString(uint8_t* out, const char* text)
{
    size_t length = text ? std::strlen(text) : 0;
    if (length > 255)
        length = 255;
    out[0] = static_cast<uint8_t>(length);
    if (length > 0)
        std::copy_n(text, length, out + 1);
    return static_cast<uint32_t>(length + 1);
}

void NegotiateSocks4(Connection& connection, uint32_t address, uint16_t port)
{
    uint8_t request[9] = {4, 1};
    StoreBigEndian16(request + 2, port);
    StoreBigEndian32(request + 4, address);
    request[8] = 0;
    connection.Write(request, sizeof request);
    uint8_t reply[8];
    connection.ReadExactly(reply, sizeof reply);
    if (reply[0] != 0 || reply[1] != kSocks4Granted)
        Refuse(nullptr);
}

void NegotiateSocks5(Connection& connection, uint32_t address, uint16_t port, const char* user,
                     const char* password)
{
    const uint8_t greeting[4] = {5, 2, 0, kMethodUserPassword};
    connection.Write(greeting, sizeof greeting);
    uint8_t choice[2];
    connection.ReadExactly(choice, sizeof choice);
    if (choice[1] == kMethodNoneAcceptable)
        Refuse("SOCKS Proxy: Unacceptable method");
    if (choice[1] == kMethodUserPassword)
        AuthenticateSocks5(connection, user, password);

    uint8_t request[10] = {5, 1, 0, 1};
    StoreBigEndian32(request + 4, address);
    StoreBigEndian16(request + 8, port);
    connection.Write(request, sizeof request);
    uint8_t reply[4];
    connection.ReadExactly(reply, sizeof reply);
    if (reply[1] != 0)
        Refuse(Socks5ReplyTitle(reply[1]));
    SkipBoundAddress(connection, reply[3]);
}
