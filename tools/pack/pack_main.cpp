// quorvalent-pack: makes, lists and extracts Quorvalent packages.
//
//   quorvalent-pack.exe [options] [--sign PRIVATE-KEY] SOURCE-FOLDER PACKAGE
//   quorvalent-pack.exe --list [--number N] PACKAGE
//   quorvalent-pack.exe --extract [--time] [--number N] PACKAGE FOLDER
//   quorvalent-pack.exe --keygen FOLDER
//   quorvalent-pack.exe --sign PRIVATE-KEY PACKAGE
//   quorvalent-pack.exe --verify PACKAGE PUBLIC-KEY...
//
// Paths may be Unix paths (starting with "/") or Windows paths.
#include "base/error_code.h"
#include "base/file_stream.h"
#include "base/text.h"
#include "package/entry_name.h"
#include "package/package_format.h"
#include "tools/pack/key_files.h"
#include "tools/pack/package_reader.h"
#include "tools/pack/package_signer.h"
#include "tools/pack/package_writer.h"
#include "tools/pack/source_scan.h"
#include "tools/pack/tool_path.h"

#include <sodium/utils.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

namespace {

const char kUsage[] =
    "usage: quorvalent-pack.exe [options] [--sign PRIVATE-KEY] SOURCE-FOLDER PACKAGE\n"
    "       quorvalent-pack.exe --list [--number N] PACKAGE\n"
    "       quorvalent-pack.exe --extract [--time] [--number N] PACKAGE FOLDER\n"
    "       quorvalent-pack.exe --keygen FOLDER       (writes private-key.pem and public-key.pem)\n"
    "       quorvalent-pack.exe --sign PRIVATE-KEY PACKAGE\n"
    "       quorvalent-pack.exe --verify PACKAGE PUBLIC-KEY...\n"
    "options:\n"
    "  --number N        package number (default 1)\n"
    "  --program NAME    the entry handed over as Quorvalent.exe (flags bit 0)\n"
    "  --store           store the archive instead of compressing it with LZMA\n"
    "  --level N         LZMA preset 0-9 (default 6)\n"
    "  --no-end-marker   end the LZMA stream without its end marker\n"
    "  --replace NAME    the folder NAME replaces an existing one (flags bit 3)\n"
    "  --delete NAME     a delete entry for NAME, ahead of every other entry\n"
    "  --trailing N      N trailing bytes after the stored archive\n"
    "  --flags N         the header's flags byte (bit 0: scrambled)\n";

struct Command {
    enum Mode { kPack, kList, kExtract, kKeygen, kSign, kVerify } mode = kPack;
    PackSettings settings;
    int32_t expectedNumber = -1;
    bool timing = false;
    std::string program;
    std::string signingKey;
    std::vector<std::string> replaced;
    std::vector<std::string> deleted;
    std::vector<std::string> paths;
};

bool ParseNumber(const char* text, uint32_t limit, uint32_t* value)
{
    char* end = nullptr;
    unsigned long long parsed = std::strtoull(text, &end, 0);
    if (!*text || *end || text[0] == '-' || parsed > limit)
        return false;
    *value = uint32_t(parsed);
    return true;
}

bool ParseNumberOption(const char* option, const char* text, uint32_t limit, uint32_t* value)
{
    if (text && ParseNumber(text, limit, value))
        return true;
    std::fprintf(stderr, "quorvalent-pack: %s needs a number from 0 to %u\n", option, limit);
    return false;
}

// Options that take a value; returns false on a bad value.
bool ParseValueOption(const std::string& option, const char* value, Command* command)
{
    uint32_t number = 0;
    if (option == "--number") {
        if (!ParseNumberOption("--number", value, 0xFFFF, &number))
            return false;
        command->settings.packageNumber = number;
        command->expectedNumber = int32_t(number);
    } else if (option == "--level") {
        if (!ParseNumberOption("--level", value, 9, &command->settings.level))
            return false;
    } else if (option == "--trailing") {
        if (!ParseNumberOption("--trailing", value, 0x7FFFFFFF, &command->settings.trailingSize))
            return false;
    } else if (option == "--flags") {
        if (!ParseNumberOption("--flags", value, 0xFF, &number))
            return false;
        command->settings.headerFlags = uint8_t(number);
    } else if (!value) {
        std::fprintf(stderr, "quorvalent-pack: %s needs a name\n", option.c_str());
        return false;
    } else if (option == "--program") {
        command->program = ToEntryName(value);
    } else if (option == "--sign") {
        command->signingKey = value;
    } else if (option == "--replace") {
        command->replaced.push_back(ToEntryName(value));
    } else {
        command->deleted.push_back(ToEntryName(value));
    }
    return true;
}

bool ParseCommandLine(int count, char** arguments, Command* command)
{
    static const char* const kValueOptions[] = {"--number",  "--level",   "--trailing", "--flags",
                                                "--program", "--replace", "--delete",   "--sign"};
    for (int i = 1; i < count; ++i) {
        std::string argument = arguments[i];
        bool takesValue = false;
        for (const char* option : kValueOptions) takesValue = takesValue || argument == option;
        if (takesValue) {
            const char* value = i + 1 < count ? arguments[++i] : nullptr;
            if (!ParseValueOption(argument, value, command))
                return false;
        } else if (argument == "--list") {
            command->mode = Command::kList;
        } else if (argument == "--extract") {
            command->mode = Command::kExtract;
        } else if (argument == "--keygen") {
            command->mode = Command::kKeygen;
        } else if (argument == "--verify") {
            command->mode = Command::kVerify;
        } else if (argument == "--time") {
            command->timing = true;
        } else if (argument == "--store") {
            command->settings.compress = false;
        } else if (argument == "--no-end-marker") {
            command->settings.endMarker = false;
        } else if (argument.size() > 1 && argument[0] == '-') {
            std::fprintf(stderr, "quorvalent-pack: unknown option %s\n%s", argument.c_str(), kUsage);
            return false;
        } else {
            command->paths.push_back(argument);
        }
    }
    // --sign with the package alone signs that package.
    if (command->mode == Command::kPack && !command->signingKey.empty() && command->paths.size() == 1)
        command->mode = Command::kSign;
    size_t paths = command->paths.size();
    bool one = command->mode == Command::kList || command->mode == Command::kKeygen ||
               command->mode == Command::kSign;
    if (command->mode == Command::kVerify ? paths < 2 : paths != (one ? 1u : 2u)) {
        std::fprintf(stderr, "%s", kUsage);
        return false;
    }
    return true;
}

// Marks the named entry with the flag; false when no entry of that type has
// the name.
bool MarkEntry(std::vector<SourceEntry>* entries, const std::string& name, bool folderOnly, uint8_t flag)
{
    for (SourceEntry& entry : *entries) {
        if ((!folderOnly || entry.type == kEntryFolder) &&
            CompareNoCase(entry.name.c_str(), name.c_str()) == 0) {
            entry.flags |= flag;
            return true;
        }
    }
    return false;
}

bool CollectEntries(const Command& command, const std::string& source, std::vector<SourceEntry>* entries,
                    std::string* error)
{
    for (const std::string& name : command.deleted) {
        // The installer refuses these; a package that carries one could never install.
        if (name.size() >= kEntryNameCapacity || !IsSafeEntryName(name.c_str()) ||
            NamesBaseFolder(name.c_str())) {
            *error = "the delete entry " + name + " cannot be installed";
            return false;
        }
        entries->push_back({kEntryDelete, 0, name, std::string(), 0, 0, 0});
    }
    if (!ScanFolder(source, entries, error))
        return false;
    if (!command.program.empty() && !MarkEntry(entries, command.program, false, kEntryFlagProgram)) {
        *error = "no entry named " + command.program;
        return false;
    }
    for (const std::string& name : command.replaced) {
        if (!MarkEntry(entries, name, true, kEntryFlagReplaceFolder)) {
            *error = "no folder named " + name;
            return false;
        }
    }
    return true;
}

bool ReadPackageFile(const std::string& path, std::vector<uint8_t>* bytes, std::string* error)
{
    try {
        FileStream file(path.c_str(), "rb");
        bytes->resize(file.GetSize());
        file.Read(bytes->data(), uint32_t(bytes->size()));
    } catch (ErrorCode) {
        *error = "cannot read " + path;
        return false;
    }
    return true;
}

// The signed package replaces the file only once it is written whole.
bool SignFile(const std::string& keyPath, const std::string& packagePath, std::string* error)
{
    uint8_t seed[kPrivateSeedSize];
    if (!ReadPrivateKey(ToWindowsPath(keyPath.c_str()), seed, error))
        return false;
    std::vector<uint8_t> package;
    bool signedWhole = ReadPackageFile(packagePath, &package, error) && SignPackage(&package, seed, error);
    sodium_memzero(seed, sizeof seed);
    if (!signedWhole) {
        *error = packagePath + ": " + *error;
        return false;
    }
    const std::string temporary = packagePath + ".signing";
    try {
        FileStream file(temporary.c_str(), "wb");
        file.Write(package.data(), uint32_t(package.size()));
        file.Close();
    } catch (ErrorCode) {
        DeleteFileA(temporary.c_str());
        *error = "cannot write " + temporary;
        return false;
    }
    if (!MoveFileExA(temporary.c_str(), packagePath.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileA(temporary.c_str());
        *error = "cannot replace " + packagePath;
        return false;
    }
    std::printf("%s: %s\n", packagePath.c_str(), DescribeSignatureBlock(package).c_str());
    return true;
}

// Exit status 1 with the reason when the package is refused.
bool Verify(const Command& command, std::string* error)
{
    const std::string packagePath = ToWindowsPath(command.paths[0].c_str());
    std::vector<TrustedKey> keys(command.paths.size() - 1);
    for (size_t i = 1; i < command.paths.size(); ++i)
        if (!ReadPublicKey(ToWindowsPath(command.paths[i].c_str()), keys[i - 1].publicKey, error))
            return false;
    std::vector<uint8_t> package;
    if (!ReadPackageFile(packagePath, &package, error))
        return false;
    PackageTrust trust = {true, keys.data(), uint32_t(keys.size()), 0};
    SignatureCheck check;
    if (!CheckPackageSignature(package, trust, &check, error)) {
        *error = packagePath + ": " + *error;
        return false;
    }
    if (check != kSignatureValid) {
        *error = packagePath + ": refused: " + DescribeSignatureCheck(check);
        return false;
    }
    std::printf("%s: %s; %s\n", packagePath.c_str(), DescribeSignatureCheck(check),
                DescribeSignatureBlock(package).c_str());
    return true;
}

bool Pack(const Command& command, std::string* error)
{
    std::string source = ToWindowsPath(command.paths[0].c_str());
    std::string package = ToWindowsPath(command.paths[1].c_str());
    while (source.size() > 3 && source.back() == '\\') source.pop_back();
    std::vector<SourceEntry> entries;
    if (!CollectEntries(command, source, &entries, error))
        return false;
    std::string report;
    if (!WritePackage(entries, command.settings, package, &report, error))
        return false;
    std::printf("%s: %s\n", package.c_str(), report.c_str());
    return command.signingKey.empty() || SignFile(command.signingKey, package, error);
}

bool Run(const Command& command, std::string* error)
{
    if (command.mode == Command::kList)
        return ListPackage(ToWindowsPath(command.paths[0].c_str()), command.expectedNumber, error);
    if (command.mode == Command::kExtract)
        return ExtractPackage(ToWindowsPath(command.paths[0].c_str()),
                              ToWindowsPath(command.paths[1].c_str()), command.expectedNumber, command.timing,
                              error);
    if (command.mode == Command::kKeygen) {
        const std::string folder = ToWindowsPath(command.paths[0].c_str());
        if (!GenerateKeyPair(folder, error))
            return false;
        std::printf("%s: a new key pair: private-key.pem (keep it off the build machines), public-key.pem\n",
                    folder.c_str());
        return true;
    }
    if (command.mode == Command::kSign)
        return SignFile(command.signingKey, ToWindowsPath(command.paths[0].c_str()), error);
    if (command.mode == Command::kVerify)
        return Verify(command, error);
    return Pack(command, error);
}

}  // namespace

int main(int count, char** arguments)
{
    Command command;
    if (!ParseCommandLine(count, arguments, &command))
        return 2;
    std::string error;
    bool done = false;
    try {
        done = Run(command, &error);
    } catch (const std::bad_alloc&) {
        error = "out of memory";
    }
    if (!done) {
        std::fprintf(stderr, "quorvalent-pack: %s\n", error.empty() ? "failed" : error.c_str());
        return 1;
    }
    return 0;
}
