#pragma once
// Picks the database engine installer for a Windows version name (as describeVersionRecord gives it).
// Returns an empty text when no installer fits; the caller then opens nothing.

#include <string>
#include <string_view>

// Whether text contains part, comparing ASCII letters without case. An empty part is always contained.
bool containsIgnoringCase(std::string_view text, std::string_view part);

std::string chooseInstaller(std::string_view osName);
