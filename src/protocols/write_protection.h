// Write protection of 25-series flash and SPI EEPROMs as their status registers show it:
// which bits are block protect (BP), where the protected blocks lie, the status-register
// protect bit, and whether the part comes out of power-on protected. Layouts differ by
// maker and part, so they live in one table keyed by the JEDEC id (manufacturer and memory
// type), with a default for parts without an id.
//
// The protected area grows from the top of the memory (from the bottom with the TB bit
// set): BP value n (1 and up) protects Unit << (n - 1) bytes (4 KiB << (n - 1), at most
// 32 KiB, with SEC set), the whole memory from the value whose area would reach it, and
// always at the highest BP value; CMP set protects what that leaves. SPI EEPROMs (two BP
// bits) protect the upper quarter, the upper half or everything.
#pragma once

#include <cstdint>
#include <string>

namespace pellory {

struct ProtectionLayout {
  const char* Name;  // the family, for the report ("Winbond W25Q")
  uint32_t Jedec;    // the whole id (three bytes), or manufacturer and memory type
                     // (two); 0: the default
  int BpBits;        // BP bits a status write sets, from bit 2 up
  int RangeBits;     // of those, the ones the protected range depends on
  int TbBit;         // protect from the bottom; -1 when the part has none
  int SecBit;        // count 4 KiB sectors instead of blocks; -1 when none
  int SrpBit;        // the status-register protect bit (SRWD, SRP0, BPL, WPEN)
  const char* SrpName;
  uint8_t Status2Read;     // instruction of a second status register, 0 when none
  int CmpBit;              // in the second register: protect the complement; -1 when none
  uint32_t Unit;           // bytes BP value 1 protects; 0: what makes the value below all
                           // ones protect the upper half, at least 64 KiB
  bool PowersUpProtected;  // block protect set after every power-on
  // Instruction of a third status register, 0 when none. Parts of one id differ here (the
  // W25Q..BV have none, the FV and JV parts do); one that has none leaves SO high.
  uint8_t Status3Read;
  int WpsBit;  // in the third register: block locks of their own instead of BP; -1 none
};

// The layout of a part with JEDEC id ID (three bytes; 0 for none); SPIEEPROM: an SPI EEPROM.
const ProtectionLayout& ProtectionLayoutFor(uint32_t id, bool spiEeprom);

struct ProtectionState {
  uint8_t Status = 0;
  int Bp = 0;
  bool Srp = false;
  bool WriteEnabled = false;
  bool Busy = false;
  bool Any = false;    // some block is protected
  uint32_t First = 0;  // the protected range, when Any
  uint32_t Last = 0;
};

ProtectionState DecodeProtection(const ProtectionLayout& layout, uint8_t status, uint32_t size,
                                 uint8_t status2 = 0);
// STATUS with its BP bits set to BP, every other bit kept.
uint8_t WithBlockProtect(const ProtectionLayout& layout, uint8_t status, int bp);

// "Schutz: 0x0F0000 bis 0x0FFFFF (BP=1)", "Schutz: keiner", "Schutz: alles (BP=7)".
std::string ProtectionText(const ProtectionLayout& layout, const ProtectionState& state,
                           uint32_t size);

}  // namespace pellory
