// DeviceReader::ReadDeviceToImage: "Auslesen" into memory, for comparing and viewing.
#include "formats/data_format.h"
#include "operations/device_reader.h"
#include "operations/messages.h"
#include "operations/result_codes.h"

namespace pellory {

int DeviceReader::ReadDeviceToImage(DataImage& image, bool prompted) {
  const DeviceDescriptor& device = frame_.device();
  OperationState& state = frame_.state();
  DeviceBus& bus = frame_.bus();
  Progress& progress = frame_.progress();
  image = DataImage{};

  progress.ProgressStart(device.Size, device.ProgrammingMode == kModeMicrowire ? 2 : 1);
  state.NoAckFlag = 0;
  bus.PowerReset();
  if (prompted && frame_.ReadPrompt(ReadPromptLabel(FormatBinary)) == kIdCancel) {
    progress.ProgressReset();
    return kResultOk;
  }
  frame_.BeginWork(kReadingChipStatus);
  bus.PowerOn();
  state.NoAckFlag = 0;
  bool complete = BeginStream(true);
  if (complete) {
    DataImage read;
    state.CurrentAddress = 0;
    do {
      uint32_t length = FillChunk(device.Size, kBlockBufferSize);
      read.Write(read.Size(), state.BlockBuffer.data(), length);
    } while (state.CurrentAddress < device.Size && !Stopped());
    complete = !Stopped();
    if (complete) image = std::move(read);
  }
  if (device.ProgrammingMode == kModeAt45 || device.ProgrammingMode == kModeSpi25) {
    bus.Deselect();
  }
  bus.PowerOff();
  progress.ProgressReset();
  if (frame_.Cancelled()) frame_.boxes().InfoBox(kChipReadAborted);
  return complete ? kResultOk : kResultReadFailed;
}

}  // namespace pellory
