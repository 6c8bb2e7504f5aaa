#include "operations/serial_number.h"

#include <algorithm>

#include "ui/text_format.h"

namespace pellory {

namespace {

uint64_t Power(uint64_t base, int exponent) {
  uint64_t value = 1;
  for (int i = 0; i < exponent; ++i) value *= base;
  return value;
}

std::string Decimal(uint64_t value) {
  return std::to_string(value);
}

}  // namespace

const char* SerialFormWords(SerialForm form) {
  switch (form) {
    case SerialForm::kBinary:
      return "binär";
    case SerialForm::kBcd:
      return "BCD";
    case SerialForm::kDecimal:
      return "ASCII dezimal";
    case SerialForm::kHex:
      return "ASCII hexadezimal";
    case SerialForm::kUnknown:
      break;
  }
  return "?";
}

uint64_t LargestSerial(SerialForm form, int length) {
  switch (form) {
    case SerialForm::kBinary:
      return length >= 8 ? UINT64_MAX : Power(256, length) - 1;
    case SerialForm::kBcd:
      return Power(10, 2 * length) - 1;
    case SerialForm::kDecimal:
      return Power(10, length) - 1;
    case SerialForm::kHex:
      return Power(16, length) - 1;
    case SerialForm::kUnknown:
      break;
  }
  return 0;
}

std::string SerialRefusal(const SerialSettings& serial, uint64_t value, uint64_t deviceBytes) {
  if (!serial.Unreadable.empty()) {
    return StrFormat(kSerialUnreadableFormat, serial.Unreadable.c_str());
  }
  if (serial.Length < 1 || serial.Length > 8) {
    return StrFormat(kSerialLengthFormat, static_cast<long long>(serial.Length));
  }
  int length = static_cast<int>(serial.Length);
  if (serial.Address >= deviceBytes || deviceBytes - serial.Address < uint64_t(length)) {
    unsigned long long first = serial.Address;
    return StrFormat(kSerialBeyondDeviceFormat, first, first + length - 1,
                     static_cast<unsigned long long>(deviceBytes),
                     static_cast<unsigned long long>(deviceBytes == 0 ? 0 : deviceBytes - 1));
  }
  uint64_t largest = LargestSerial(serial.Form, length);
  if (value > largest) {
    return StrFormat(kSerialTooLargeFormat, SerialText(serial, value).c_str(),
                     static_cast<long long>(length), SerialFormWords(serial.Form),
                     SerialText(serial, largest).c_str());
  }
  if (serial.Step == 0) return kSerialStepZero;
  if (value > UINT64_MAX - serial.Step) {
    return StrFormat(kSerialExhaustedFormat, SerialText(serial, value).c_str(),
                     Decimal(serial.Step).c_str());
  }
  return "";
}

std::vector<uint8_t> EncodeSerial(const SerialSettings& serial, uint64_t value) {
  int length = static_cast<int>(serial.Length);
  std::vector<uint8_t> bytes(length);
  switch (serial.Form) {
    case SerialForm::kBinary:
    case SerialForm::kBcd:
      // Filled from the lowest byte at the end, then turned for the low-first order.
      for (int i = length - 1; i >= 0; --i) {
        if (serial.Form == SerialForm::kBinary) {
          bytes[i] = static_cast<uint8_t>(value & 0xFF);
          value >>= 8;
        } else {
          bytes[i] = static_cast<uint8_t>(value % 10 | (value / 10 % 10) << 4);
          value /= 100;
        }
      }
      if (serial.LowByteFirst) std::reverse(bytes.begin(), bytes.end());
      break;
    case SerialForm::kDecimal:
    case SerialForm::kHex: {
      std::string text = SerialText(serial, value);
      bytes.assign(text.end() - length, text.end());
      break;
    }
    case SerialForm::kUnknown:
      break;
  }
  return bytes;
}

std::string SerialText(const SerialSettings& serial, uint64_t value) {
  int width = serial.Length >= 1 && serial.Length <= 8 ? static_cast<int>(serial.Length) : 1;
  switch (serial.Form) {
    case SerialForm::kHex:
      return StrFormat("%0*llX", width, static_cast<unsigned long long>(value));
    case SerialForm::kDecimal:
      return StrFormat("%0*llu", width, static_cast<unsigned long long>(value));
    default:
      return Decimal(value);
  }
}

}  // namespace pellory
