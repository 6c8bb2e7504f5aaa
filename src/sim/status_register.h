// StatusLayout: what the status register of a 25-series flash or a 25xxx SPI EEPROM holds
// besides busy (bit 0) and the write-enable latch (bit 1): its block-protect bits (BP0 up
// from bit 2), the bit that together with a low WP pin forbids status writes (SRWD, SRP0,
// BPL or WPEN, always bit 7 here), the Winbond-style TB, SEC and CMP bits and the second
// status register where a part has one. One layout serves a family of parts; the table
// behind StatusLayoutFor is keyed by part name prefix (the longest that matches), and a
// part it does not know gets the plain three-bit layout most makers share.
//
// ProtectedRange decodes the status bytes into the byte addresses a part refuses to
// program or erase, as the part's datasheet tables give them, so that the tool's tests can
// compare against the same decoding the simulated chips obey. Sizes and addresses are
// bytes. Status bytes: [0] the first register (0x05), [1] the second (0x35) where there is
// one; a missing byte counts as 0.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace pellory {

// How the protect bits select the protected range.
enum class ProtectKind : uint8_t {
  // BP value n > 0 protects the top Unit << (n - 1) bytes, clipped to the memory; all
  // BP bits set protect everything.
  kTopBlocks,
  // kTopBlocks, and: TB moves the range to the bottom; SEC counts 4 KiB sectors instead
  // (at most 32 KiB) unless the block count already covers everything; CMP protects
  // exactly what the bits above leave unprotected.
  kWinbond,
};

// Bits of StatusLayout::Flags.
inline constexpr uint8_t kStatusVolatile = 0x01;     // kept only while powered
inline constexpr uint8_t kPowersUpProtected = 0x02;  // every block protected at power-up
inline constexpr uint8_t kEnableStatusWrite = 0x04;  // 0x50 admits the next 0x01 without WREN
inline constexpr uint8_t kWritesStatus2 = 0x08;      // 0x31 writes the second register alone
inline constexpr uint8_t kShortWriteClears2 = 0x10;  // 0x01 with one byte clears SRP1 and QE
inline constexpr uint8_t kHasStatus3 = 0x20;  // 0x15 reads a third register (drive strength, WPS)

// The bit that with WP low refuses every status write.
inline constexpr uint8_t kStatusLockBit = 0x80;
inline constexpr uint8_t kBp0 = 0x04;

struct StatusLayout {
  const char* Prefix;  // part names it serves; "" for the default
  ProtectKind Kind;
  uint8_t BpCount;    // protect bits the range depends on, BP0 at bit 2
  uint8_t Writable1;  // bits of the first register a status write sets
  uint8_t Writable2;  // bits of the second register; 0: the part has none (no 0x35)
  uint8_t Tb;         // first register
  uint8_t Sec;        // first register
  uint8_t Cmp;        // second register
  uint8_t Srp1;       // second register: with SRP0 0 a lock until power-down, with 1 for good
  // Bytes BP value 1 protects; 0: what makes the value below all ones protect the upper
  // half, at least 64 KiB (a 64th of the memory for three BP bits).
  uint32_t Unit;
  uint8_t Flags;
};

// The layout of the 25-series part NAME (ASCII case ignored).
const StatusLayout& StatusLayoutFor(const std::string& name);
// The layout of the 25xxx SPI EEPROMs: BP0 and BP1 protect the upper quarter, half or all
// of SIZE bytes; WPEN is the lock bit.
StatusLayout SpiEepromStatusLayout(uint32_t size);

// Protected byte addresses First .. End - 1; First == End when nothing is protected.
struct ProtectRange {
  uint32_t First = 0;
  uint32_t End = 0;
  bool Empty() const { return First == End; }
  bool Contains(uint32_t address) const { return address >= First && address < End; }
};

ProtectRange ProtectedRange(const StatusLayout& layout, uint32_t size,
                            std::span<const uint8_t> status);
// The same for a 25-series part by name.
ProtectRange ProtectedRange(const std::string& name, uint32_t size,
                            std::span<const uint8_t> status);

// The first-register bits that protect every block of LAYOUT (TB, SEC, CMP left 0).
uint8_t AllBlocksProtected(const StatusLayout& layout);

}  // namespace pellory
