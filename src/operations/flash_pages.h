// FlashPages: the page loops that program 25-series flash and AT45 DataFlash from the open
// data file, one page of PageSize bytes per read. A 25-series chip has been erased just
// before; each page gets a write enable and a page program (a page write for parts with
// page erase only), then a ready poll; after a chip erase pages of 0xFF are skipped. The
// bar counts the pages written. An AT45 page is written through buffer 1 with a buffer
// program and then compared with the buffer; a compare that differs fails the page.
//
// Pages start at page boundaries, so no write crosses one. A last page the file does not
// fill is sent as far as the file goes. An AT45 program erases the whole page and writes
// the whole buffer, so such a page is first transferred into buffer 1 (At45PageToBuffer,
// then a ready poll): the cells after the file's end keep their content.
//
// Results: kResultOk; kResultProgramFailed after the prompt was cancelled, a failed
// identity or density check, a page error ("Fehler beim brennen von Page %ld" with the
// failing page, from 0), or "Abbrechen" (only "Programmierung abgebrochen !" then);
// kResultDataFile, after "Baustein wurde nicht programmiert !", when the data file could
// not be read or was cut short while in use. Pages written before a failure stay written.
#pragma once

#include "model/app_settings.h"
#include "operations/data_file.h"
#include "operations/operation_frame.h"

namespace pellory {

class FlashPages {
 public:
  FlashPages(OperationFrame& frame, const AppSettings& settings, DataFile& data)
      : frame_(frame), settings_(settings), data_(data) {}

  // ERASED: the chip erase before has set every cell to 0xFF, so pages of 0xFF are skipped.
  int ProgramSpi25Pages(uint32_t start, bool erased = false);
  int ProgramAt45Pages(uint32_t start);

 private:
  uint32_t PageSize() const;
  // The frame up to PowerOn: the bar for PAGES pages written, prompt, "Abbrechen", status text.
  // kResultProgramFailed when the prompt was cancelled, or when a cancel came before the first page
  // (said).
  int Begin(uint32_t pages);
  uint32_t FilePages(uint32_t start) const;
  int Finish(int error, uint32_t failedPage);
  // kResultProgramFailed (with "Programmierung abgebrochen !" after a cancel) when the run
  // was stopped; pumps the events first, so that a signal just noted counts.
  int StopBeforeFirstPage();

  OperationFrame& frame_;
  const AppSettings& settings_;
  DataFile& data_;
};

}  // namespace pellory
