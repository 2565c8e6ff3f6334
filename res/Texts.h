// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The texts that the operations show on the status line and in message
// boxes, each written once. The per-byte texts are printf formats whose one
// argument is the percentage.
namespace texts {

// Presence check. The box and the status line name the same three things in
// a different order; both are the program's texts.
inline constexpr const char* kNoTargetBox = "Error! Please check your CPU, printer port and power supply.";
inline constexpr const char* kNoTargetStatus = "Error! Please check your CPU, power supply and printer port.";

inline constexpr const char* kErase = "Erase";
inline constexpr const char* kEraseOk = "Erase Ok";

inline constexpr const char* kBlankCheck = "Blank Check";
inline constexpr const char* kBlankCheckPercent = "Blank Check %d%%";
inline constexpr const char* kBlankOk = "Blank Ok";
inline constexpr const char* kNotBlank = "Not Blank.";

inline constexpr const char* kNoHexFile = "Please open a hex file before programing.";
inline constexpr const char* kProgramFlash = "Program Flash";
inline constexpr const char* kProgramFlashPercent = "Program Flash %d%%";
inline constexpr const char* kProgramFlashOk = "Program Flash Ok";

inline constexpr const char* kVerifyFlash = "Verfy Flash";
inline constexpr const char* kVerifyFlashPercent = "Verify Flash %d%%";
inline constexpr const char* kVerifyOk = "Verfify Ok";
inline constexpr const char* kVerifyError = "Verify error !!!";

// Reading the whole flash, which brovik-cli offers beside the dialog's operations.
inline constexpr const char* kReadFlash = "Read Flash";
inline constexpr const char* kReadFlashPercent = "Read Flash %d%%";
inline constexpr const char* kReadFlashOk = "Read Flash Ok";

// Indexed by lock level - 1.
inline constexpr const char* kLockBit[] = {"Lock Bit1", "Lock Bit2", "Lock Bit3"};
inline constexpr const char* kLockBitOk[] = {"Lock Bit1 Ok", "Lock Bit2 Ok", "Lock Bit3 Ok"};
inline constexpr const char* kNoLockLevel = "No select Lock bit";

inline constexpr const char* kLoadHexFileOk = "Load Hex File Ok";

// brovik-sim's window caption, so that it is not taken for the real program.
inline constexpr const char* kSimulatedChipCaption = "brovik (simulated chip)";
inline constexpr const char* kNotHexFormat = "File not intel hex format\n";
inline constexpr const char* kChecksumError = "Check sum error";
inline constexpr const char* kHexBeyondFlash = "Error! Your hex file is more than 8192 bytes.";
inline constexpr const char* kHexFileTooLong = "Error! Your hex file is more than 24576 bytes.";

// The operations' names, as a report of an early stop names them.
inline constexpr const char* kPresenceCheckName = "presence check";
inline constexpr const char* kEraseName = "erase";
inline constexpr const char* kBlankCheckName = "blank check";
inline constexpr const char* kProgramName = "program";
inline constexpr const char* kVerifyName = "verify";
inline constexpr const char* kReadName = "read";
inline constexpr const char* kLockName = "lock";

} // namespace texts
