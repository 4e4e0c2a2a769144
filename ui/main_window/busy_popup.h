// The "Please wait" notice shown over the main window before a long design. The design blocks
// the user-interface thread, so the notice is drawn completely before the design starts and is
// not repainted until it is closed. A search made of many designs reports its progress between
// them: the notice then shows it under its text, with a Cancel button that is heard at those
// moments (the notice is modal, so nothing else of the program takes input meanwhile).
#pragma once

#include <QPushButton>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>

namespace ondela {

constexpr const char* kBusyMessage = "With so many coefs optimization may take a long time...";
constexpr const char* kBusyCaption = "Please wait";

// The drawn area of the notice for a text of length characters in a font of the given average
// character width: width = length * charWidth (at least 16) + 24, height = width / 4 (at least
// 18).
QSize BusyTextArea(int length, int charWidth);
// Top-left corner of the notice's drawn area: centred on the main window's frame, kept inside
// its borders and never left of x = 10 or above y = 30.
QPoint BusyPopupPosition(const QRect& mainFrame, int borderWidth, int borderHeight, QSize area);

class BusyPopup : public QWidget {
  public:
    // Shows the notice over mainWindow and paints it before returning.
    explicit BusyPopup(QWidget* mainWindow);

    // Shows how far a search has come and the Cancel button, and handles the events that came
    // in meanwhile (a press of Cancel among them).
    void ShowProgress(const QString& text);
    // Whether Cancel was pressed.
    bool Cancelled() const { return m_cancelled; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QSize m_area;
    QString m_progress;
    QPushButton* m_cancel = nullptr;
    bool m_cancelled = false;
};

}  // namespace ondela
