#include "tests/support/gtest.h"

#include "afx/dialog_template.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

// Builds templates field by field, little-endian as the system stores them.
struct Bytes {
    std::vector<BYTE> data;
    Bytes& Word(WORD value)
    {
        data.push_back(static_cast<BYTE>(value));
        data.push_back(static_cast<BYTE>(value >> 8));
        return *this;
    }
    Bytes& Dword(DWORD value) { return Word(LOWORD(value)).Word(HIWORD(value)); }
    Bytes& Byte(BYTE value)
    {
        data.push_back(value);
        return *this;
    }
    Bytes& Text(const char* text)
    {
        for (; *text; ++text)
            Word(static_cast<BYTE>(*text));
        return Word(0);
    }
    Bytes& Align()
    {
        while (data.size() % 4)
            data.push_back(0);
        return *this;
    }
};

// One push button "OK", id 1, as an item of the plain form.
Bytes& PlainItem(Bytes& b)
{
    return b.Align()
        .Dword(WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON)  // style
        .Dword(0)                                          // extended style
        .Word(250).Word(7).Word(50).Word(14)               // x, y, cx, cy
        .Word(1)                                           // id
        .Word(0xFFFF).Word(0x0080)                         // class: button
        .Text("OK")                                        // title
        .Word(0);                                          // no creation data
}

std::vector<BYTE> PlainTemplate(bool withFont, const char* title = "")
{
    Bytes b;
    b.Dword(WS_POPUP | WS_CAPTION | DS_MODALFRAME | (withFont ? DS_SETFONT : 0))  // style
        .Dword(0)                                     // extended style
        .Word(1)                                      // item count
        .Word(0).Word(0).Word(307).Word(66)           // x, y, cx, cy
        .Word(0)                                      // no menu
        .Word(0)                                      // the dialog class
        .Text(title);                                 // title
    if (withFont)
        b.Word(8).Text("MS Sans Serif");             // point size, face
    PlainItem(b);
    return b.data;
}

std::vector<BYTE> ExtendedTemplate()
{
    Bytes b;
    b.Word(1).Word(0xFFFF)                            // version, signature
        .Dword(0)                                     // help id
        .Dword(0)                                     // extended style
        .Dword(WS_POPUP | DS_SETFONT)                 // style
        .Word(0)                                      // item count
        .Word(0).Word(0).Word(100).Word(50)           // x, y, cx, cy
        .Word(0xFFFF).Word(7)                         // menu by ordinal
        .Word(0)                                      // the dialog class
        .Text("Ex")                                   // title
        .Word(9).Word(FW_BOLD).Byte(1).Byte(2)        // points, weight, italic, charset
        .Text("Arial");                               // face
    return b.data;
}

}  // namespace

TEST(DialogTemplate, FontIsReplacedAndTheItemsFollowUnchanged)
{
    struct Case {
        const char* name;
        std::vector<BYTE> original;
        bool extended;
    };
    const Case cases[] = {
        {"plain with font", PlainTemplate(true), false},
        {"plain without font", PlainTemplate(false), false},
        {"plain with odd-length title", PlainTemplate(true, "Odd"), false},
        {"extended", ExtendedTemplate(), true},
    };
    for (const Case& c : cases) {
        CDialogTemplate edited;
        ASSERT_TRUE(edited.SetTemplate(c.original.data(), c.original.size())) << c.name;
        ASSERT_TRUE(edited.SetFont("MS Shell Dlg 2", 8)) << c.name;
        char face[LF_FACESIZE];
        WORD points = 0;
        ASSERT_TRUE(edited.GetFont(face, sizeof face, &points)) << c.name;
        EXPECT_STREQ(face, "MS Shell Dlg 2") << c.name;
        EXPECT_EQ(points, 8) << c.name;

        DialogTemplateLayout before, after;
        ASSERT_TRUE(ParseDialogTemplate(c.original.data(), c.original.size(), &before));
        const BYTE* bytes = reinterpret_cast<const BYTE*>(edited.Lock());
        ASSERT_TRUE(ParseDialogTemplate(bytes, edited.GetSize(), &after)) << c.name;
        EXPECT_EQ(after.extended, c.extended);
        EXPECT_TRUE(after.hasFont) << c.name;
        EXPECT_EQ(after.itemsOffset % 4, 0u) << c.name;
        // Header up to the font is the same but for the font style bit.
        EXPECT_EQ(std::memcmp(bytes + before.styleOffset + 4, c.original.data() + before.styleOffset + 4,
                              before.fontOffset - before.styleOffset - 4), 0) << c.name;
        size_t items = c.original.size() - before.itemsOffset;
        ASSERT_EQ(edited.GetSize() - after.itemsOffset, items) << c.name;
        EXPECT_EQ(std::memcmp(bytes + after.itemsOffset, c.original.data() + before.itemsOffset, items), 0)
            << c.name;
        if (c.extended) {  // weight, italic and character set are kept
            EXPECT_EQ(std::memcmp(bytes + after.fontOffset + 2, c.original.data() + before.fontOffset + 2, 4), 0);
        }
        edited.Unlock();
    }
}

TEST(DialogTemplate, MalformedTemplatesAndOverlongFaceNamesAreRefused)
{
    std::vector<BYTE> good = PlainTemplate(true);
    DialogTemplateLayout layout;
    ASSERT_TRUE(ParseDialogTemplate(good.data(), good.size(), &layout));
    // Every cut that ends inside the header, menu, class, title or font fails.
    for (size_t size = 0; size < layout.itemsOffset - 2; ++size) {
        CDialogTemplate cut;
        EXPECT_FALSE(cut.SetTemplate(good.data(), size)) << size;
    }
    std::vector<BYTE> unterminated = PlainTemplate(false, "Title");
    unterminated.resize(18 + 4 + 6);  // header, menu, class, "Tit" without its NUL
    CDialogTemplate broken;
    EXPECT_FALSE(broken.SetTemplate(unterminated.data(), unterminated.size()));
    EXPECT_FALSE(broken.SetFont("MS Shell Dlg 2", 8));  // nothing is held
    EXPECT_EQ(broken.Lock(), nullptr);

    CDialogTemplate edited;
    ASSERT_TRUE(edited.SetTemplate(good.data(), good.size()));
    EXPECT_FALSE(edited.SetFont("", 8));
    EXPECT_FALSE(edited.SetFont(std::string(LF_FACESIZE, 'F').c_str(), 8));
    EXPECT_TRUE(edited.SetFont(std::string(LF_FACESIZE - 1, 'F').c_str(), 8));
}

TEST(DialogTemplate, LoadsTheAlertTemplateFromTheProgram)
{
    CDialogTemplate alert;
    ASSERT_TRUE(alert.Load(nullptr, MAKEINTRESOURCEA(151)));
    char face[LF_FACESIZE];
    WORD points = 0;
    ASSERT_TRUE(alert.GetFont(face, sizeof face, &points));
    EXPECT_STREQ(face, "MS Sans Serif");
    EXPECT_EQ(points, 8);
    EXPECT_EQ(alert.Lock()->cdit, 4);
    alert.Unlock();
    CDialogTemplate missing;
    EXPECT_FALSE(missing.Load(nullptr, MAKEINTRESOURCEA(9999)));
}
