// The Export dialog as real widgets on the offscreen platform: a format and a word length
// chosen, the achieved attenuation shown (checked against a plain DFT of words rounded by hand),
// the warning of a missed target, a refused identifier, and Export... writing the file through a
// chooser stub. With ONDELA_EXPORT_SHOTS=DIR it also leaves pictures of the dialog in DIR.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTest>
#include <cmath>
#include <string>
#include <vector>

#include "engine/design_engine.h"
#include "tests/cli/fixed_point_oracle.h"
#include "tests/support/named_spec.h"
#include "tests/workspace/recording_dialogs.h"
#include "ui/export/export_dialog.h"
#include "workspace/filter_workspace.h"

namespace ondela {
namespace {

using testing::ReadFile;
using testing::TempDir;

// The index of the format's entry in the dialog's list, found by its extension.
int FormatEntry(QComboBox* box, const char* extension) {
    return box->findText(QString("(%1)").arg(extension), Qt::MatchEndsWith);
}

// The attenuation a preview states, in dB; NaN when it states none.
double ShownAttenuation(const QString& text) {
    const auto m = QRegularExpression("Stop-band attenuation ([0-9.]+) dB").match(text);
    return m.hasMatch() ? m.captured(1).toDouble() : std::nan("");
}

// The attenuation of the designed filter's coefficients in w-bit words (F chosen as the largest
// that fits), by a plain DFT of words rounded by hand.
double DftAttenuation(const FilterWorkspace& ws, int w) {
    const std::vector<double> coefs(ws.m_current.taps.begin(),
                                    ws.m_current.taps.begin() + ws.m_current.achieved.numCoefs);
    const int f = testing::LargestFrac(coefs, w, false);
    std::vector<double> h;
    for (long long q : testing::HandQuantised(coefs, w, f, false))
        h.push_back(std::ldexp(static_cast<double>(q), -f));
    return -testing::StopBandPeak(testing::DftLevels(h, 16384));
}

class ExportDialogTest : public ::testing::Test {
  protected:
    ExportDialogTest() {
        ws.m_engine = &engine;
        ws.m_dialogs = &dialogs;
        ws.m_current.request = testing::Spec{};  // the 60 dB low pass of 127 taps
        ws.CreateFromSpec();
        dialogs.messages.clear();
    }
    std::unique_ptr<ExportDialog> Open() {
        auto d = std::make_unique<ExportDialog>(ws, "Ondela", "1.21", &dialogs);
        d->show();
        QApplication::processEvents();
        return d;
    }
    // Every label shows its whole text: as high as its text needs at its width, inside the
    // dialog.
    static void ExpectNothingClipped(QDialog& d) {
        for (QLabel* label : d.findChildren<QLabel*>()) {
            if (!label->isVisible() || label->text().isEmpty()) continue;
            SCOPED_TRACE(label->text().toStdString());
            if (label->wordWrap()) {
                EXPECT_GE(label->height(), label->heightForWidth(label->width()));
            } else {
                EXPECT_GE(label->width(), label->sizeHint().width());
            }
            const QRect inDialog(label->mapTo(&d, QPoint(0, 0)), label->size());
            EXPECT_TRUE(d.rect().contains(inDialog));
        }
    }

    DesignEngine engine;
    testing::RecordingDialogs dialogs;
    FilterWorkspace ws;
    TempDir dir;
};

TEST_F(ExportDialogTest, ChosenWordsShowTheirAttenuationAndExportWritesTheFile) {
    ASSERT_EQ(ws.m_current.achieved.numCoefs, 127);
    auto d = Open();
    EXPECT_EQ(d->windowTitle(), "Export Coefficients");
    EXPECT_EQ(d->NameField()->text(), "lowpass");

    d->FormatBox()->setCurrentIndex(FormatEntry(d->FormatBox(), ".vhd"));
    d->WordBitsBox()->setValue(16);
    EXPECT_TRUE(d->PreviewText().startsWith("Q0.16 (16-bit signed, 16 fraction bits)"))
        << d->PreviewText().toStdString();
    EXPECT_NEAR(ShownAttenuation(d->PreviewText()), DftAttenuation(ws, 16), 0.1);
    EXPECT_TRUE(d->WarningText().isEmpty()) << d->WarningText().toStdString();
    EXPECT_FALSE(d->FracBitsBox()->isEnabled());
    EXPECT_EQ(d->FracBitsBox()->value(), 16);  // the automatic choice, shown

    // Ten bits miss the 60 dB: the warning says so.
    QTest::keyClick(d->WordBitsBox(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(d->WordBitsBox(), "10");
    EXPECT_EQ(d->Session().choices.wordBits, 10);
    EXPECT_NEAR(ShownAttenuation(d->PreviewText()), DftAttenuation(ws, 10), 0.1);
    EXPECT_TRUE(d->WarningText().contains("misses its specification"))
        << d->WarningText().toStdString();
    EXPECT_TRUE(d->findChild<QLabel*>("warning")->isVisible());
    ExpectNothingClipped(*d);

    // Export... asks for the file and writes the package.
    const std::string path = dir / "lp_pkg.vhd";
    dialogs.fileToSave = path;
    QTest::mouseClick(d->ExportButton(), Qt::LeftButton);
    const std::string text = ReadFile(path);
    EXPECT_EQ(text.rfind("-- ", 0), 0u);
    EXPECT_NE(text.find("package lowpass_pkg is"), std::string::npos);
    EXPECT_NE(text.find("to_signed("), std::string::npos);
    EXPECT_NE(text.find("LOWPASS_WORD_BITS : positive := 10;"), std::string::npos) << text;
    EXPECT_TRUE(d->PreviewText().contains(QString::fromStdString("Written: " + path)));
    EXPECT_TRUE(dialogs.messages.empty());

    // Given fraction bits: the spin box takes them; too many saturate and are warned about.
    QTest::mouseClick(d->AutoFracBox(), Qt::LeftButton, {},
                      QPoint(6, d->AutoFracBox()->height() / 2));
    EXPECT_TRUE(d->FracBitsBox()->isEnabled());
    d->FracBitsBox()->setValue(12);
    EXPECT_EQ(d->Session().choices.fracBits, std::optional<int>(12));
    EXPECT_TRUE(d->WarningText().contains("saturated")) << d->WarningText().toStdString();
}

TEST_F(ExportDialogTest, ABadIdentifierOrNoFilterDisablesExport) {
    auto d = Open();
    EXPECT_TRUE(d->ExportButton()->isEnabled());
    d->NameField()->clear();
    QTest::keyClicks(d->NameField(), "9taps");
    EXPECT_FALSE(d->ExportButton()->isEnabled());
    EXPECT_TRUE(d->WarningText().startsWith("Nothing can be exported: The identifier"))
        << d->WarningText().toStdString();
    d->NameField()->setText("taps9");
    EXPECT_TRUE(d->ExportButton()->isEnabled());

    ws.m_current.valid = false;
    auto empty = Open();
    EXPECT_FALSE(empty->ExportButton()->isEnabled());
    EXPECT_EQ(empty->WarningText(), "Nothing can be exported: No valid filter coefs available");
    ExpectNothingClipped(*empty);
}

// Pictures of the dialog for a person to look at: 16-bit COE words of the 127-tap low pass,
// and 10-bit words that miss its 60 dB.
TEST_F(ExportDialogTest, Pictures) {
    const QString out = qEnvironmentVariable("ONDELA_EXPORT_SHOTS");
    struct Shot {
        const char* file;
        int w;
    };
    for (const Shot shot :
         {Shot{"export_dialog_16bit.png", 16}, Shot{"export_dialog_10bit.png", 10}}) {
        auto d = Open();
        d->FormatBox()->setCurrentIndex(FormatEntry(d->FormatBox(), ".coe"));
        d->WordBitsBox()->setValue(shot.w);
        QApplication::processEvents();
        ExpectNothingClipped(*d);
        const QPixmap picture = d->grab();
        EXPECT_EQ(picture.size(), d->size());
        if (!out.isEmpty()) {
            EXPECT_TRUE(picture.save(out + "/" + shot.file));
        }
    }
}

}  // namespace
}  // namespace ondela
