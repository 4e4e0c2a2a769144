#include "ui/main_window/main_dialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QCursor>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "ui/main_window/control_ids.h"
#include "ui/main_window/dialog_template.h"
#include "ui/main_window/dual_arrow_cursor.h"
#include "ui/plot/response_plot.h"
#include "workspace/filter_workspace.h"
#include "workspace/user_dialogs.h"

namespace ondela {

// A plot area: shows the plot image that the last paint drew for it.
class PlotView : public QWidget {
  public:
    PlotView(MainDialog* dialog, const QImage& (ResponsePlot::*image)() const, ResponsePlot& graph)
        : QWidget(dialog), m_dialog(dialog), m_image(image), m_graph(graph) {
        // The pointer over the plots belongs to the window.
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        m_dialog->PaintPlotsIfStale();
        QPainter p(this);
        const QImage& img = (m_graph.*m_image)();
        if (img.isNull()) {
            p.fillRect(rect(), Qt::white);
        } else {
            p.drawImage(0, 0, img);
        }
    }

  private:
    MainDialog* m_dialog;
    const QImage& (ResponsePlot::*m_image)() const;
    ResponsePlot& m_graph;
};

namespace {

// A pair of arrow buttons that report up and down presses (held presses repeat).
class UpDownControl : public QWidget {
  public:
    UpDownControl(QWidget* parent, std::function<void(bool)> onPress) : QWidget(parent) {
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        for (bool up : {true, false}) {
            auto* b = new QToolButton(this);
            b->setArrowType(up ? Qt::UpArrow : Qt::DownArrow);
            b->setAutoRepeat(true);
            b->setFocusPolicy(Qt::NoFocus);
            b->setIconSize(QSize(7, 4));
            b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
            layout->addWidget(b);
            QObject::connect(b, &QToolButton::clicked, this, [onPress, up] { onPress(up); });
        }
    }
};

QFont DialogFont() {
    QFont f("Liberation Sans");
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(11);
    return f;
}

}  // namespace

MainDialog::MainDialog(FilterWorkspace& ws, ResponsePlot& graph, UserDialogs& dialogs,
                       ShellServices* services)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint),
      m_ws(ws),
      m_graph(graph),
      m_dialogs(dialogs) {
    setWindowTitle("Ondela");
    // Its modal run is the application's main loop, yet the editor window must take input
    // beside it: modal to a window hierarchy of its own, the dialog blocks no other window.
    setWindowModality(Qt::WindowModal);
    setFont(DialogFont());
    // Group titles sit on the frame line; small radio indicators leave room for the captions.
    setStyleSheet(
        "QGroupBox { border: 1px solid #a0a0a0; border-radius: 2px; margin-top: 6px; }"
        "QGroupBox::title { subcontrol-origin: margin; left: 6px; padding: 0 2px; }"
        "QRadioButton { spacing: 4px; }"
        "QRadioButton::indicator { width: 11px; height: 11px; }");
    BuildControls();
    WidenPlots();
    m_logic = std::make_unique<MainWindowPresenter>(ws, graph, *this, services);
    const QRect r = m_respView->geometry();
    m_logic->Start(ClientRect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()});
}

MainDialog::~MainDialog() {
    m_dialogs.CloseBusyPopup();
    if (m_dualShown) QApplication::restoreOverrideCursor();
}

void MainDialog::BuildControls() {
    QButtonGroup* group = nullptr;
    for (const ControlTemplate& t : MainDialogTemplate()) {
        const QRect r = DialogUnitsToPixels(t.x, t.y, t.width, t.height);
        QWidget* w = nullptr;
        switch (t.kind) {
            case ControlKind::GroupBox: {
                auto* g = new QGroupBox(t.caption, this);
                g->setAttribute(Qt::WA_TransparentForMouseEvents);
                w = g;
                break;
            }
            case ControlKind::PlotFrame: {
                auto* v = new PlotView(this,
                                       t.id == ctl::kResponsePlot ? &ResponsePlot::ResponseImage
                                                                  : &ResponsePlot::CoefImage,
                                       m_graph);
                (t.id == ctl::kResponsePlot ? m_respView : m_coefView) = v;
                w = v;
                break;
            }
            case ControlKind::Label: {
                auto* l = new QLabel(t.caption, this);
                l->setAttribute(Qt::WA_TransparentForMouseEvents);
                w = l;
                break;
            }
            case ControlKind::Edit: {
                auto* e = new QLineEdit(this);
                e->setReadOnly(t.readOnly);
                e->setAlignment(t.rightAligned ? Qt::AlignRight | Qt::AlignVCenter
                                               : Qt::AlignLeft | Qt::AlignVCenter);
                e->setTextMargins(1, 0, 1, 0);
                e->setCursor(Qt::ArrowCursor);
                if (t.readOnly) e->setFocusPolicy(Qt::ClickFocus);
                if (t.id == ctl::kCursorField) e->installEventFilter(this);
                w = e;
                break;
            }
            case ControlKind::UpDown: {
                const int id = t.id;
                w = new UpDownControl(this, [this, id](bool up) { m_logic->OnSpin(id, up); });
                break;
            }
            case ControlKind::Radio: {
                auto* b = new QRadioButton(t.caption, this);
                if (t.firstOfGroup || !group) group = new QButtonGroup(this);
                group->addButton(b, t.id);
                m_groupOf[t.id] = group;
                const int id = t.id;
                connect(b, &QRadioButton::clicked, this, [this, id] { m_logic->OnCommand(id); });
                w = b;
                break;
            }
            case ControlKind::CheckBox: {
                auto* b = new QCheckBox(t.caption, this);
                const int id = t.id;
                connect(b, &QCheckBox::clicked, this, [this, id] { m_logic->OnCommand(id); });
                w = b;
                break;
            }
            case ControlKind::Button: {
                auto* b = new QPushButton(t.caption, this);
                b->setAutoDefault(false);
                if (t.id == ctl::kCreate) b->setDefault(true);
                const int id = t.id;
                connect(b, &QPushButton::clicked, this, [this, id] { m_logic->OnCommand(id); });
                w = b;
                break;
            }
        }
        w->setGeometry(r);
        if (t.id != 0) m_controls[t.id] = w;
    }
}

// The plots take exactly 1060 pixels; their group boxes grow by as much, the client area
// becomes 1082 pixels wide, and the controls at the right edge move along with it.
void MainDialog::WidenPlots() {
    for (auto [plot, box] : {std::pair{ctl::kResponsePlot, ctl::kResponseGroup},
                             std::pair{ctl::kCoefPlot, ctl::kCoefGroup}}) {
        QWidget* p = m_controls.at(plot);
        QWidget* g = m_controls.at(box);
        const int gained = kPlotAreaWidth - p->width();
        p->resize(kPlotAreaWidth, p->height());
        g->resize(g->width() + gained, g->height());
    }
    const QRect group = m_controls.at(ctl::kResponseGroup)->geometry();
    const int rightEdge = group.left() + group.width();

    const int spinShift = rightEdge - (m_controls.at(ctl::kFreqMaxSpin)->geometry().left() +
                                       m_controls.at(ctl::kFreqMaxSpin)->width());
    for (int id : {ctl::kFreqMaxSpin, ctl::kFreqMax, ctl::kFreqMaxLabel}) {
        m_controls.at(id)->move(m_controls.at(id)->pos() + QPoint(spinShift, 0));
    }
    QWidget* helpGroup = m_controls.at(ctl::kHelpGroup);
    const int helpShift = rightEdge - (helpGroup->x() + helpGroup->width());
    for (int id : {ctl::kHelpGroup, ctl::kHelp, ctl::kExport, ctl::kQuit}) {
        m_controls.at(id)->move(m_controls.at(id)->pos() + QPoint(helpShift, 0));
    }
    const QRect client = DialogUnitsToPixels(0, 0, kDialogWidthDu, kDialogHeightDu);
    setFixedSize(kClientWidth, client.height());
}

QWidget* MainDialog::Control(int id) const {
    auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second;
}

std::string MainDialog::GetText(int id) const {
    QWidget* w = Control(id);
    QString text;
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        text = e->text();
    } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        text = b->text();
    } else if (auto* l = qobject_cast<QLabel*>(w)) {
        text = l->text();
    }
    // The fields are read through 64-character buffers.
    return text.left(63).toStdString();
}

void MainDialog::SetText(int id, const std::string& text) {
    QWidget* w = Control(id);
    const QString t = QString::fromStdString(text);
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        e->setText(t);
        e->setCursorPosition(0);
    } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        b->setText(t);
    } else if (auto* l = qobject_cast<QLabel*>(w)) {
        l->setText(t);
    } else {
        return;
    }
    // Shown at once, also while a design keeps the event loop waiting; a field changed by the
    // plots while they paint waits for the next paint of its own.
    if (m_paintingPlots) {
        w->update();
    } else if (w->isVisible()) {
        w->repaint();
    }
}

bool MainDialog::IsChecked(int id) const {
    auto* b = qobject_cast<QAbstractButton*>(Control(id));
    return b && b->isChecked();
}

void MainDialog::SetChecked(int id, bool checked) {
    auto* b = qobject_cast<QAbstractButton*>(Control(id));
    if (!b || b->isChecked() == checked) return;
    auto it = m_groupOf.find(id);
    QButtonGroup* group = it == m_groupOf.end() ? nullptr : it->second;
    // An exclusive group refuses to uncheck its checked button; the window's logic unchecks a
    // whole group before it checks one.
    if (group && !checked) group->setExclusive(false);
    b->setChecked(checked);
    if (group && !checked) group->setExclusive(true);
}

void MainDialog::SetEnabled(int id, bool enabled) {
    if (QWidget* w = Control(id)) w->setEnabled(enabled);
}

bool MainDialog::HasControl(int id) const {
    return Control(id) != nullptr;
}

void MainDialog::RepaintPlots(bool now) {
    m_plotsStale = true;
    if (now) {
        m_respView->repaint();
        m_coefView->repaint();
    } else {
        m_respView->update();
        m_coefView->update();
    }
}

void MainDialog::PaintPlotsIfStale() {
    if (!m_plotsStale) return;
    m_plotsStale = false;
    m_graph.SetPlotAreas(m_respView->size(), m_coefView->size());
    m_paintingPlots = true;
    m_graph.PaintPlots(m_logic->CurvesShown());
    m_paintingPlots = false;
}

void MainDialog::SetPointer(PointerShape shape) {
    if (m_dualShown) {
        QApplication::restoreOverrideCursor();
        m_dualShown = false;
    }
    m_dialogs.SetWaitPointer(shape == PointerShape::Wait);
    if (shape == PointerShape::DualArrow) {
        // Over every control while the plot cursor is held.
        static const QCursor dual = DualArrowCursor();
        QApplication::setOverrideCursor(dual);
        m_dualShown = true;
    }
}

void MainDialog::SetCaption(const std::string& caption) {
    setWindowTitle(QString::fromStdString(caption));
}

void MainDialog::CloseWindow(int result) {
    SetPointer(PointerShape::Arrow);
    QDialog::done(result);
}

void MainDialog::reject() {
    m_logic->OnCommand(ctl::kQuit);
}

void MainDialog::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QDialog::mousePressEvent(event);
    const QPoint p = event->position().toPoint();
    m_logic->PressAt(p.x(), p.y());
}

void MainDialog::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    m_logic->MoveTo(p.x(), p.y());
}

void MainDialog::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QDialog::mouseReleaseEvent(event);
    m_logic->Release();
}

void MainDialog::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* about = menu.addAction("&About Ondela...");
    if (menu.exec(event->globalPos()) == about) m_logic->OnCommand(ctl::kAboutCommand);
}

bool MainDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Control(ctl::kCursorField) && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // A changed cursor frequency is applied; an unchanged one leaves Enter to Create.
            if (!m_logic->OnEnterInCursorField()) m_logic->OnCommand(ctl::kCreate);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace ondela
