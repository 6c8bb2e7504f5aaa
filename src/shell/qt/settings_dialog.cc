#include "shell/qt/settings_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace pellory {

namespace {

constexpr TemplateControl kControls[] = {
    {kNoControlId, ControlKind::kStatic, "Portadresse", 5, 5, 50, 8},
    {kIdPortField, ControlKind::kComboBox, "", 5, 15, 48, 65},
    {kNoControlId, ControlKind::kStatic, "Länge HEX-Zeile", 65, 5, 60, 8},
    {kIdHexLineField, ControlKind::kEdit, "", 65, 15, 40, 14},
    {kNoControlId, ControlKind::kStatic, "Timeout-Zähler", 5, 35, 58, 8},
    {kIdTimeoutField, ControlKind::kEdit, "", 5, 45, 40, 14},
    {kNoControlId, ControlKind::kStatic, "Korrektur", 65, 35, 50, 8},
    {kIdCorrectionField, ControlKind::kEdit, "", 65, 45, 40, 14},
    {kIdBeepBox, ControlKind::kCheckBox, "Signalton", 130, 45, 45, 10},
    {kIdDialogOk, ControlKind::kDefaultButton, "OK", 129, 7, 50, 14},
    {kIdDialogCancel, ControlKind::kPushButton, "Abbrechen", 129, 24, 50, 14},
    // Below the first layout's controls, which keep their places.
    {kIdFastI2cBox, ControlKind::kCheckBox, "Schnelles I2C-Lesen (sequentiell)", 5, 65, 150, 10},
    {kNoControlId, ControlKind::kStatic, "Portzugriff", 5, 80, 60, 8},
    {kIdPortAccessField, ControlKind::kComboBox, "", 5, 90, 100, 50},
    {kIdPortTestButton, ControlKind::kPushButton, "Brenner testen", 120, 89, 59, 14},
};

// What each control does; a field's label says the same as the field.
struct ToolTip {
  int Id;
  const char* Label;  // caption of the field's label, or null
  const char* Text;
};
constexpr ToolTip kToolTips[] = {
    {kIdPortField, "Portadresse",
     "Basisadresse der Druckerschnittstelle, an der der Brenner hängt (hexadezimal, z. B. "
     "378)"},
    {kIdHexLineField, "Länge HEX-Zeile",
     "Datenbytes je Zeile beim Schreiben von Hex-Dateien (2 bis 254)"},
    {kIdTimeoutField, "Timeout-Zähler",
     "Wie oft Pellory den Status des Brenners abfragt, während es auf seine Antwort wartet, "
     "bevor es einen Timeout-Fehler meldet (10000 bis 10000000 Abfragen). Eine Anzahl, keine "
     "Zeit: wie lange das dauert, hängt von der Zeit je Portzugriff ab (etwa 1 µs)."},
    {kIdCorrectionField, "Korrektur",
     "Korrektur der Wartezeiten (70 bis 100): die Dauer eines Warteschritts des Brenners in "
     "Prozent von 100 µs, also in µs. Wartezeiten werden in solche Schritte umgerechnet: eine "
     "kleinere Zahl wartet länger. \"Brenner testen\" misst und empfiehlt einen Wert."},
    {kIdBeepBox, nullptr, "Bei jeder Meldung einen Signalton ausgeben"},
    {kIdDialogOk, nullptr, "Prüft die Eingaben und übernimmt sie"},
    {kIdDialogCancel, nullptr, "Schließt das Fenster, ohne etwas zu ändern"},
    {kIdFastI2cBox, nullptr,
     "I2C-Bausteine am Stück lesen (Leertest, Auslesen, Prüfen): etwa fünfmal weniger "
     "Übertragungen"},
    {kIdPortAccessField, "Portzugriff",
     "Wie Pellory die Schnittstelle erreicht: auto (ppdev, sonst direkt), nur ppdev "
     "(/dev/parport*) oder nur direkt (als root)"},
    {kIdPortTestButton, nullptr,
     "Prüft Handshake und Sockelleitungen des Brenners mit den Werten dieses Fensters; der "
     "Sockel muss leer sein"},
};

}  // namespace

SettingsDialog::SettingsDialog(AppSettings& settings, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      settings_(settings) {
  setWindowTitle(QString::fromUtf8(kSettingsDialogTitle));
  setFont(DialogFont());
  DialogUnits units = DialogUnits::Of(font());
  setFixedSize(units.ToPixelsX(kSettingsDialogWidthUnits),
               units.ToPixelsY(kSettingsDialogHeightUnits));
  controls_ = BuildControls(this, kControls, units);
  SetToolTips();

  auto* port = ControlAs<QComboBox>(kIdPortField);
  for (const std::string& choice : PortChoices()) port->addItem(QString::fromStdString(choice));
  SettingsDialogFields open = SettingsDialogOpen(settings_);
  int listed = port->findText(QString::fromStdString(open.Port), Qt::MatchExactly);
  if (listed >= 0) {
    port->setCurrentIndex(listed);
  } else {
    port->setCurrentIndex(-1);
    port->setEditText(QString::fromStdString(open.Port));
  }
  ControlAs<QLineEdit>(kIdTimeoutField)->setText(QString::fromStdString(open.TimeoutCount));
  ControlAs<QLineEdit>(kIdCorrectionField)->setText(QString::fromStdString(open.Correction));
  ControlAs<QLineEdit>(kIdHexLineField)->setText(QString::fromStdString(open.HexLineLength));
  ControlAs<QCheckBox>(kIdBeepBox)->setChecked(open.Beep);
  ControlAs<QCheckBox>(kIdFastI2cBox)->setChecked(open.FastI2cRead);
  auto* access = ControlAs<QComboBox>(kIdPortAccessField);
  access->setEditable(false);
  for (const std::string& choice : PortAccessChoices()) {
    access->addItem(QString::fromStdString(choice));
  }
  access->setCurrentIndex(open.PortAccess);
  auto* test = ControlAs<QPushButton>(kIdPortTestButton);
  test->setEnabled(false);
  connect(test, &QPushButton::clicked, this, &SettingsDialog::RunPortTest);

  connect(ControlAs<QPushButton>(kIdDialogOk), &QPushButton::clicked, this,
          &SettingsDialog::accept);
  connect(ControlAs<QPushButton>(kIdDialogCancel), &QPushButton::clicked, this,
          &SettingsDialog::reject);
}

void SettingsDialog::SetToolTips() {
  QList<QLabel*> labels = findChildren<QLabel*>();
  for (const ToolTip& tip : kToolTips) {
    QString text = QString::fromUtf8(tip.Text);
    if (QWidget* control = Control(tip.Id)) control->setToolTip(text);
    for (QLabel* label : labels) {
      if (tip.Label != nullptr && label->text() == QString::fromUtf8(tip.Label)) {
        label->setToolTip(text);
      }
    }
  }
}

QWidget* SettingsDialog::Control(int id) const {
  auto found = controls_.find(id);
  return found == controls_.end() ? nullptr : found->second;
}

SettingsDialogFields SettingsDialog::Fields() const {
  SettingsDialogFields fields;
  fields.Port = ControlAs<QComboBox>(kIdPortField)->currentText().toStdString();
  fields.TimeoutCount = ControlAs<QLineEdit>(kIdTimeoutField)->text().toStdString();
  fields.Correction = ControlAs<QLineEdit>(kIdCorrectionField)->text().toStdString();
  fields.HexLineLength = ControlAs<QLineEdit>(kIdHexLineField)->text().toStdString();
  fields.Beep = ControlAs<QCheckBox>(kIdBeepBox)->isChecked();
  fields.FastI2cRead = ControlAs<QCheckBox>(kIdFastI2cBox)->isChecked();
  fields.PortAccess = ControlAs<QComboBox>(kIdPortAccessField)->currentIndex();
  return fields;
}

void SettingsDialog::accept() {
  std::optional<SettingsDialogError> error = SettingsDialogApply(Fields(), settings_);
  if (!error) {
    QDialog::accept();
    return;
  }
  ShowFieldError(*error);
}

void SettingsDialog::SetPortTest(std::function<void(const AppSettings& trial)> test) {
  portTest_ = std::move(test);
  ControlAs<QPushButton>(kIdPortTestButton)->setEnabled(static_cast<bool>(portTest_));
}

void SettingsDialog::RunPortTest() {
  if (!portTest_) return;
  AppSettings trial = settings_;
  if (std::optional<SettingsDialogError> error = SettingsDialogApply(Fields(), trial)) {
    ShowFieldError(*error);
    return;
  }
  portTest_(trial);
}

void SettingsDialog::ShowFieldError(const SettingsDialogError& error) {
  ShowValidationMessage(error.Message);
  QWidget* field = Control(error.FieldId);
  if (field == nullptr) return;
  field->setFocus(Qt::OtherFocusReason);
  // The wrong text is selected so that typing replaces it.
  if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->selectAll();
  auto* combo = qobject_cast<QComboBox*>(field);
  if (combo && combo->lineEdit()) combo->lineEdit()->selectAll();
}

void SettingsDialog::ShowValidationMessage(const std::string& text) {
  if (messageHook_) {
    messageHook_(text);
    return;
  }
  QMessageBox box(QMessageBox::Warning, windowTitle(), QString::fromStdString(text),
                  QMessageBox::NoButton, this);
  box.setTextFormat(Qt::PlainText);
  box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
  box.exec();
}

}  // namespace pellory
