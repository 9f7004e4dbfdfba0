#pragma once

#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QString>
#include <string>

#include "platform/qt/widgets/palette.h"

namespace tonvera {

// Small pieces the onboarding pages are built from.

inline QString qText(const std::string& text) {
    return QString::fromStdString(text);
}

// A label in a text style that shows its text literally (never as markup), optionally
// wrapped over as many lines as it needs.
QLabel* makeLabel(TextStyle style, QFont::Weight weight = QFont::Normal, bool wrap = false);

// Sets the label's text only when it differs, so a redraw keeps a selection in it.
void setLabelText(QLabel& label, const std::string& text);

// A layout without margins and with the given spacing between its items.
QVBoxLayout* makeColumn(int spacing);
QHBoxLayout* makeRow(int spacing);

// The pixel size at which a symbol sits next to text of `style`.
int symbolSizeFor(TextStyle style);

// The look of a text field in both windows: its edge stands 3:1 off the background whether it
// has the focus or not, the focus shows as a thicker accent edge, and its placeholder reads
// 4.5:1 like any other text. Cheap to call on every redraw.
void styleTextField(QLineEdit& field, const Palette& palette);

}  // namespace tonvera
