#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace FuzzSupport {

// A folder of this process's own for scratch files, in $TMPDIR (or /dev/shm
// when TMPDIR is not set), made on first use and removed when the process
// ends.
const QString &scratchFolder();

// Writes the bytes as the whole file, replacing what it held. A failure is
// no outcome of the code under test: it aborts.
void writeFile(const QString &path, const char *data, size_t size);

// Stops the run with a message: an invariant of the code under test broke.
[[noreturn]] void broken(const char *what, const QString &detail = {});

} // namespace FuzzSupport
