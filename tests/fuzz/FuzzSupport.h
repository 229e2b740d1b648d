#pragma once

// Shared by the fuzz entry points: a private folder for the files the inputs
// are written to (the program reads its data through paths), the Qt
// application that text layout and pictures need, and the check that turns a
// broken property into a crash the fuzzer records.

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace fuzz {

// A path in a folder of this process, removed when the process ends.
QString TempPath(const QString& name);

// Writes the bytes to TempPath(name) and returns that path.
QString WriteTemp(const QString& name, const uint8_t* data, std::size_t size);

QByteArray ReadAll(const QString& path);

// Creates the QGuiApplication (offscreen platform) on first use.
void EnsureGuiApplication();

// Aborts with the message when the condition does not hold.
void Check(bool condition, const char* what);

} // namespace fuzz
