#include "shell/qt/serial_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <optional>

#include "operations/serial_number.h"
#include "settings/ini_file.h"
#include "shell/qt/dialog_template.h"
#include "ui/text_format.h"

namespace pellory {

namespace {

// The forms as the list offers them, in the order of SerialForm.
constexpr const char* kFormChoices[] = {"binär", "BCD (gepackt)", "ASCII dezimal",
                                        "ASCII hexadezimal"};
constexpr const char* kOrderChoices[] = {"höchstwertiges Byte zuerst",
                                         "niedrigstwertiges Byte zuerst"};

// The fields' names in a complaint, and what each takes.
constexpr char kAddressWord[] = "Adresse";
constexpr char kNextWord[] = "Nächste Nummer";
constexpr char kStepWord[] = "Schrittweite";
constexpr char kAddressTakes[] =
    "eine Dezimalzahl oder eine Hexadezimalzahl mit 0x davor (z. B. 240 oder 0xF0)";
constexpr char kDecimalTakes[] = "eine Dezimalzahl (Ziffern 0 bis 9)";
constexpr char kHexTakes[] = "eine Hexadezimalzahl (Ziffern 0 bis 9 und A bis F)";

constexpr char kEnabledTip[] =
    "Jeder gebrannte Baustein bekommt die nächste Nummer; „Brennen“ und „Serie starten“ "
    "halten jeden Baustein in der Protokolldatei fest";
constexpr char kAddressTip[] =
    "Byte-Adresse des ersten Bytes der Nummer im Abbild der Datei, dezimal oder mit 0x "
    "hexadezimal; bei Microwire-Bausteinen ebenfalls in Bytes (Wort w = Bytes 2w und 2w+1)";
constexpr char kLengthTip[] = "Wie viele Bytes die Nummer belegt (1 bis 8)";
constexpr char kFormTip[] =
    "binär: der Wert als Zahl; BCD: zwei Dezimalziffern je Byte; ASCII: ein Zeichen je Byte, "
    "mit führenden Nullen";
constexpr char kOrderTip[] =
    "Für binär und BCD; die ASCII-Formen stehen immer von links nach rechts im Baustein";
constexpr char kNextTip[] =
    "Die Nummer des nächsten Bausteins: dezimal, bei „ASCII hexadezimal“ hexadezimal";
constexpr char kStepTip[] = "Um wie viel die Nummer von Baustein zu Baustein wächst (dezimal)";
constexpr char kRecordTip[] =
    "Die Datei, in der die Serie jeden Baustein festhält; ohne Ordner liegt sie im "
    "Arbeitsordner neben ORVANE.INI";
constexpr char kPreviewTip[] = "Die Bytes, die der nächste Baustein bekommt";

// Room of the record file's field and the preview, in average characters.
constexpr int kFieldChars = 34;
constexpr int kPreviewLines = 3;

QString Text(const char* utf8) {
  return QString::fromUtf8(utf8);
}

// TEXT, blanks around it left out, as ParseUnsigned64 reads it.
std::optional<uint64_t> ParseNumber(const QString& text, int base, bool hexPrefix) {
  return ParseUnsigned64(text.trimmed().toStdString(), base, hexPrefix);
}

// "0x00F0": the address as the field and the preview show it.
std::string AddressText(uint64_t address) {
  return StrFormat("0x%04llX", static_cast<unsigned long long>(address));
}

std::string NotANumber(const QString& text, const char* word, const char* takes) {
  return StrFormat(kSerialNotANumberFormat, text.toStdString().c_str(), word, takes);
}

}  // namespace

SerialDialog::SerialDialog(const SerialSettings& serial, uint64_t deviceBytes,
                           std::function<void(const std::string&)> complain, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      deviceBytes_(deviceBytes),
      complain_(std::move(complain)),
      accepted_(serial) {
  setWindowTitle(Text(kSerialDialogTitle));
  setFont(DialogFont());
  const int fieldWidth = fontMetrics().averageCharWidth() * kFieldChars;

  enabled_ = new QCheckBox(Text("Seriennummer &vergeben"), this);
  address_ = new QLineEdit(this);
  length_ = new QSpinBox(this);
  length_->setRange(1, 8);
  form_ = new QComboBox(this);
  for (const char* choice : kFormChoices) form_->addItem(Text(choice));
  order_ = new QComboBox(this);
  for (const char* choice : kOrderChoices) order_->addItem(Text(choice));
  next_ = new QLineEdit(this);
  step_ = new QLineEdit(this);
  record_ = new QLineEdit(this);
  record_->setMinimumWidth(fieldWidth);
  preview_ = new QLabel(this);
  preview_->setWordWrap(true);
  preview_->setTextFormat(Qt::PlainText);
  preview_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  preview_->setFrameShape(QFrame::StyledPanel);
  preview_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  preview_->setMinimumHeight(fontMetrics().lineSpacing() * kPreviewLines +
                             2 * preview_->frameWidth() + 4);

  const std::pair<QWidget*, const char*> named[] = {
      {enabled_, kSerialEnabledName}, {address_, kSerialAddressName},
      {length_, kSerialLengthName},   {form_, kSerialFormName},
      {order_, kSerialOrderName},     {next_, kSerialNextName},
      {step_, kSerialStepName},       {record_, kSerialRecordName},
      {preview_, kSerialPreviewName},
  };
  for (auto [widget, name] : named) widget->setObjectName(Text(name));

  // The fields show the settings as they are, a form the file named wrongly as binary.
  enabled_->setChecked(serial.Enabled != 0);
  address_->setText(QString::fromStdString(AddressText(serial.Address)));
  length_->setValue(serial.Length >= 1 && serial.Length <= 8 ? static_cast<int>(serial.Length) : 4);
  shownForm_ = serial.Form == SerialForm::kUnknown ? SerialForm::kBinary : serial.Form;
  form_->setCurrentIndex(static_cast<int>(shownForm_));
  order_->setCurrentIndex(serial.LowByteFirst ? 1 : 0);
  next_->setText(NextText(serial.Next, shownForm_));
  step_->setText(QString::number(serial.Step));
  record_->setText(QString::fromStdString(serial.RecordFile));

  auto* fields = new QFormLayout;
  const std::pair<const char*, QWidget*> rows[] = {
      {"&Adresse:", address_},        {"&Länge (Bytes):", length_}, {"&Form:", form_},
      {"&Byte-Reihenfolge:", order_}, {"&Nächste Nummer:", next_},  {"&Schrittweite:", step_},
      {"&Protokolldatei:", record_},
  };
  for (auto [label, field] : rows) fields->addRow(Text(label), field);
  const std::pair<QWidget*, const char*> tips[] = {
      {enabled_, kEnabledTip}, {address_, kAddressTip}, {length_, kLengthTip},
      {form_, kFormTip},       {order_, kOrderTip},     {next_, kNextTip},
      {step_, kStepTip},       {record_, kRecordTip},   {preview_, kPreviewTip},
  };
  for (auto [widget, tip] : tips) {
    widget->setToolTip(Text(tip));
    if (QWidget* label = fields->labelForField(widget)) label->setToolTip(Text(tip));
  }

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  buttons->addButton(Text("Abbrechen"), QDialogButtonBox::RejectRole);
  ok->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(enabled_);
  layout->addLayout(fields);
  layout->addWidget(preview_);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(form_, &QComboBox::currentIndexChanged, this, &SerialDialog::FormChanged);
  for (QLineEdit* edit : {address_, next_, step_, record_}) {
    connect(edit, &QLineEdit::textChanged, this, &SerialDialog::UpdatePreview);
  }
  connect(length_, &QSpinBox::valueChanged, this, &SerialDialog::UpdatePreview);
  connect(order_, &QComboBox::currentIndexChanged, this, &SerialDialog::UpdatePreview);
  FormChanged();
}

SerialForm SerialDialog::SelectedForm() const {
  return static_cast<SerialForm>(form_->currentIndex());
}

QString SerialDialog::NextText(uint64_t value, SerialForm form) const {
  return form == SerialForm::kHex ? QString::number(value, 16).toUpper() : QString::number(value);
}

void SerialDialog::FormChanged() {
  SerialForm form = SelectedForm();
  // The number stays the same when its digits change: 255 becomes FF.
  bool wasHex = shownForm_ == SerialForm::kHex;
  if (wasHex != (form == SerialForm::kHex)) {
    if (auto value = ParseNumber(next_->text(), wasHex ? 16 : 10, wasHex)) {
      next_->setText(NextText(*value, form));
    }
  }
  shownForm_ = form;
  // ASCII digits are read left to right: no byte order to choose.
  order_->setEnabled(form == SerialForm::kBinary || form == SerialForm::kBcd);
  UpdatePreview();
}

SerialDialog::Reading SerialDialog::Read() const {
  Reading reading;
  SerialSettings& s = reading.Serial;
  s.Enabled = enabled_->isChecked() ? 1 : 0;
  s.Length = length_->value();
  s.Form = SelectedForm();
  s.LowByteFirst = order_->currentIndex() == 1;
  s.RecordFile = record_->text().trimmed().toStdString();
  bool hex = s.Form == SerialForm::kHex;
  const struct {
    QLineEdit* Field;
    uint64_t& Value;
    const char* Word;
    const char* Takes;
    int Base;
    bool HexPrefix;
  } numbers[] = {
      {address_, s.Address, kAddressWord, kAddressTakes, 10, true},
      {next_, s.Next, kNextWord, hex ? kHexTakes : kDecimalTakes, hex ? 16 : 10, hex},
      {step_, s.Step, kStepWord, kDecimalTakes, 10, false},
  };
  for (const auto& number : numbers) {
    std::optional<uint64_t> value =
        ParseNumber(number.Field->text(), number.Base, number.HexPrefix);
    if (!value) {
      reading.Problem = NotANumber(number.Field->text(), number.Word, number.Takes);
      reading.Field = number.Field;
      return reading;
    }
    number.Value = *value;
  }
  if (s.RecordFile.empty()) {
    reading.Problem = kSerialRecordMissing;
    reading.Field = record_;
    return reading;
  }
  // Without a selected device only the field and the value itself are checked.
  reading.Problem = SerialRefusal(s, s.Next, deviceBytes_ != 0 ? deviceBytes_ : UINT64_MAX);
  reading.Refusal = !reading.Problem.empty();
  return reading;
}

void SerialDialog::UpdatePreview() {
  Reading reading = Read();
  if (!reading.Problem.empty()) {
    // The first paragraph says it; what follows speaks of a chip that was not written.
    preview_->setText(
        QString::fromStdString(reading.Problem.substr(0, reading.Problem.find("\n\n"))));
    return;
  }
  std::string bytes;
  for (uint8_t byte : EncodeSerial(reading.Serial, reading.Serial.Next)) {
    bytes += StrFormat(bytes.empty() ? "%02X" : " %02X", byte);
  }
  std::string address = AddressText(reading.Serial.Address);
  preview_->setText(
      QString::fromStdString(StrFormat(kSerialPreviewFormat, address.c_str(), bytes.c_str())));
}

void SerialDialog::accept() {
  Reading reading = Read();
  // Numbering that is off writes nothing: its field need not fit the chip in the socket.
  bool refused = !reading.Problem.empty() && (!reading.Refusal || reading.Serial.Enabled != 0);
  if (!refused) {
    accepted_ = reading.Serial;
    QDialog::accept();
    return;
  }
  if (complain_) complain_(reading.Problem);
  if (reading.Field != nullptr) {
    reading.Field->setFocus(Qt::OtherFocusReason);
    // The wrong text is selected so that typing replaces it.
    if (auto* edit = qobject_cast<QLineEdit*>(reading.Field)) edit->selectAll();
  }
}

}  // namespace pellory
