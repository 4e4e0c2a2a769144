#include "settings/qt_settings_store.h"

#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace ondela {
namespace {

// An INI file keeps no value types: every value comes back as text. A DWORD is therefore
// written as "dword:" followed by eight hexadecimal digits (the notation of registry export
// files, "NBCOEFS=dword:0000007f"), and only a value of exactly that form reads as a DWORD;
// a plain "127" or any other text under a DWORD name reads as missing. Texts are written as
// they are, except that a text which itself begins with "dword:" or "text:" is written with a
// "text:" in front, so that no text can pass for a DWORD.
const QString kDwordTag = QStringLiteral("dword:");
const QString kTextTag = QStringLiteral("text:");

QString KeyOf(const std::string& name) {
    return QStringLiteral("Preferences/") + QString::fromUtf8(name.data(), qsizetype(name.size()));
}

bool IsDwordText(const QString& s, uint32_t* value) {
    if (!s.startsWith(kDwordTag)) return false;
    const QString digits = s.mid(kDwordTag.size());
    if (digits.isEmpty() || digits.size() > 8) return false;
    for (const QChar c : digits)
        if (!c.isDigit() && !(c.toLower() >= QLatin1Char('a') && c.toLower() <= QLatin1Char('f')))
            return false;
    bool ok = false;
    const uint v = digits.toUInt(&ok, 16);
    if (!ok) return false;
    if (value != nullptr) *value = v;
    return true;
}

// The stored value as text; nullopt when missing or of a kind that has no text form.
std::optional<QString> StoredText(QSettings& settings, const std::string& name) {
    const QVariant v = settings.value(KeyOf(name));
    if (!v.isValid()) return std::nullopt;
    // An unquoted comma in a hand-edited file makes QSettings split the value into a list.
    if (v.typeId() == QMetaType::QStringList) return v.toStringList().join(QStringLiteral(", "));
    if (!v.canConvert<QString>()) return std::nullopt;
    return v.toString();
}

}  // namespace

QtSettingsStore::QtSettingsStore() = default;
QtSettingsStore::~QtSettingsStore() = default;

bool QtSettingsStore::OpenKey(SettingsKey key) {
    if (!m_settings)
        m_settings = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                                 QStringLiteral("MQ"), QStringLiteral("Ondela"));
    // isWritable creates the file's folder when it is missing and checks that the file can be
    // written there: the equivalent of opening or creating the key for reading and writing.
    if (!m_settings->isWritable() || m_settings->status() == QSettings::AccessError) return false;
    // A writable file is not enough: the file is saved by writing a new one beside it and
    // renaming that over it, so a folder that cannot be written loses every change. A real
    // write tells: a value of its own, written and then removed again (a value set and removed
    // before the file is saved would not reach the file at all).
    const QString probe = QStringLiteral("WriteCheck");
    m_settings->setValue(probe, true);
    m_settings->sync();
    const bool written = m_settings->status() == QSettings::NoError;
    m_settings->remove(probe);
    m_settings->sync();
    if (!written) return false;
    if (key == SettingsKey::Preferences) m_prefOpen = true;
    return true;
}

std::optional<uint32_t> QtSettingsStore::ReadUnsigned(const std::string& name) {
    if (!m_prefOpen) return std::nullopt;
    const auto text = StoredText(*m_settings, name);
    uint32_t value = 0;
    if (!text || !IsDwordText(*text, &value)) return std::nullopt;
    return value;
}

std::optional<std::string> QtSettingsStore::ReadString(const std::string& name,
                                                       std::size_t maxBytes) {
    if (!m_prefOpen) return std::nullopt;
    const auto stored = StoredText(*m_settings, name);
    if (!stored || IsDwordText(*stored, nullptr)) return std::nullopt;
    QString text = *stored;
    if (text.startsWith(kTextTag)) text.remove(0, kTextTag.size());
    const QByteArray bytes = text.toUtf8();
    if (static_cast<std::size_t>(bytes.size()) + 1 > maxBytes) return std::nullopt;
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

bool QtSettingsStore::WriteUnsigned(const std::string& name, uint32_t value) {
    if (!m_prefOpen) return false;
    m_settings->setValue(KeyOf(name),
                         kDwordTag + QStringLiteral("%1").arg(value, 8, 16, QLatin1Char('0')));
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}

bool QtSettingsStore::WriteString(const std::string& name, const std::string& text) {
    if (!m_prefOpen) return false;
    QString value = QString::fromUtf8(text.data(), qsizetype(text.size()));
    if (value.startsWith(kDwordTag) || value.startsWith(kTextTag)) value.prepend(kTextTag);
    m_settings->setValue(KeyOf(name), value);
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}

std::string QtSettingsStore::FileName() const {
    return m_settings ? m_settings->fileName().toStdString() : std::string();
}

}  // namespace ondela
