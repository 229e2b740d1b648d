#pragma once

#include <QByteArray>
#include <QString>

class QTextDocument;

// Reads a rich-text (RTF) document into a QTextDocument: groups, the font and
// colour tables, bold, italic, underline, strike-out, sizes, colours,
// superscript and subscript, paragraphs with their alignment, indents, spacing
// and tab stops, tabs and line breaks, \'hh escapes in the Windows-1252 code
// page and \uN characters with their fallback skipped. Pictures, objects and
// every other destination the view cannot show (headers, notes, field codes,
// document information, anything marked \*) are skipped.
//
// Returns false, with the document cleared, when the data is not an RTF
// document or is damaged (no "{\rtf" header, a group left open at the end,
// nesting deeper than a document ever needs); the caller then falls back to
// plain text. Input of any size and content is read in one pass.
bool ReadRtf(const QByteArray& data, QTextDocument& document);

// The text of a plain-text file: UTF-8 when the bytes are valid UTF-8 (with or
// without a byte-order mark), otherwise Windows-1252.
QString DecodePlainText(const QByteArray& bytes);
