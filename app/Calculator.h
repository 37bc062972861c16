#pragma once
// Starts the desktop's calculator program.

#include <QString>
#include <QStringList>

// Candidates in the order they are tried.
[[nodiscard]] QStringList CalculatorPrograms();
// Path of the first candidate found on the search path, empty when none is installed.
[[nodiscard]] QString FindCalculator();
// Starts it detached; false when none is installed or it could not be started.
bool StartCalculator();
