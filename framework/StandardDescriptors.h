// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A program started with standard input, output or error closed would give
// that number to the next file it opens, and its output would go there (a
// flash dump into a lock file). Each program calls this first.
namespace fw {

// Opens /dev/null on each of descriptors 0, 1 and 2 that is closed. False
// when that could not be done; the program should not go on.
bool OpenNullOnClosedStandardDescriptors();

} // namespace fw
