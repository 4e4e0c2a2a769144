#include "app/about/about_box.h"

#include <QFontMetricsF>
#include <QLabel>
#include <QPushButton>
#include <cmath>
#include <utility>

#include "app/about/ondela_icon.h"

namespace ondela {

namespace {

constexpr const char* kDashes = "----------------------------------------";

// The box is laid out in dialog units: a quarter of the font's average character width
// horizontally, an eighth of its height vertically.
class DialogUnits {
  public:
    explicit DialogUnits(const QFont& font) {
        const QFontMetricsF metrics(font);
        m_x = metrics.horizontalAdvance(
                  QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
              52.0;
        m_y = metrics.height();
    }
    int X(int units) const { return static_cast<int>(std::lround(units * m_x / 4.0)); }
    int Y(int units) const { return static_cast<int>(std::lround(units * m_y / 8.0)); }
    QRect Rect(int x, int y, int width, int height) const {
        return QRect(X(x), Y(y), X(width), Y(height));
    }

  private:
    double m_x;
    double m_y;
};

QLabel* AddLine(QWidget* parent, const char* name, const QRect& place) {
    auto* label = new QLabel(QString::fromLatin1(kDashes), parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(place);
    return label;
}

}  // namespace

AboutBox::AboutBox(QWidget* parent, VersionBlockSource source)
    : QDialog(parent), m_source(std::move(source)) {
    setWindowTitle(QStringLiteral("About Ondela"));
    const DialogUnits du(font());

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("icon"));
    icon->setPixmap(OndelaIcon().pixmap(32, 32));
    icon->setGeometry(du.X(14), du.Y(14), 32, 32);

    // A text line is never lower than the font, whatever the unit conversion gives.
    const int lineHeight = std::max(du.Y(8), QFontMetrics(font()).height());
    m_productLine = AddLine(this, "productLine", QRect(du.X(47), du.Y(10), du.X(152), lineHeight));
    m_legalLine = AddLine(this, "legalLine", QRect(du.X(47), du.Y(25), du.X(150), lineHeight));
    m_emailLine = AddLine(this, "emailLine", QRect(du.X(47), du.Y(41), du.X(150), lineHeight));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    ok->setGeometry(du.Rect(140, 66, 50, 14));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    setFixedSize(du.X(205), du.Y(87));
    InitDialog();
}

int AboutBox::ReadVersionInfo() {
    return ondela::ReadVersionInfo(m_source, m_strings);
}

void AboutBox::InitDialog() {
    if (ReadVersionInfo() == 0) return;  // the rows of dashes stay
    m_productLine->setText(QString::fromStdString(ProductLine(m_strings)));
    m_legalLine->setText(QString::fromStdString(m_strings.legalCopyright));
    m_emailLine->setText(QStringLiteral("E.mail: ") +
                         QString::fromStdString(m_strings.contactEmail));
}

}  // namespace ondela
