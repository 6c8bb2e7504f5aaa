#include "shell/qt/protect_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "shell/qt/dialog_template.h"

namespace pellory {

namespace {

// Four block-protect bits at most (BP0 to BP3); 0 is "Schutz aufheben".
constexpr int kLargestBlockProtect = 15;

// The choices of ClearProtection, the default first.
constexpr std::pair<int, const char*> kClearChoices[] = {
    {2, "bei Bausteinen, die geschützt starten"},
    {1, "immer"},
    {0, "nie"},
};

constexpr char kShowToolTip[] = "Liest das Statusregister und zeigt, welche Blöcke geschützt sind";
constexpr char kClearToolTip[] = "Setzt die Blockschutz-Bits auf 0 und liest sie zurück";
constexpr char kSetToolTip[] =
    "Schreibt diesen Wert in die Blockschutz-Bits und liest ihn zurück; welchen Bereich er "
    "schützt, hängt vom Baustein ab";
constexpr char kClearProtectionToolTip[] =
    "Ob Brennen und Löschen einen Blockschutz nach dem Einschalten vor dem ersten Schreiben "
    "aufheben: immer, nur bei Bausteinen, die geschützt starten, oder nie. Bei „nie“ wird ein "
    "geschützter Baustein abgelehnt (Ergebnis 25), ohne dass etwas geschrieben wird.";

QString Text(const char* utf8) {
  return QString::fromUtf8(utf8);
}

QRadioButton* MakeChoice(const char* text, const char* name, const char* tip, QWidget* parent) {
  auto* choice = new QRadioButton(Text(text), parent);
  choice->setObjectName(Text(name));
  choice->setToolTip(Text(tip));
  return choice;
}

}  // namespace

ProtectDialog::ProtectDialog(int clearProtection, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  setWindowTitle(Text(kProtectDialogTitle));
  setFont(DialogFont());

  show_ = MakeChoice("Schutz &anzeigen", kProtectShowName, kShowToolTip, this);
  clear_ = MakeChoice("Schutz a&ufheben", kProtectClearName, kClearToolTip, this);
  set_ = MakeChoice("&Blockschutz setzen:", kProtectSetName, kSetToolTip, this);
  show_->setChecked(true);
  value_ = new QSpinBox(this);
  value_->setObjectName(Text(kProtectValueName));
  value_->setRange(1, kLargestBlockProtect);
  value_->setToolTip(Text(kSetToolTip));
  value_->setEnabled(false);
  connect(set_, &QRadioButton::toggled, value_, &QWidget::setEnabled);
  auto* setRow = new QHBoxLayout;
  setRow->addWidget(set_);
  setRow->addWidget(value_);
  setRow->addStretch(1);

  clearProtection_ = new QComboBox(this);
  clearProtection_->setObjectName(Text(kClearProtectionName));
  clearProtection_->setToolTip(Text(kClearProtectionToolTip));
  for (auto [value, text] : kClearChoices) clearProtection_->addItem(Text(text), value);
  clearProtection_->setCurrentIndex(std::max(clearProtection_->findData(clearProtection), 0));
  auto* label = new QLabel(Text("Schutz &vor dem Brennen aufheben:"), this);
  label->setBuddy(clearProtection_);
  label->setToolTip(clearProtection_->toolTip());

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* run = buttons->addButton(Text(kProtectRunText), QDialogButtonBox::AcceptRole);
  buttons->addButton(Text("Abbrechen"), QDialogButtonBox::RejectRole);
  run->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(show_);
  layout->addWidget(clear_);
  layout->addLayout(setRow);
  const int gap = fontMetrics().height() / 2;
  layout->addSpacing(gap);
  layout->addWidget(label);
  layout->addWidget(clearProtection_);
  layout->addSpacing(gap);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

int ProtectDialog::BlockProtect() const {
  if (clear_->isChecked()) return 0;
  if (set_->isChecked()) return value_->value();
  return -1;
}

int ProtectDialog::ClearProtection() const {
  return clearProtection_->currentData().toInt();
}

}  // namespace pellory
