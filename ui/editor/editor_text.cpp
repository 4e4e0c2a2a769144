#include "ui/editor/editor_text.h"

#include <algorithm>
#include <cstring>

namespace ondela {

QString EditorTextFromBytes(const char* text, int length) {
    if (text == nullptr || length <= 0) return {};
    const auto* end = static_cast<const char*>(std::memchr(text, '\0', std::size_t(length)));
    const int size = end != nullptr ? int(end - text) : length;
    QString result = QString::fromLatin1(text, size);
    result.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    result.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return result;
}

namespace {

QString WithCrLf(const QString& text) {
    QString result = text;
    result.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return result;
}

}  // namespace

QByteArray EditorTextToBytes(const QString& text) {
    return WithCrLf(text).toLatin1();
}

QByteArray EditorTextToFileBytes(const QString& text) {
    return WithCrLf(text).toUtf8();
}

std::vector<QStringView> SplitIntoPieces(QStringView text) {
    std::vector<QStringView> pieces;
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype limit = std::min<qsizetype>(text.size(), start + kEditorPieceLength);
        qsizetype end = start;
        while (end < limit && text[end] != QLatin1Char('\n')) ++end;
        if (end < limit) ++end;  // the line feed ends its piece
        pieces.push_back(text.mid(start, end - start));
        start = end;
    }
    return pieces;
}

std::string FileNameForTitle(const std::string& path) {
    std::size_t separator = path.find_last_of("/\\");
    if (separator == std::string::npos) separator = path.find_last_of(':');
    if (separator == std::string::npos) return path;
    const std::size_t next = separator + 1;
    if (next >= path.size() || path[next] == '\n') return path;
    return path.substr(next);
}

}  // namespace ondela
