#include "tests/support/gtest.h"

#include "tests/support/process.h"
#include "tests/support/sanitizer_env.h"
#include "ui/link.h"

#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

TEST(DefaultScheme, CompletesLooselyWrittenLinks)
{
    const struct {
        const char* text;
        const char* scheme;
    } cases[] = {
        {"http://a", nullptr},        {"HTTP://a", nullptr},       {"https://a", nullptr},
        {"ftp://a", nullptr},         {"rtsp://a", nullptr},       {"MailTo:x@y", nullptr},
        {"www.a.example", "http://"}, {"WWW.a", "http://"},        {"ftp.a.example", "ftp://"},
        {"host.example", "http://"},  {"a@b.example/x", "http://"}, {"a@b.example", "mailto:"},
        {"", "http://"},              {"http:/", "http://"},
    };
    for (const auto& c : cases) {
        const char* scheme = DefaultScheme(c.text);
        EXPECT_STREQ(scheme ? scheme : "(none)", c.scheme ? c.scheme : "(none)") << c.text;
    }
    EXPECT_TRUE(HasPrefixNoCase("HtTp://x", "http://", 7));
    EXPECT_FALSE(HasPrefixNoCase("htt", "http", 4));
}

namespace {

// Points Wine's browser and mail launcher at a script that records the links
// it is given, so no real browser starts.
std::string InstallLinkRecorder()
{
    std::string root = std::getenv("QV_TEST_ROOT");
    std::string script = root + "/record-link";
    std::string record = root + "/links.txt";
    std::ofstream(script) << "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" << record << "'\n";
    RunCommand("chmod +x '" + script + "'", nullptr);
    HKEY key;
    RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\WineBrowser", 0, nullptr, 0, KEY_WRITE, nullptr,
                    &key, nullptr);
    for (const char* name : {"Browsers", "Mailers"})
        RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(script.c_str()),
                       static_cast<DWORD>(script.size() + 1));
    RegCloseKey(key);
    return record;
}

// The recorded links once count of them have arrived (the launcher runs on
// its own), or what is there after 20 s.
std::string WaitForLinks(const std::string& record, int count)
{
    std::string text;
    for (int i = 0; i < 200; ++i) {
        std::ifstream file(record);
        std::stringstream content;
        content << file.rdbuf();
        text = content.str();
        int lines = 0;
        for (char c : text)
            lines += c == '\n';
        if (lines >= count)
            break;
        Sleep(100);
    }
    return text;
}

}  // namespace

TEST(OpenLink, HandsCompletedLinksToTheBrowserAndMailProgram)
{
    // The shell hands links to Wine's own launcher, a plain Windows program.
    WithoutSanitizerPreload plainWindowsPrograms;
    std::string record = InstallLinkRecorder();
    OpenLink("www.quorvalent.example/download/");
    std::string links = WaitForLinks(record, 1);
    OpenLink("support@quorvalent.example");
    links = WaitForLinks(record, 2);
    EXPECT_NE(links.find("http://www.quorvalent.example/download/\n"), std::string::npos) << links;
    EXPECT_NE(links.find("mailto:support@quorvalent.example\n"), std::string::npos) << links;
}

namespace {

DWORD WINAPI OpenEachLink(LPVOID parameter)
{
    for (const std::string& link : *static_cast<const std::vector<std::string>*>(parameter))
        OpenLink(link.c_str());
    return 0;
}

// Opens each link on a thread of its own, as the worker would, and answers
// every alert that appears; returns the number of alerts titled `title`.
int OpenLinksAnsweringAlerts(const std::vector<std::string>& links, const char* title)
{
    HANDLE thread = CreateThread(nullptr, 0, OpenEachLink, const_cast<std::vector<std::string>*>(&links), 0,
                                 nullptr);
    int answered = 0;
    while (WaitForSingleObject(thread, 50) == WAIT_TIMEOUT) {
        if (HWND alert = FindWindowA(nullptr, title)) {
            PostMessageA(alert, WM_COMMAND, IDOK, 0);
            ++answered;
            // Let it go before looking for the next one.
            while (IsWindow(alert) && WaitForSingleObject(thread, 20) == WAIT_TIMEOUT) {
            }
        }
    }
    CloseHandle(thread);
    return answered;
}

}  // namespace

TEST(OpenLink, RefusesALinkThatDoesNotFitItsBuffer)
{
    std::string record = InstallLinkRecorder();
    std::string longLink = "http://www.quorvalent.example/" + std::string(kLinkBufferSize, 'a');
    EXPECT_EQ(OpenLinksAnsweringAlerts({longLink, longLink.substr(7)}, "Unable to Open URL"), 2);
    Sleep(500);
    EXPECT_EQ(WaitForLinks(record, 0), "");
}
