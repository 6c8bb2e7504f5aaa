// ProtectDialog: the "Schutz" window of the menu "Baustein". It asks what to do with the
// chip's write protection (show it, clear it, or set the block-protect bits to a value) and
// how programming and the chip erase treat a protected chip (the setting ClearProtection).
// It only asks: the caller stores the setting and runs the command once it was accepted.
// "Abbrechen", Escape and the close box leave both alone.
#pragma once

#include <QDialog>

class QComboBox;
class QRadioButton;
class QSpinBox;

namespace pellory {

inline constexpr char kProtectDialogTitle[] = "Schutz";
inline constexpr char kProtectRunText[] = "Ausführen";
// Object names of the dialog's fields.
inline constexpr char kProtectShowName[] = "protectShow";
inline constexpr char kProtectClearName[] = "protectClear";
inline constexpr char kProtectSetName[] = "protectSet";
inline constexpr char kProtectValueName[] = "protectValue";
inline constexpr char kClearProtectionName[] = "clearProtection";

class ProtectDialog : public QDialog {
  Q_OBJECT

 public:
  // Opens on "Schutz anzeigen", with the combo box at CLEAR_PROTECTION (the setting's
  // value; an unknown one shows the default).
  ProtectDialog(int clearProtection, QWidget* parent);

  // The protect command's argument for the choice: -1 show, 0 clear, else the value to set.
  int BlockProtect() const;
  // The value of ClearProtection the combo box stands at.
  int ClearProtection() const;

 private:
  QRadioButton* show_ = nullptr;
  QRadioButton* clear_ = nullptr;
  QRadioButton* set_ = nullptr;
  QSpinBox* value_ = nullptr;
  QComboBox* clearProtection_ = nullptr;
};

}  // namespace pellory
