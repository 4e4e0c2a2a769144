#include "ui/editor/editor_text.h"

#include <gtest/gtest.h>

namespace ondela {
namespace {

TEST(FileNameForTitle, TakesThePartAfterTheLastSeparator) {
    const struct {
        const char* path;
        const char* name;
    } cases[] = {
        {"C:\\filters\\lp.txt", "lp.txt"},
        {"/home/ana/filters/lp.txt", "lp.txt"},
        {"C:\\filters/mixed\\hp.txt", "hp.txt"},
        {"C:lp.txt", "lp.txt"},                        // a drive without a directory
        {"lp.txt", "lp.txt"},                          // no separator
        {"/home/ana/filters/", "/home/ana/filters/"},  // nothing after the separator
        {"C:\\filters\\\nx", "C:\\filters\\\nx"},      // a line feed after it
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FileNameForTitle(c.path), c.name) << c.path;
    }
}

TEST(EditorText, BytesAndLineEndsSurviveTheWayInAndOut) {
    const QByteArray bytes("Type = LowPass\r\nfs = 48000\r\n\xB5s\r\n");
    const QString text = EditorTextFromBytes(bytes.constData(), int(bytes.size()));
    EXPECT_EQ(text, QString::fromUtf8("Type = LowPass\nfs = 48000\n\xC2\xB5s\n"));
    EXPECT_EQ(EditorTextToBytes(text), bytes);
    EXPECT_EQ(EditorTextToFileBytes(text),
              QByteArray("Type = LowPass\r\nfs = 48000\r\n\xC2\xB5s\r\n"));

    // A lone CR is a line break too; a zero byte ends the text; a negative length is nothing.
    EXPECT_EQ(EditorTextFromBytes("a\rb\0c", 5), QStringLiteral("a\nb"));
    EXPECT_EQ(EditorTextFromBytes("abc", -1), QString());
    EXPECT_EQ(EditorTextFromBytes(nullptr, 3), QString());
    // A character without a single-byte form cannot reach the designer as it is.
    EXPECT_EQ(EditorTextToBytes(QString::fromUtf8("\xE2\x82\xAC"
                                                  "1")),
              QByteArray("?1"));
}

}  // namespace
}  // namespace ondela
