#include "tests/support/gtest.h"

#include "afx/dialog_template.h"
#include "tests/support/data_rows.h"
#include "tests/support/test_env.h"

#include <algorithm>
#include <cstdlib>

namespace {

// The words of a data field: numbers are 16-bit words, "text" is UTF-16 with its NUL.
std::vector<WORD> Words(const std::string& field)
{
    std::vector<WORD> words;
    for (size_t at = 0; at < field.size(); ++at) {
        if (field[at] == '"') {
            size_t end = std::min(field.find('"', at + 1), field.size());
            words.insert(words.end(), field.begin() + at + 1, field.begin() + end);
            words.push_back(0);
            at = end;
        } else if (field[at] != ' ') {
            char* end = nullptr;
            words.push_back(WORD(std::strtoul(field.c_str() + at, &end, 0)));
            at = end - field.c_str();
        }
    }
    return words;
}

// Bytes `from` to `to` of a template of `size` bytes.
std::string Bytes(const void* data, size_t size, size_t from, size_t to)
{
    to = std::min(to, size);
    return to > from ? std::string(static_cast<const char*>(data) + from, to - from) : "";
}

}  // namespace

TEST(DialogTemplate, FontIsReplacedTheRestFollowsAndMalformedTemplatesAreRefused)
{
    std::vector<std::string> names = ListNames(WindowsPath(SourceDir() + "/tests/data/dialog_template/"));
    ASSERT_FALSE(names.empty());
    for (const std::string& name : names) {
        std::vector<WORD> words[2];  // the template, the font after the edit
        for (const DataRow& row : ReadDataRows("dialog_template/" + name)) {
            std::vector<WORD> more = Words(row.at(1));
            words[row[0] == "f"].insert(words[row[0] == "f"].end(), more.begin(), more.end());
        }
        const BYTE* original = reinterpret_cast<const BYTE*>(words[0].data());
        size_t size = words[0].size() * 2;
        std::string font = Bytes(words[1].data(), words[1].size() * 2, 0, words[1].size() * 2);
        DialogTemplateLayout before = {}, after = {};
        CDialogTemplate edited;
        ASSERT_TRUE(ParseDialogTemplate(original, size, &before) && edited.SetTemplate(original, size) &&
                    edited.SetFont("MS Shell Dlg 2", 8))
            << name;
        const BYTE* bytes = reinterpret_cast<const BYTE*>(edited.Lock());
        size_t edit = edited.GetSize();
        ParseDialogTemplate(bytes, edit, &after);
        // Before the font only the style's font bit may change; the items follow whole, on a DWORD.
        std::string faults;
        if (Bytes(bytes, edit, after.fontOffset, after.fontOffset + font.size()) != font)
            faults += "font wrong; ";
        if (Bytes(bytes, edit, before.styleOffset + 4, before.fontOffset) !=
            Bytes(original, size, before.styleOffset + 4, before.fontOffset))
            faults += "header changed; ";
        if (after.itemsOffset % 4 ||
            Bytes(bytes, edit, after.itemsOffset, edit) != Bytes(original, size, before.itemsOffset, size))
            faults += "items lost; ";
        for (size_t cut = 0; cut + 2 < before.itemsOffset; ++cut) {
            if (CDialogTemplate().SetTemplate(original, cut)) {
                faults += "cut at " + std::to_string(cut) + " taken";
                break;
            }
        }
        EXPECT_EQ(faults, "") << name;
        edited.Unlock();
    }
    CDialogTemplate empty, alert;
    EXPECT_FALSE(empty.Load(nullptr, MAKEINTRESOURCEA(9999)) || empty.SetFont("MS Shell Dlg 2", 8) ||
                 empty.Lock())
        << "a missing template: nothing is held to edit";
    ASSERT_TRUE(alert.Load(nullptr, MAKEINTRESOURCEA(151)));
    EXPECT_FALSE(alert.SetFont("", 8) || alert.SetFont(std::string(LF_FACESIZE, 'F').c_str(), 8));
    EXPECT_TRUE(alert.SetFont(std::string(LF_FACESIZE - 1, 'F').c_str(), 8));
}
