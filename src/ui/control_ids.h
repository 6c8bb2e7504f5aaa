// The ids of the main window's controls, as the window template numbers them.
#pragma once

namespace pellory {

inline constexpr int kIdBlankCheck = 1000;
inline constexpr int kIdRead = 1001;
inline constexpr int kIdProgram = 1002;
inline constexpr int kIdVerify = 1003;
inline constexpr int kIdManufacturerList = 1004;
inline constexpr int kIdFileName = 1005;
inline constexpr int kIdNewFile = 1006;
inline constexpr int kIdPrefs = 1007;
inline constexpr int kIdStatusLine = 1008;
inline constexpr int kIdAbort = 1009;
inline constexpr int kIdListI2c = 1010;
inline constexpr int kIdDeviceList = 1011;
inline constexpr int kIdVerifyAfterProgram = 1012;
inline constexpr int kIdSaveBlankCells = 1013;
inline constexpr int kIdListSpi = 1014;
inline constexpr int kIdListMicrowire = 1015;
inline constexpr int kIdErase = 1016;
inline constexpr int kIdProgressBar = 1019;
inline constexpr int kIdCheckChecksums = 1022;
inline constexpr int kIdPageWrite = 1023;

// The controls a running hardware action locks; "Abbrechen" is not among them.
inline constexpr int kLockedControls[] = {
    kIdProgram,        kIdVerify,         kIdBlankCheck,       kIdRead,       kIdNewFile,
    kIdPrefs,          kIdErase,          kIdManufacturerList, kIdDeviceList, kIdVerifyAfterProgram,
    kIdSaveBlankCells, kIdCheckChecksums, kIdPageWrite,        kIdListI2c,    kIdListSpi,
    kIdListMicrowire,  kIdFileName};

}  // namespace pellory
