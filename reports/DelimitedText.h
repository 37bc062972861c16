#pragma once
// Delimited text of a list: a line of captions, then one line per row, each ended by CR LF.
// A cell holding the separator, a double quote, CR or LF is enclosed in double quotes with
// its quotes doubled, so a spreadsheet reads back exactly the cells the list shows. Captions
// are written as they are.

#include <QIODevice>
#include <vector>

#include "reports/ExportList.h"
#include "reports/OutputBuffer.h"

// One cell as a delimited field, in UTF-16 or (with an ASCII separator) UTF-8.
void AppendDelimitedField(std::u16string_view text, char16_t separator, TOutputBuffer16& out);
void AppendDelimitedField(std::string_view text, char separator, TOutputBuffer& out);

void WriteDelimitedText(const TExportList& list, const std::vector<TExportColumn>& columns, char16_t separator,
                        TOutputBuffer16& out);

// The byte-order mark FF FE that starts every semicolon text file.
void WriteUtf16Bom(TOutputBuffer16& out);

// The semicolon text file of a list: UTF-16LE with a byte-order mark, the delimited text with
// ";", then one empty line.
void WriteListCsv(const TExportList& list, const std::vector<TExportColumn>& columns, QIODevice& device);
