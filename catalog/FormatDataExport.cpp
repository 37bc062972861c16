#include "catalog/FormatDataExport.h"

#include <QBuffer>

#include "reports/DelimitedText.h"
#include "reports/ListExport.h"

TListLayout FormatDataLayout(const TFormatDataList& list) {
  TListLayout layout{DefaultListLook(), {}};
  for (int column = 0; column < TFormatDataList::kColumnCount; ++column) {
    const TTextAlign align = TFormatDataList::ColumnRightAligned(column) ? TTextAlign::Right : TTextAlign::Left;
    layout.Columns.push_back({column, list.ColumnTitle(column), TFormatDataList::ColumnWidth(column), align, align});
  }
  return layout;
}

void WriteFormatDataCsv(const TFormatDataList& list, QIODevice& out) {
  WriteListCsv(TRowListExport(list, DefaultListLook()), FormatDataLayout(list).Columns, out);
}

void SaveFormatDataCsv(const TFormatDataList& list, const QString& fileName) {
  SaveExportFile(fileName, [&list](QIODevice& out) { WriteFormatDataCsv(list, out); });
}

QByteArray FormatDataCsvUtf8(const TFormatDataList& list) {
  QBuffer utf16;
  utf16.open(QIODevice::WriteOnly);
  TOutputBuffer16 text(utf16);
  WriteDelimitedText(TRowListExport(list, DefaultListLook()), FormatDataLayout(list).Columns, u';', text);
  text.Flush();
  const QByteArray& bytes = utf16.data();
  return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()), bytes.size() / 2).toUtf8();
}
