// The save chooser as the user meets it: the name typed (or the proposed one accepted) gets the
// ".txt" of the text filter, and the question about replacing a file is about the name that is
// really written.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "ui/main_window/qt_user_dialogs.h"
#include "workspace/filter_workspace.h"
#include "workspace/save_name.h"

namespace ondela {
namespace {

TEST(SaveFileName, TheTextExtensionIsAddedUnlessTheNameHasIt) {
    EXPECT_EQ(DefaultExtension(kFilterFileTypes), "txt");
    struct Case {
        const char* chosen;
        bool anyType;
        const char* saved;
    };
    const std::vector<Case> cases = {
        {"/f/FIR_31_FLT64 LowPass fs=48000 fc=8000 Att=60dB Rip=0.4dB", false,
         "/f/FIR_31_FLT64 LowPass fs=48000 fc=8000 Att=60dB Rip=0.4dB.txt"},
        {"/f/lp", false, "/f/lp.txt"},
        {"/f/lp.txt", false, "/f/lp.txt"},
        {"/f/LP.TXT", false, "/f/LP.TXT"},
        {"/f/lp.csv", false, "/f/lp.csv.txt"},
        {"/f/lp.", false, "/f/lp.txt"},
        {"/f.d/lp", false, "/f.d/lp.txt"},
        // All files: an extension the user typed stays, a name without one still gets ".txt".
        {"/f/lp.csv", true, "/f/lp.csv"},
        {"/f/lp", true, "/f/lp.txt"},
        {"/f/.hidden", true, "/f/.hidden.txt"},
        {"/f.d/lp", true, "/f.d/lp.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chosen);
        EXPECT_EQ(SaveFileName(c.chosen, "txt", c.anyType), c.saved);
    }
}

// Runs action on the next modal window of type W once it is shown.
template <typename W>
void OnNextModal(std::function<void(W*)> action) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        if (auto* w = qobject_cast<W*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            action(w);
        }
    });
    timer->start(10);
}

// In the chooser: the filter picked and the name typed, then Save.
void Answer(const QString& filter, const QString& name, QString* shown = nullptr) {
    OnNextModal<QFileDialog>([=](QFileDialog* d) {
        if (shown) *shown = d->findChild<QLineEdit*>()->text();
        d->selectNameFilter(filter);
        d->findChild<QLineEdit*>()->setText(name);
        QMetaObject::invokeMethod(d, "accept");
    });
}

class SaveChooserTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    std::optional<std::string> Choose() {
        return dialogs.ChooseFileToSave(dir.path().toStdString(), "proposed", kFilterFileTypes);
    }
    std::string In(const char* name) const { return (dir.path() + "/" + name).toStdString(); }
    void Make(const char* name) {
        QFile file(dir.path() + "/" + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }

    QTemporaryDir dir;
    QtUserDialogs dialogs;
};

const QString kText = "Text Files (*.txt)";
const QString kAll = "All Files (*)";

TEST_F(SaveChooserTest, TheNameGetsTheTextExtension) {
    QString shown;
    Answer(kText, "Lowpass Rip=0.4dB", &shown);
    EXPECT_EQ(Choose(), In("Lowpass Rip=0.4dB.txt"));
    EXPECT_EQ(shown, "proposed.txt");  // offered with the filter's extension

    Answer(kAll, "data.csv");
    EXPECT_EQ(Choose(), In("data.csv"));
    Answer(kAll, "notes");
    EXPECT_EQ(Choose(), In("notes.txt"));
}

// The name the chooser offers for a filter's title: the whole title with ".txt", the digits after
// its dots kept.
TEST_F(SaveChooserTest, TheProposedNameKeepsTheWholeTitle) {
    const struct {
        const char* proposed;
        const char* shown;
    } cases[] = {
        {"FIR_127_INT16 LowPass fs=48000 fc=10000 Att=60dB Rip=0.4dB",
         "FIR_127_INT16 LowPass fs=48000 fc=10000 Att=60dB Rip=0.4dB.txt"},
        {"FIR_127_INT16 LowPass fs=48000 fc=10000 Att=60dB Rip=1.81dB",
         "FIR_127_INT16 LowPass fs=48000 fc=10000 Att=60dB Rip=1.81dB.txt"},
        {"FIR_63_FLT64 HalfBand fs=44100 Att=90.5dB",
         "FIR_63_FLT64 HalfBand fs=44100 Att=90.5dB.txt"},
        {"lp.txt", "lp.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.proposed);
        QString shown;
        OnNextModal<QFileDialog>([&shown](QFileDialog* d) {
            shown = d->findChild<QLineEdit*>()->text();
            d->reject();
        });
        EXPECT_EQ(dialogs.ChooseFileToSave(dir.path().toStdString(), c.proposed, kFilterFileTypes),
                  std::nullopt);
        EXPECT_EQ(shown, QString::fromUtf8(c.shown));
    }
}

TEST_F(SaveChooserTest, TheReplaceQuestionIsAboutTheFinalName) {
    // A file of the typed name is no reason to ask: it is not the one written.
    Make("old.4dB");
    Answer(kText, "old.4dB");
    EXPECT_EQ(Choose(), In("old.4dB.txt"));

    // The final name exists: the question names it; No goes back to the chooser at that name.
    Make("old.4dB.txt");
    std::vector<QString> questions;
    QString shownAgain;
    Answer(kText, "old.4dB");
    OnNextModal<QMessageBox>([&](QMessageBox* box) {
        questions.push_back(box->text());
        OnNextModal<QFileDialog>([&](QFileDialog* d) {
            shownAgain = d->findChild<QLineEdit*>()->text();
            d->reject();
        });
        box->button(QMessageBox::No)->click();
    });
    EXPECT_EQ(Choose(), std::nullopt);
    EXPECT_EQ(questions,
              std::vector<QString>{"old.4dB.txt already exists.\nDo you want to replace it?"});
    EXPECT_EQ(shownAgain, "old.4dB.txt");

    Answer(kText, "OLD.4dB");
    OnNextModal<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
    Make("OLD.4dB.txt");
    EXPECT_EQ(Choose(), In("OLD.4dB.txt"));
}

}  // namespace
}  // namespace ondela
