#include "ui/main_window/qt_user_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

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
        default:
            return MessageAnswer::Cancel;
    }
}

std::optional<std::string> QtUserDialogs::ChooseFileToOpen(const std::string& initialDir,
                                                           const std::string& initialName,
                                                           const std::string& filter) {
    QString start = QString::fromStdString(initialDir);
    if (!initialName.empty()) start = QDir(start).filePath(QString::fromStdString(initialName));
    const QString path =
        QFileDialog::getOpenFileName(m_parent, QString(), start, QtNameFilter(filter));
    if (path.isEmpty()) return std::nullopt;
    return QDir::toNativeSeparators(path).toStdString();
}

std::optional<std::string> QtUserDialogs::ChooseFileToSave(const std::string& initialDir,
                                                           const std::string& initialName,
                                                           const std::string& filter) {
    QString start = QString::fromStdString(initialDir);
    if (!initialName.empty()) start = QDir(start).filePath(QString::fromStdString(initialName));
    const QString path =
        QFileDialog::getSaveFileName(m_parent, QString(), start, QtNameFilter(filter));
    if (path.isEmpty()) return std::nullopt;
    return QDir::toNativeSeparators(path).toStdString();
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

}  // namespace ondela
