#include "settings/qt_settings_store.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <string>

#include "settings/preferences.h"

namespace ondela {
namespace {

// Points the user's INI folder at a temporary directory, so the user's real settings are
// never touched.
class QtSettingsStoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path());
    }

    std::string IniText(const QtSettingsStore& store) const {
        QFile file(QString::fromStdString(store.FileName()));
        if (!file.open(QIODevice::ReadOnly)) return {};
        return file.readAll().toStdString();
    }

    QTemporaryDir m_dir;
};

TEST_F(QtSettingsStoreTest, FirstRunCreatesTheFileWithTypedValues) {
    QtSettingsStore store;
    Preferences prefs(&store);
    ASSERT_TRUE(prefs.OpenKeys());
    EXPECT_EQ(store.FileName(), (m_dir.path() + "/MQ/Ondela.ini").toStdString());

    FilterSpec filter;
    prefs.LoadSpec(filter);
    EXPECT_EQ(filter.fs, 48000.0);
    EXPECT_EQ(filter.maxCoefs, 127);

    const std::string ini = IniText(store);
    EXPECT_NE(ini.find("[Preferences]"), std::string::npos) << ini;
    EXPECT_NE(ini.find("NBCOEFS=dword:0000007f"), std::string::npos) << ini;
    EXPECT_NE(ini.find("TYPE=dword:00000001"), std::string::npos) << ini;
    EXPECT_NE(ini.find("FS=48000.0"), std::string::npos) << ini;

    // A later run finds the values, including a long path.
    const std::string path = "/home/user/" + std::string(290, 'd') + "/filter, 2.txt";
    prefs.SetString("FileInPath", path);
    filter.fs = 44100.0;
    prefs.SaveSpec(filter);

    QtSettingsStore again;
    Preferences later(&again);
    ASSERT_TRUE(later.OpenKeys());
    FilterSpec loaded;
    later.LoadSpec(loaded);
    EXPECT_EQ(loaded.fs, 44100.0);
    std::string out;
    later.GetString("FileInPath", out, "");
    EXPECT_EQ(out, path);
}

TEST_F(QtSettingsStoreTest, TextsAndNumbersAreToldApart) {
    QtSettingsStore store;
    ASSERT_TRUE(store.OpenKey(SettingsKey::Root));
    ASSERT_TRUE(store.OpenKey(SettingsKey::Preferences));

    ASSERT_TRUE(store.WriteString("NBCOEFS", "a long text under a number"));
    EXPECT_FALSE(store.ReadUnsigned("NBCOEFS").has_value());
    ASSERT_TRUE(store.WriteString("TYPE", "127"));  // a plain number text is still a text
    EXPECT_FALSE(store.ReadUnsigned("TYPE").has_value());

    ASSERT_TRUE(store.WriteUnsigned("COEF_FORMAT", 0xFFFFFFFFu));
    EXPECT_EQ(store.ReadUnsigned("COEF_FORMAT"), 0xFFFFFFFFu);
    EXPECT_FALSE(store.ReadString("COEF_FORMAT", 128).has_value());

    // A text that looks like a stored number stays a text.
    for (const std::string text : {"dword:00000005", "text:x", "@Invalid()", " ", ""}) {
        ASSERT_TRUE(store.WriteString("FS", text));
        EXPECT_EQ(store.ReadString("FS", 128), text);
        EXPECT_FALSE(store.ReadUnsigned("FS").has_value());
    }

    ASSERT_TRUE(store.WriteString("F1", std::string(127, '7')));
    EXPECT_TRUE(store.ReadString("F1", 128).has_value());
    EXPECT_FALSE(store.ReadString("F1", 127).has_value());
    EXPECT_FALSE(store.ReadString("NEVER_WRITTEN", 128).has_value());

    // Through Preferences the wrong-typed value is replaced by its default, as a number.
    Preferences prefs(&store);
    EXPECT_EQ(prefs.GetUnsigned("NBCOEFS", 127), 127u);
    EXPECT_EQ(store.ReadUnsigned("NBCOEFS"), 127u);
}

TEST_F(QtSettingsStoreTest, AFolderThatCannotBeCreatedFailsToOpen) {
    // The settings folder would have to be created below a plain file.
    QFile blocker(m_dir.path() + "/blocker");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path() + "/blocker");

    QtSettingsStore store;
    Preferences prefs(&store);
    EXPECT_FALSE(prefs.OpenKeys());
    EXPECT_FALSE(prefs.IsOpen());
    EXPECT_EQ(prefs.GetUnsigned("TYPE", 1), 0u);
}

// The file is writable but its folder is not: the file can be saved only by replacing it, which
// the folder refuses, so the store cannot really be written and does not open. Root writes into
// any folder: then the check runs in a child process as the unprivileged "nobody".
TEST_F(QtSettingsStoreTest, AWritableFileInAFolderThatIsNotDoesNotOpen) {
    const QString folder = m_dir.path() + "/MQ";
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString ini = folder + "/Ondela.ini";
    {
        QFile file(ini);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[Preferences]\nTYPE=dword:00000002\n");
    }
    const auto everyone = QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther |
                          QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther;
    ASSERT_TRUE(QFile::setPermissions(m_dir.path(), everyone | QFileDevice::WriteOwner));
    ASSERT_TRUE(QFile::setPermissions(ini, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                               QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                               QFileDevice::ReadOther | QFileDevice::WriteOther));
    ASSERT_TRUE(QFile::setPermissions(folder, everyone));

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(3);
        QtSettingsStore store;
        Preferences prefs(&store);
        _exit(prefs.OpenKeys() ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    QFile::setPermissions(folder, everyone | QFileDevice::WriteOwner);
    if (WEXITSTATUS(status) == 3) GTEST_SKIP() << "running as root without the right to drop it";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the store opened";
    QFile file(ini);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toStdString(), "[Preferences]\nTYPE=dword:00000002\n");
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"Ondela.ini"});
}

TEST_F(QtSettingsStoreTest, OpeningLeavesTheStoredValuesAsTheyWere) {
    {
        QtSettingsStore store;
        ASSERT_TRUE(store.OpenKey(SettingsKey::Root));
        ASSERT_TRUE(store.OpenKey(SettingsKey::Preferences));
        ASSERT_TRUE(store.WriteString("FS", "44100.000000"));
    }
    QtSettingsStore store;
    ASSERT_TRUE(store.OpenKey(SettingsKey::Root));
    ASSERT_TRUE(store.OpenKey(SettingsKey::Preferences));
    EXPECT_EQ(store.ReadString("FS", 128), "44100.000000");
    EXPECT_EQ(IniText(store), "[Preferences]\nFS=44100.000000\n");
}

}  // namespace
}  // namespace ondela
