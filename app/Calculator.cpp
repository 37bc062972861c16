#include "app/Calculator.h"

#include <QProcess>
#include <QStandardPaths>

QStringList CalculatorPrograms() {
  return {QStringLiteral("gnome-calculator"), QStringLiteral("kcalc"), QStringLiteral("galculator"),
          QStringLiteral("qalculate-gtk"), QStringLiteral("xcalc")};
}

QString FindCalculator() {
  for (const QString& program : CalculatorPrograms()) {
    const QString path = QStandardPaths::findExecutable(program);
    if (!path.isEmpty()) return path;
  }
  return {};
}

bool StartCalculator() {
  const QString path = FindCalculator();
  return !path.isEmpty() && QProcess::startDetached(path, {});
}
