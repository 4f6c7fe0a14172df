// The "Proxies" record in the preferences folder: both magics, the record
// version and the eleven settings in a fixed order, numbers big-endian, each
// text a length byte and that many bytes. Passwords are stored as they are,
// so the file is made readable by its owner only.
#pragma once

#include <cstdint>

class DataStream;
class ProxySettings;

// The file's name inside the preferences folder.
extern const char kProxiesFileName[];

struct ProxiesRecord {
    static const uint8_t kFirstMagic[4];   // "QVqv"
    static const uint8_t kSecondMagic[4];  // "Prox"
    static const uint32_t kVersion = 1;

    // Reads a record into the settings' fields. A wrong magic or version, a
    // text of 64 bytes or more or a short record throws -3, possibly after
    // some fields were stored.
    static void Read(DataStream& stream, ProxySettings& settings);
    // Writes the settings as a record; failures of the stream throw -3.
    static void Write(DataStream& stream, const ProxySettings& settings);
};
