#pragma once
// The program's version, from the project's version in CMake.

#include <QString>

QString ApplicationVersion(); // "1.5.5"
