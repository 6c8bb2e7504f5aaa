// A dialog window built the way a window template describes it: a table of controls, each
// with its id, kind, caption and rectangle in dialog units. Dialog units follow the dialog
// font: a horizontal unit is a quarter of the font's average character width (measured on
// the 52 letters A-Z and a-z, rounded), a vertical unit an eighth of its height. Positions
// are rounded to whole pixels the way the window system of the template does (MulDiv).
//
// BuildControls creates the controls as children of the dialog (group boxes are plain
// siblings of what they frame, as in a template), in table order, which is also the tab
// order. Every control with an id carries that id as its object name. Nothing here fails:
// a picture whose resource is missing stays empty.
#pragma once

#include <QFont>
#include <QRect>
#include <QWidget>
#include <map>
#include <span>

namespace pellory {

enum class ControlKind {
  kStatic,         // text label
  kProgressBar,    // no text on the bar
  kPushButton,     //
  kDefaultButton,  // the push button that Enter presses
  kReadOnlyEdit,   //
  kEdit,           //
  kComboBox,       // edit field with a drop-down list; the height includes the list
  kPicture,        // caption: resource path of the bitmap
  kFramedPicture,  // picture centred in a control with a thin border
  kGroupBox,       //
  kCheckBox,       //
};

// Controls without an id, like the labels and group boxes of a template.
inline constexpr int kNoControlId = -1;

struct TemplateControl {
  int Id;
  ControlKind Kind;
  const char* Caption;
  int X, Y, Width, Height;  // dialog units
};

// The font every dialog of the tool uses: 8 points, the classic dialog face where the
// system has it, else the system's sans-serif face.
QFont DialogFont();

class DialogUnits {
 public:
  DialogUnits(int baseX, int baseY) : baseX_(baseX), baseY_(baseY) {}
  static DialogUnits Of(const QFont& font);

  int BaseX() const { return baseX_; }
  int BaseY() const { return baseY_; }
  int ToPixelsX(int units) const;
  int ToPixelsY(int units) const;
  QRect ToPixels(int x, int y, int width, int height) const;

 private:
  int baseX_;
  int baseY_;
};

// The controls of TABLE, created on PARENT (which already has the dialog font), by id.
std::map<int, QWidget*> BuildControls(QWidget* parent, std::span<const TemplateControl> table,
                                      const DialogUnits& units);

}  // namespace pellory
