#pragma once
// Builds small PE files (a 32-bit executable image with one resource section) for tests.

#include "FileVersion.h"

#include <QByteArray>

namespace platform_testing {

// A PE file whose version resource carries this fixed file version.
QByteArray peWithVersion(const winplatform::FixedFileVersion& v);
// A PE file with a version resource that has no fixed block.
QByteArray peWithVersionButNoFixedBlock();
// A PE file without any resources.
QByteArray peWithoutResources();

} // namespace platform_testing
