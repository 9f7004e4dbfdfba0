#pragma once

#include <QPalette>

namespace tonvera::testing {

// A dark desktop colour scheme, as Breeze Dark or Adwaita-dark gives Qt, for the pictures and
// the contrast measurements.
inline QPalette darkPalette() {
    QPalette palette;
    const QColor window(0x2B, 0x2B, 0x2F);
    const QColor base(0x1F, 0x1F, 0x23);
    const QColor button(0x3A, 0x3A, 0x40);
    const QColor text(0xEC, 0xEC, 0xEE);
    const QColor disabled(0x7A, 0x7A, 0x80);
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, window);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::PlaceholderText, disabled);
    palette.setColor(QPalette::Button, button);
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::BrightText, Qt::white);
    palette.setColor(QPalette::Highlight, QColor(0x4C, 0x9A, 0xFF));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::ToolTipBase, button);
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::Light, QColor(0x4A, 0x4A, 0x50));
    palette.setColor(QPalette::Midlight, QColor(0x40, 0x40, 0x46));
    palette.setColor(QPalette::Mid, QColor(0x30, 0x30, 0x35));
    palette.setColor(QPalette::Dark, QColor(0x18, 0x18, 0x1B));
    palette.setColor(QPalette::Shadow, Qt::black);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(QPalette::Disabled, role, disabled);
    }
    palette.setColor(QPalette::Disabled, QPalette::Button, QColor(0x33, 0x33, 0x38));
    return palette;
}

}  // namespace tonvera::testing
