// The SOCKS 4 and SOCKS 5 client negotiation that Connection::ConnectVia
// (net/connection.cpp) runs on a connection to the SOCKS proxy. The
// destination always goes to the proxy as an IPv4 address. Runs on the
// thread that owns the connection.
#pragma once

#include <cstdint>

class Connection;

// Writes the text's length in one byte (texts over 255 bytes are cut to 255)
// and then its bytes without terminator; a null text writes the single byte
// 0. Returns the count of bytes written; out holds at least 256 bytes.
uint32_t PutPascalString(uint8_t* out, const char* text);

// SOCKS 4 CONNECT to address (host order) and port; a refusal throws -1
// without an alert.
void NegotiateSocks4(Connection& connection, uint32_t address, uint16_t port);

// SOCKS 5 CONNECT with no authentication or with user name and password.
// A refusal throws -1, after an alert where the user can act on it.
void NegotiateSocks5(Connection& connection, uint32_t address, uint16_t port, const char* user,
                     const char* password);
