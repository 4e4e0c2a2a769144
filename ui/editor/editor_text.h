// The editor's text as the rest of the designer sees it: single-byte characters, lines ended by
// CR LF. Inside the editor every line break is one line feed.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <string>
#include <vector>

namespace ondela {

// Longest piece of text handed to the edit control at once.
constexpr int kEditorPieceLength = 2040;

// The text of length bytes (ended early by a zero byte) in the editor's form: each byte one
// character, CR LF and lone CR become a line feed. A null text or a negative length is empty.
QString EditorTextFromBytes(const char* text, int length);

// The editor's text as single bytes with CR LF line ends; a character that has no single-byte
// form becomes '?'.
QByteArray EditorTextToBytes(const QString& text);

// The editor's text as the bytes of a saved file: UTF-8 with CR LF line ends, so that nothing the
// user typed is lost.
QByteArray EditorTextToFileBytes(const QString& text);

// The pieces in which text is placed in the edit control: each ends after a line feed, after
// kEditorPieceLength characters, or at the end of the text.
std::vector<QStringView> SplitIntoPieces(QStringView text);

// The name a saved file is shown under: the part of the path after its last directory separator
// ('/' or '\'), or after its last ':' when it has no directory separator. The whole path when
// there is no separator or nothing (or a line feed) follows it.
std::string FileNameForTitle(const std::string& path);

}  // namespace ondela
