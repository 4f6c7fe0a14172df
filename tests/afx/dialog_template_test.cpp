#include "tests/support/gtest.h"

#include "afx/dialog_template.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

// Templates are sequences of little-endian 16-bit words; texts are UTF-16 with their NUL.
using Words = std::vector<WORD>;

Words operator+(Words words, const Words& more)
{
    words.insert(words.end(), more.begin(), more.end());
    return words;
}

Words Text(const char* text)
{
    Words words(text, text + std::strlen(text));
    words.push_back(0);
    return words;
}

Words Dword(DWORD value)
{
    return {LOWORD(value), HIWORD(value)};
}

// A push button "OK", id 1, DWORD-aligned after what comes before it.
Words Item(const Words& before)
{
    Words padding(before.size() % 2);
    return before + padding + Dword(WS_CHILD | BS_DEFPUSHBUTTON) + Dword(0) + Words{250, 7, 50, 14, 1} +
           Words{0xFFFF, 0x0080} + Text("OK") + Words{0};
}

// The plain form: style, extended style, count, x, y, cx, cy, no menu, the dialog class, a title, the font.
Words Plain(bool withFont, const char* title)
{
    Words header = Dword(WS_POPUP | WS_CAPTION | (withFont ? DS_SETFONT : 0)) + Dword(0) +
                   Words{1, 0, 0, 307, 66, 0, 0} + Text(title);
    return Item(withFont ? header + Words{8} + Text("MS Sans Serif") : header);
}

// The extended form: version 1 and 0xFFFF, help id, extended style, style, count, x, y, cx, cy, a menu by
// ordinal, the dialog class, a title, then points, weight, italic and character set, and the face.
Words Extended()
{
    return Words{1, 0xFFFF} + Dword(0) + Dword(0) + Dword(WS_POPUP | DS_SETFONT) + Words{0, 0, 0, 100, 50} +
           Words{0xFFFF, 7, 0} + Text("Ex") + Words{9, FW_BOLD, 0x0201} + Text("Arial");
}

const Words kShellFont = Words{8} + Text("MS Shell Dlg 2");

Words Read(const BYTE* bytes, size_t from, size_t to)
{
    return Words(reinterpret_cast<const WORD*>(bytes + from), reinterpret_cast<const WORD*>(bytes + to));
}

}  // namespace

TEST(DialogTemplate, FontIsReplacedAndTheItemsFollowUnchanged)
{
    const struct {
        const char* name;
        Words original, font;  // the font as it must read after the edit
    } cases[] = {{"plain with font", Plain(true, ""), kShellFont},
                 {"plain without font", Plain(false, ""), kShellFont},
                 {"plain with odd-length title", Plain(true, "Odd"), kShellFont},
                 {"extended keeps weight, italic and character set", Extended(),
                  Words{8, FW_BOLD, 0x0201} + Text("MS Shell Dlg 2")}};
    for (const auto& c : cases) {
        const BYTE* original = reinterpret_cast<const BYTE*>(c.original.data());
        size_t size = c.original.size() * 2;
        CDialogTemplate edited;
        ASSERT_TRUE(edited.SetTemplate(original, size) && edited.SetFont("MS Shell Dlg 2", 8)) << c.name;
        DialogTemplateLayout before, after;
        ParseDialogTemplate(original, size, &before);
        const BYTE* bytes = reinterpret_cast<const BYTE*>(edited.Lock());
        ASSERT_TRUE(ParseDialogTemplate(bytes, edited.GetSize(), &after)) << c.name;
        EXPECT_TRUE(after.hasFont && after.itemsOffset % 4 == 0) << c.name;
        EXPECT_EQ(Read(bytes, after.fontOffset, after.fontOffset + c.font.size() * 2), c.font) << c.name;
        // Before the font only the style's font bit may change; the items follow whole.
        EXPECT_EQ(Read(bytes, before.styleOffset + 4, before.fontOffset),
                  Read(original, before.styleOffset + 4, before.fontOffset))
            << c.name;
        EXPECT_EQ(Read(bytes, after.itemsOffset, edited.GetSize()), Read(original, before.itemsOffset, size))
            << c.name;
        edited.Unlock();
    }
}

TEST(DialogTemplate, MalformedTemplatesAndOverlongFaceNamesAreRefused)
{
    Words good = Plain(true, "Title");
    DialogTemplateLayout layout;
    ASSERT_TRUE(ParseDialogTemplate(reinterpret_cast<const BYTE*>(good.data()), good.size() * 2, &layout));
    // Every cut inside the header, menu, class, title or font fails, as does "Title" without its NUL.
    for (size_t size = 0; size < layout.itemsOffset - 2; ++size)
        EXPECT_FALSE(CDialogTemplate().SetTemplate(good.data(), size)) << size;
    Words unterminated = Plain(false, "Title");
    EXPECT_FALSE(CDialogTemplate().SetTemplate(unterminated.data(), (9 + 2 + 5) * 2));
    CDialogTemplate empty;
    EXPECT_FALSE(empty.Load(nullptr, MAKEINTRESOURCEA(9999)));
    EXPECT_FALSE(empty.SetFont("MS Shell Dlg 2", 8)) << "nothing is held";
    EXPECT_EQ(empty.Lock(), nullptr);

    CDialogTemplate alert;
    ASSERT_TRUE(alert.Load(nullptr, MAKEINTRESOURCEA(151)));
    EXPECT_FALSE(alert.SetFont("", 8));
    EXPECT_FALSE(alert.SetFont(std::string(LF_FACESIZE, 'F').c_str(), 8));
    EXPECT_TRUE(alert.SetFont(std::string(LF_FACESIZE - 1, 'F').c_str(), 8));
}
