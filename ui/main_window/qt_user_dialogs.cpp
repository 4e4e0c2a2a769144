#include "ui/main_window/qt_user_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

#include "workspace/save_name.h"

namespace ondela {

QString QtNameFilter(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split('|');
    QStringList names;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString name = parts[i];
        // Qt reads the patterns from the parentheses; "*.*" would ask for a dot in every name.
        name.replace("(*.*)", "(*)");
        names << name;
    }
    return names.join(";;");
}

namespace {

// Where a file chooser starts: the initial name in the initial folder.
QString StartPath(const std::string& initialDir, const std::string& initialName) {
    const QString dir = QString::fromStdString(initialDir);
    return initialName.empty() ? dir : QDir(dir).filePath(QString::fromStdString(initialName));
}

std::optional<std::string> Chosen(const QString& path) {
    if (path.isEmpty()) return std::nullopt;
    return QDir::toNativeSeparators(path).toStdString();
}

}  // namespace

MessageAnswer QtUserDialogs::MessageBox(const std::string& text, const std::string& caption,
                                        MessageButtons buttons, MessageIcon icon) {
    QMessageBox box(m_parent);
    box.setWindowTitle(QString::fromStdString(caption));
    box.setText(QString::fromStdString(text));
    switch (icon) {
        case MessageIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case MessageIcon::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case MessageIcon::Error:
            box.setIcon(QMessageBox::Critical);
            break;
        case MessageIcon::None:
            break;
    }
    if (buttons == MessageButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
    } else if (buttons == MessageButtons::SaveDiscardCancel) {
        box.setStandardButtons(QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Save);
        box.setEscapeButton(QMessageBox::Cancel);
        // Each answer at a key: Alt+S, Alt+D, and Escape for Cancel.
        box.button(QMessageBox::Save)->setText(QStringLiteral("&Save"));
        box.button(QMessageBox::Discard)->setText(QStringLiteral("&Discard"));
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    // A message must not show the hourglass of the design it reports on.
    const bool wasWaiting = m_waiting;
    if (wasWaiting) SetWaitPointer(false);
    const int answer = box.exec();
    if (wasWaiting) SetWaitPointer(true);
    switch (answer) {
        case QMessageBox::Yes:
            return MessageAnswer::Yes;
        case QMessageBox::No:
            return MessageAnswer::No;
        case QMessageBox::Ok:
            return MessageAnswer::Ok;
        case QMessageBox::Save:
            return MessageAnswer::Save;
        case QMessageBox::Discard:
            return MessageAnswer::Discard;
        default:
            return MessageAnswer::Cancel;
    }
}

std::optional<std::string> QtUserDialogs::ChooseFileToOpen(const std::string& initialDir,
                                                           const std::string& initialName,
                                                           const std::string& filter) {
    return Chosen(QFileDialog::getOpenFileName(
        m_parent, QString(), StartPath(initialDir, initialName), QtNameFilter(filter)));
}

std::optional<std::string> QtUserDialogs::ChooseFileToSave(const std::string& initialDir,
                                                           const std::string& initialName,
                                                           const std::string& filter) {
    const QString names = QtNameFilter(filter);
    const QString textFilter = names.section(QStringLiteral(";;"), 0, 0);
    const std::string extension = DefaultExtension(filter);
    // The proposed name carries the text filter's extension already: the chooser would take
    // whatever follows a last dot for an extension and replace it by the filter's ("… Rip=0.4dB"
    // would be offered as "… Rip=0.txt").
    QString start = StartPath(initialDir, SaveFileName(initialName, extension, false));
    QString selected = textFilter;
    while (true) {
        // The chooser does not ask about replacing: the name it returns may still get the
        // default extension, and the question must be about the file really written.
        const QString path = QFileDialog::getSaveFileName(
            m_parent, QString(), start, names, &selected, QFileDialog::DontConfirmOverwrite);
        if (path.isEmpty()) return std::nullopt;
        const bool anyType = !selected.isEmpty() && selected != textFilter;
        const QString final = QString::fromStdString(
            SaveFileName(QDir::toNativeSeparators(path).toStdString(), extension, anyType));
        if (!QFileInfo::exists(final)) return final.toStdString();
        const std::string question = QFileInfo(final).fileName().toStdString() +
                                     " already exists.\nDo you want to replace it?";
        if (MessageBox(question, "Confirm Save As", MessageButtons::YesNo, MessageIcon::Warning) ==
            MessageAnswer::Yes) {
            return final.toStdString();
        }
        start = final;  // choose again, from the name that was refused
    }
}

void QtUserDialogs::SetWaitPointer(bool waiting) {
    if (waiting == m_waiting) return;
    m_waiting = waiting;
    if (waiting) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

bool QtUserDialogs::OpenBusyPopup() {
    m_busy.reset();
    m_busy = std::make_unique<BusyPopup>(m_parent);
    return true;
}

void QtUserDialogs::CloseBusyPopup() {
    m_busy.reset();
}

bool QtUserDialogs::BusyProgress(const std::string& text) {
    if (!m_busy) return true;
    m_busy->ShowProgress(QString::fromStdString(text));
    return !m_busy->Cancelled();
}

}  // namespace ondela
