#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <string_view>

namespace tonvera {

// Named symbols ("checkmark.shield.fill", "magnifyingglass", …): the desktop theme's icon of
// the same meaning where the theme has one, else our own monochrome drawing.
QIcon symbolIcon(std::string_view symbolName);

// The symbol drawn `size` pixels square (device-independent) in one colour.
QPixmap symbolPixmap(std::string_view symbolName, int size, const QColor& tint);

// Whether the application carries its own drawing of `symbolName`.
bool hasOwnSymbol(std::string_view symbolName);

}  // namespace tonvera
