#pragma once
// A workbook read back by a real spreadsheet program: LibreOffice Calc, headless (package
// libreoffice-calc-nogui), writes each sheet as CSV, text cells quoted and cells as shown.
#include <QString>

namespace kavr::test {

// soffice on PATH; empty when it is missing.
QString CalcProgram();
// Writes <outDir>/<book's base name>-<sheet>.csv for every sheet of book; false, with why, when
// Calc failed.
bool ConvertWithCalc(const QString &book, const QString &outDir, QString *why);

} // namespace kavr::test
