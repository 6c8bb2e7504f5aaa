// SerialDialog: the "Seriennummer" window of the menu "Einstellungen". It asks whether
// programming gives every chip a serial number, where the number lies in the image, how
// long it is and in which form and byte order, the next number, the step and the record
// file of a production run. A line below the fields shows the bytes the next number gives
// at its address, or why it cannot be given.
//
// OK checks the fields. One that holds no number is named in a box, gets the focus and the
// dialog stays open. While numbering is on, a number that cannot be written (field beyond
// the selected device, value too large for the field, step 0) is refused with the message
// a production run would show, and the dialog stays open as well; numbering that is off is
// kept whatever its field holds, since nothing is written with it. The dialog only asks:
// the caller stores Serial(). "Abbrechen", Escape and the close box change nothing.
#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>
#include <string>

#include "model/app_settings.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace pellory {

inline constexpr char kSerialDialogTitle[] = "Seriennummer";
// A field that holds no number. %s: its text, its label, what it takes.
inline constexpr char kSerialNotANumberFormat[] =
    "„%s“ ist keine gültige Angabe für „%s“.\n\nErwartet wird %s.";
inline constexpr char kSerialRecordMissing[] =
    "Bitte geben Sie den Namen der Protokolldatei an, in der die Serie jeden Baustein "
    "festhält.";
// %s: the address, the bytes in hexadecimal.
inline constexpr char kSerialPreviewFormat[] = "Bytes an %s: %s";

// Object names of the dialog's fields.
inline constexpr char kSerialEnabledName[] = "serialEnabled";
inline constexpr char kSerialAddressName[] = "serialAddress";
inline constexpr char kSerialLengthName[] = "serialLength";
inline constexpr char kSerialFormName[] = "serialForm";
inline constexpr char kSerialOrderName[] = "serialOrder";
inline constexpr char kSerialNextName[] = "serialNext";
inline constexpr char kSerialStepName[] = "serialStep";
inline constexpr char kSerialRecordName[] = "serialRecord";
inline constexpr char kSerialPreviewName[] = "serialPreview";

class SerialDialog : public QDialog {
  Q_OBJECT

 public:
  // Opens on SERIAL. DEVICE_BYTES: the selected device's image size, 0 when none is
  // selected (then only the field and the value are checked). COMPLAIN shows a refusal.
  SerialDialog(const SerialSettings& serial, uint64_t deviceBytes,
               std::function<void(const std::string&)> complain, QWidget* parent);

  // What the fields gave when OK closed the dialog.
  const SerialSettings& Serial() const { return accepted_; }

 public slots:
  // OK: check, then close, or complain and stay.
  void accept() override;

 private:
  // The settings the fields stand for, or the message why they cannot be had and the field
  // to blame (null for the settings as a whole). REFUSAL: the number cannot be written,
  // though every field holds what it takes.
  struct Reading {
    SerialSettings Serial;
    std::string Problem;
    QWidget* Field = nullptr;
    bool Refusal = false;
  };
  Reading Read() const;
  // The next number's text in FORM's digits.
  QString NextText(uint64_t value, SerialForm form) const;
  SerialForm SelectedForm() const;
  void FormChanged();
  void UpdatePreview();

  uint64_t deviceBytes_;
  std::function<void(const std::string&)> complain_;
  SerialSettings accepted_;
  // The form the field "Nächste Nummer" is written in.
  SerialForm shownForm_ = SerialForm::kBinary;
  QCheckBox* enabled_ = nullptr;
  QLineEdit* address_ = nullptr;
  QSpinBox* length_ = nullptr;
  QComboBox* form_ = nullptr;
  QComboBox* order_ = nullptr;
  QLineEdit* next_ = nullptr;
  QLineEdit* step_ = nullptr;
  QLineEdit* record_ = nullptr;
  QLabel* preview_ = nullptr;
};

}  // namespace pellory
