#include "ui/export/export_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStringList>
#include <QVBoxLayout>
#include <array>

#include "ui/main_window/qt_user_dialogs.h"
#include "workspace/filter_workspace.h"

namespace ondela {

namespace {

struct FormatEntry {
    ExportFormat format;
    const char* text;
};

constexpr std::array kFormats = {
    FormatEntry{ExportFormat::Coe, "Xilinx COE (.coe)"},
    FormatEntry{ExportFormat::Mif, "Intel/Altera MIF (.mif)"},
    FormatEntry{ExportFormat::Vhdl, "VHDL-2008 package (.vhd)"},
    FormatEntry{ExportFormat::Verilog, "Verilog-2001 include (.vh)"},
    FormatEntry{ExportFormat::Cmsis, "CMSIS-DSP C header (.h)"},
    FormatEntry{ExportFormat::Csv, "CSV, one value a line (.csv)"},
    FormatEntry{ExportFormat::Npy, "NumPy array (.npy)"},
    FormatEntry{ExportFormat::Json, "JSON (.json)"},
};

constexpr std::array kCmsisTypes = {CmsisType::Q15, CmsisType::Q31, CmsisType::F32};

int FormatIndex(ExportFormat format) {
    for (std::size_t i = 0; i < kFormats.size(); ++i)
        if (kFormats[i].format == format) return static_cast<int>(i);
    return 0;
}

QString Joined(const std::vector<std::string>& lines) {
    QStringList list;
    for (const std::string& line : lines) list << QString::fromStdString(line);
    return list.join(QLatin1Char('\n'));
}

}  // namespace

ExportDialog::ExportDialog(FilterWorkspace& ws, const std::string& program,
                           const std::string& version, UserDialogs* dialogs, QWidget* parent,
                           const ExportChoices* start)
    : QDialog(parent), m_session(ws, program, version), m_dialogs(dialogs) {
    if (m_dialogs == nullptr) {
        m_ownDialogs = std::make_unique<QtUserDialogs>();
        m_ownDialogs->SetParent(this);
        m_dialogs = m_ownDialogs.get();
    }
    setWindowTitle(QStringLiteral("Export Coefficients"));
    setModal(true);
    BuildControls();
    if (start != nullptr) {
        const std::string name = m_session.choices.name;
        m_session.choices = *start;
        m_session.choices.name = name;
    }
    ShowChoices(m_session.choices);
    Refresh();
}

ExportDialog::~ExportDialog() = default;

void ExportDialog::BuildControls() {
    m_format = new QComboBox(this);
    m_format->setObjectName(QStringLiteral("format"));
    for (const FormatEntry& entry : kFormats) m_format->addItem(QString::fromLatin1(entry.text));

    m_wordBits = new QSpinBox(this);
    m_wordBits->setObjectName(QStringLiteral("wordBits"));
    m_wordBits->setRange(kMinWordBits, kMaxWordBits);
    m_wordBits->setSuffix(QStringLiteral(" bits"));

    m_autoFrac = new QCheckBox(QStringLiteral("Automatic (largest that fits)"), this);
    m_autoFrac->setObjectName(QStringLiteral("autoFrac"));
    m_fracBits = new QSpinBox(this);
    m_fracBits->setObjectName(QStringLiteral("fracBits"));
    m_fracBits->setRange(kMinFracBits, kMaxFracBits);
    auto* fracRow = new QHBoxLayout;
    fracRow->addWidget(m_fracBits);
    fracRow->addWidget(m_autoFrac, 1);

    m_rounding = new QComboBox(this);
    m_rounding->setObjectName(QStringLiteral("rounding"));
    m_rounding->addItem(QStringLiteral("To nearest, ties away from zero"));
    m_rounding->addItem(QStringLiteral("Toward minus infinity (floor)"));

    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("name"));
    m_name->setMaxLength(kMaxIdentifierLength + 16);  // long enough to be told it is too long

    m_radix = new QComboBox(this);
    m_radix->setObjectName(QStringLiteral("radix"));
    m_radix->addItem(QStringLiteral("Decimal"));
    m_radix->addItem(QStringLiteral("Hexadecimal (two's complement)"));

    m_cmsisType = new QComboBox(this);
    m_cmsisType->setObjectName(QStringLiteral("cmsisType"));
    m_cmsisType->addItem(QStringLiteral("q15_t (16-bit words)"));
    m_cmsisType->addItem(QStringLiteral("q31_t (32-bit words)"));
    m_cmsisType->addItem(QStringLiteral("float32_t (values q / 2^F)"));

    m_realValues = new QCheckBox(QStringLiteral("Values q / 2^F instead of the integers"), this);
    m_realValues->setObjectName(QStringLiteral("realValues"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("File format:"), m_format);
    form->addRow(QStringLiteral("Word length:"), m_wordBits);
    form->addRow(QStringLiteral("Fraction bits:"), fracRow);
    form->addRow(QStringLiteral("Rounding:"), m_rounding);
    form->addRow(QStringLiteral("Identifier:"), m_name);
    form->addRow(QStringLiteral("COE/MIF radix:"), m_radix);
    form->addRow(QStringLiteral("CMSIS type:"), m_cmsisType);
    form->addRow(QStringLiteral("CSV/NumPy:"), m_realValues);

    auto* previewBox = new QGroupBox(QStringLiteral("What the words achieve"), this);
    m_preview = new QLabel(previewBox);
    m_preview->setObjectName(QStringLiteral("preview"));
    m_preview->setTextFormat(Qt::PlainText);
    m_preview->setWordWrap(true);
    m_preview->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_warning = new QLabel(previewBox);
    m_warning->setObjectName(QStringLiteral("warning"));
    m_warning->setTextFormat(Qt::PlainText);
    m_warning->setWordWrap(true);
    m_warning->setStyleSheet(QStringLiteral("QLabel { color: #b00000; font-weight: bold; }"));
    m_written = new QLabel(previewBox);
    m_written->setObjectName(QStringLiteral("written"));
    m_written->setTextFormat(Qt::PlainText);
    m_written->setWordWrap(true);
    auto* previewLayout = new QVBoxLayout(previewBox);
    previewLayout->addWidget(m_preview);
    previewLayout->addWidget(m_warning);
    previewLayout->addWidget(m_written);
    previewLayout->addStretch(1);
    previewBox->setMinimumHeight(150);

    auto* buttons = new QDialogButtonBox(this);
    m_export = buttons->addButton(QStringLiteral("Export..."), QDialogButtonBox::ActionRole);
    m_export->setObjectName(QStringLiteral("export"));
    QPushButton* close = buttons->addButton(QStringLiteral("Close"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("close"));
    m_export->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(previewBox, 1);
    layout->addWidget(buttons);
    setMinimumWidth(560);

    const auto changed = [this] { Refresh(); };
    connect(m_format, &QComboBox::currentIndexChanged, this, changed);
    connect(m_wordBits, &QSpinBox::valueChanged, this, changed);
    connect(m_fracBits, &QSpinBox::valueChanged, this, changed);
    connect(m_autoFrac, &QCheckBox::toggled, this, changed);
    connect(m_rounding, &QComboBox::currentIndexChanged, this, changed);
    connect(m_name, &QLineEdit::textChanged, this, changed);
    connect(m_radix, &QComboBox::currentIndexChanged, this, changed);
    connect(m_cmsisType, &QComboBox::currentIndexChanged, this, changed);
    connect(m_realValues, &QCheckBox::toggled, this, changed);
    connect(m_export, &QPushButton::clicked, this, [this] { ExportFile(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void ExportDialog::ShowChoices(const ExportChoices& c) {
    m_showing = true;
    m_format->setCurrentIndex(FormatIndex(c.format));
    m_wordBits->setValue(c.wordBits);
    m_autoFrac->setChecked(!c.fracBits.has_value());
    if (c.fracBits) m_fracBits->setValue(*c.fracBits);
    m_rounding->setCurrentIndex(c.rounding == Rounding::Floor ? 1 : 0);
    m_name->setText(QString::fromStdString(c.name));
    m_radix->setCurrentIndex(c.radix == 16 ? 1 : 0);
    for (std::size_t i = 0; i < kCmsisTypes.size(); ++i)
        if (kCmsisTypes[i] == c.cmsisType) m_cmsisType->setCurrentIndex(static_cast<int>(i));
    m_realValues->setChecked(c.realValues);
    m_showing = false;
}

void ExportDialog::ReadChoices() {
    ExportChoices& c = m_session.choices;
    c.format = kFormats[static_cast<std::size_t>(std::max(0, m_format->currentIndex()))].format;
    c.wordBits = m_wordBits->value();
    c.fracBits.reset();
    if (!m_autoFrac->isChecked()) c.fracBits = m_fracBits->value();
    c.rounding = m_rounding->currentIndex() == 1 ? Rounding::Floor : Rounding::Nearest;
    c.name = m_name->text().toStdString();
    c.radix = m_radix->currentIndex() == 1 ? 16 : 10;
    c.cmsisType = kCmsisTypes[static_cast<std::size_t>(std::max(0, m_cmsisType->currentIndex()))];
    c.realValues = m_realValues->isChecked();
}

void ExportDialog::Refresh() {
    if (m_showing) return;
    ReadChoices();
    const ExportChoices& c = m_session.choices;
    m_radix->setEnabled(c.format == ExportFormat::Coe || c.format == ExportFormat::Mif);
    m_cmsisType->setEnabled(c.format == ExportFormat::Cmsis);
    m_realValues->setEnabled(c.format == ExportFormat::Csv || c.format == ExportFormat::Npy);
    m_fracBits->setEnabled(c.fracBits.has_value());

    const ExportPreview p = m_session.Preview();
    // With automatic fraction bits the spin box shows the ones chosen, ready to be changed.
    if (!c.fracBits && p.refusal.empty()) {
        m_showing = true;
        m_fracBits->setValue(p.quantised.format.fracBits);
        m_showing = false;
    }
    m_preview->setText(Joined(p.lines));
    m_preview->setVisible(!p.lines.empty());
    m_warning->setText(p.refusal.empty() ? Joined(p.warnings)
                                         : QStringLiteral("Nothing can be exported: ") +
                                               QString::fromStdString(p.refusal));
    m_warning->setVisible(!m_warning->text().isEmpty());
    m_written->clear();
    m_written->hide();
    m_export->setEnabled(p.refusal.empty());
}

void ExportDialog::ExportFile() {
    ReadChoices();
    const ExportWrite outcome = m_session.Export(*m_dialogs);
    if (outcome.written) {
        m_written->setText(QStringLiteral("Written: ") + QString::fromStdString(outcome.path));
        m_written->show();
    }
}

QString ExportDialog::PreviewText() const {
    QStringList parts;
    for (const QLabel* label : {m_preview, m_warning, m_written})
        if (!label->text().isEmpty()) parts << label->text();
    return parts.join(QLatin1Char('\n'));
}

QString ExportDialog::WarningText() const {
    return m_warning->text();
}

}  // namespace ondela
