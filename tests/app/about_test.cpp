#include "app/about/about_box.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <optional>
#include <string>

#include "app/about/ondela_icon.h"
#include "app/about/version_info.h"

namespace ondela {
namespace {

VersionBlockSource Block(std::optional<std::string> text) {
    return [text] { return text; };
}

QString Line(const AboutBox& dialog, const char* name) {
    const auto* label = dialog.findChild<QLabel*>(name);
    return label != nullptr ? label->text() : QStringLiteral("(no such line)");
}

TEST(AboutBox, ShowsTheProgramsVersionData) {
    AboutBox dialog;
    EXPECT_EQ(dialog.windowTitle(), "About Ondela");
    EXPECT_EQ(Line(dialog, "productLine"), "Ondela Version 1.21");
    EXPECT_EQ(Line(dialog, "legalLine"), "Copyright (C) 2026 MQ");
    EXPECT_EQ(Line(dialog, "emailLine"), "E.mail: ondela@example.org");
    EXPECT_EQ(dialog.Strings().companyName, "MQ");

    const auto* ok = dialog.findChild<QPushButton*>("ok");
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), "OK");
    EXPECT_TRUE(ok->isDefault());
    const auto* icon = dialog.findChild<QLabel*>("icon");
    ASSERT_NE(icon, nullptr);
    EXPECT_FALSE(icon->pixmap().isNull());
}

TEST(AboutBox, LinesFollowTheVersionBlock) {
    const std::string english =
        "[StringFileInfo\\040904b0]\n"
        "ProductName = Ondela\nProductVersion = 1.21\nLegalCopyright = Copyright MQ\n";
    const std::string german =
        "[StringFileInfo\\040704e4]\n"
        "ProductName = Ondela DE\nProductVersion = 1.21 de\nLegalCopyright = Urheberrecht MQ\n";
    const std::string dashes = "----------------------------------------";
    struct Case {
        const char* what;
        std::optional<std::string> block;
        std::string product, legal, email;
    };
    const Case cases[] = {
        {"the last translation wins",
         "[VarFileInfo]\nTranslation = 0x0407 0x04e4, 0x0409 0x04b0\n" + english + german,
         "Ondela Version 1.21", "Copyright MQ", "E.mail: ondela@example.org"},
        {"the last translation wins, whichever it is",
         "[VarFileInfo]\nTranslation = 0x0409 0x04b0 0x0407 0x04e4\n" + english + german,
         "Ondela DE Version 1.21 de", "Urheberrecht MQ", "E.mail: ondela@example.org"},
        {"no version block", std::nullopt, dashes, dashes, dashes},
        {"an empty version block", "", dashes, dashes, dashes},
        {"missing strings leave their part empty",
         "[VarFileInfo]\nTranslation = 0409 04b0\n[StringFileInfo\\040904b0]\nProductName = "
         "Ondela\n",
         "Ondela Version ", "", "E.mail: ondela@example.org"},
        {"no translation table: no strings", english, " Version ", "",
         "E.mail: ondela@example.org"},
    };
    for (const Case& c : cases) {
        AboutBox dialog(nullptr, Block(c.block));
        EXPECT_EQ(Line(dialog, "productLine").toStdString(), c.product) << c.what;
        EXPECT_EQ(Line(dialog, "legalLine").toStdString(), c.legal) << c.what;
        EXPECT_EQ(Line(dialog, "emailLine").toStdString(), c.email) << c.what;
    }
}

TEST(VersionData, ReadingAgainForgetsTheEarlierStrings) {
    std::optional<std::string> block =
        "[VarFileInfo]\nTranslation = 0409 04b0\n[StringFileInfo\\040904b0]\nProductName = "
        "Ondela\n";
    VersionStrings strings;
    EXPECT_EQ(ReadVersionInfo([&] { return block; }, strings), 1);
    EXPECT_EQ(strings.productName, "Ondela");
    block.reset();
    EXPECT_EQ(ReadVersionInfo([&] { return block; }, strings), 0);
    EXPECT_EQ(strings.productName, "");
    EXPECT_EQ(strings.contactEmail, "");
}

TEST(VersionData, MainWindowCaption) {
    EXPECT_EQ(MainWindowCaption(), "Ondela 1.21");
    EXPECT_EQ(MainWindowCaption(Block(std::nullopt)), "");
}

TEST(VersionData, IconIsDrawnAtEverySize) {
    const QIcon icon = OndelaIcon();
    for (int size : {16, 32, 256}) {
        EXPECT_EQ(icon.pixmap(size, size).size(), QSize(size, size));
    }
    const QImage picture = PaintOndelaIcon(32);
    EXPECT_EQ(picture.pixelColor(0, 0).alpha(), 0) << "rounded corner";
    EXPECT_EQ(picture.pixelColor(16, 16).alpha(), 255);
}

}  // namespace
}  // namespace ondela
