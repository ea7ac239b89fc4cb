#pragma once
// The program's version, from the project's version in CMake.

#include <QString>

namespace vorlane::shell {

QString applicationVersion(); // "1.5.5"

} // namespace vorlane::shell
