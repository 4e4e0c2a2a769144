#include "app/help/help_viewer.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QList>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <utility>

namespace ondela {

namespace {

constexpr const char* kScheme = "chm";
constexpr int kWidth = 900;
constexpr int kHeight = 780;

QList<QPointer<HelpViewer>>& OpenViewers() {
    static QList<QPointer<HelpViewer>> viewers;
    return viewers;
}

// The decoration the window system puts around a top-level window, as it has put it around
// the parent; none when that is not known.
QMargins FrameOf(const QWidget* window) {
    if (window == nullptr || !window->isVisible()) return {};
    const QRect outer = window->frameGeometry();
    const QRect inner = window->geometry();
    const QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(),
                         outer.right() - inner.right(), outer.bottom() - inner.bottom());
    if (frame.left() < 0 || frame.top() < 0 || frame.right() < 0 || frame.bottom() < 0) return {};
    return frame;
}

}  // namespace

QRect PlaceWindowWithin(QSize wanted, QMargins frame, QRect available, QRect over) {
    const QSize room = available.marginsRemoved(frame).size().expandedTo(QSize(1, 1));
    QRect inner(QPoint(0, 0), wanted.boundedTo(room));
    inner.moveCenter(over.isEmpty() ? available.center() : over.center());
    QRect outer = inner.marginsAdded(frame);
    // Right and bottom first, so that a window larger than the area keeps its top left corner
    // (and its caption) on the screen.
    if (outer.right() > available.right()) outer.moveRight(available.right());
    if (outer.bottom() > available.bottom()) outer.moveBottom(available.bottom());
    if (outer.left() < available.left()) outer.moveLeft(available.left());
    if (outer.top() < available.top()) outer.moveTop(available.top());
    return outer.marginsRemoved(frame);
}

ChmBrowser::ChmBrowser(const ChmArchive& archive, QWidget* parent)
    : QTextBrowser(parent), m_archive(archive) {
    setOpenExternalLinks(false);
    setOpenLinks(true);
}

QUrl ChmBrowser::AddressOf(const std::string& pathInArchive) {
    QUrl url;
    url.setScheme(kScheme);
    const QString path = QString::fromUtf8(pathInArchive.c_str());
    const qsizetype hash = path.indexOf('#');
    url.setPath(hash < 0 ? path : path.left(hash));
    if (hash >= 0) url.setFragment(path.mid(hash + 1));
    return url;
}

QVariant ChmBrowser::loadResource(int type, const QUrl& name) {
    if (name.scheme() != kScheme) return QTextBrowser::loadResource(type, name);
    const std::string path = name.path(QUrl::FullyDecoded).toStdString();
    if (const auto content = m_archive.Read(path)) return *content;
    return {};
}

HelpViewer::HelpViewer(QWidget* parent, std::unique_ptr<ChmArchive> archive)
    : QWidget(parent, Qt::Window), m_archive(std::move(archive)) {
    setAttribute(Qt::WA_DeleteOnClose);
    m_browser = new ChmBrowser(*m_archive, this);

    auto* home = new QPushButton(tr("Contents"), this);
    auto* back = new QPushButton(tr("Back"), this);
    auto* forward = new QPushButton(tr("Forward"), this);
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(home, &QPushButton::clicked, m_browser, &QTextBrowser::home);
    connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QWidget::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QWidget::setEnabled);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(home);
    buttons->addWidget(back);
    buttons->addWidget(forward);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_browser);
}

QWidget* HelpViewer::ShowHelp(QWidget* parent, const QString& chmPath) {
    CloseAllHelp();
    std::unique_ptr<ChmArchive> archive = ChmArchive::Open(chmPath);
    if (!archive) return nullptr;
    const std::string start = archive->StartPage();
    if (start.empty()) return nullptr;
    const std::string title = archive->Title();

    auto* viewer = new HelpViewer(parent, std::move(archive));
    viewer->setWindowTitle(title.empty() ? QFileInfo(chmPath).fileName()
                                         : QString::fromUtf8(title.c_str()));
    viewer->m_browser->setSource(ChmBrowser::AddressOf(start), QTextDocument::HtmlResource);
    // The window system would place the window where it likes, which can run off a screen that
    // is not much taller than the window.
    QScreen* screen = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen != nullptr) {
        const QRect over =
            parent != nullptr && parent->isVisible() ? parent->frameGeometry() : QRect();
        viewer->setGeometry(PlaceWindowWithin(QSize(kWidth, kHeight), FrameOf(parent),
                                              screen->availableGeometry(), over));
    } else {
        viewer->resize(kWidth, kHeight);
    }
    viewer->show();
    OpenViewers().append(viewer);
    return viewer;
}

void HelpViewer::CloseAllHelp() {
    QList<QPointer<HelpViewer>> viewers;
    viewers.swap(OpenViewers());
    for (const QPointer<HelpViewer>& viewer : viewers) delete viewer.data();
}

}  // namespace ondela
