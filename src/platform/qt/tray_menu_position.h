#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace tonvera {

// Where a menu of `menu`'s size opens from a tray icon clicked at `click`: beside `panel`, the
// panel that holds the icon, as close to the icon as `screen` allows, never over the panel and
// with it the icon. Below a panel along the top, above one along the bottom, to the side of
// one along the left or right.
QPoint besidePanel(const QRect& panel, QPoint click, QSize menu, const QRect& screen);

// The same for the pointer's place: beside the panel under the pointer on X11, at the pointer
// where no panel can be found.
QPoint trayMenuPosition(QSize menu);

}  // namespace tonvera
