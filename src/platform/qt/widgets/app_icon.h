#pragma once

#include <QPixmap>

namespace tonvera {

// The application's icon, the one its launcher shows (the theme's "tonvera", else our own
// drawing), `size` pixels square and clipped to a square with corners of `radius`; null when
// there is none.
QPixmap appIconPixmap(int size, double radius, qreal ratio);

}  // namespace tonvera
