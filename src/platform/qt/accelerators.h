#pragma once

#include <QString>
#include <string>

namespace tonvera {

// Qt reads "&" in button, check-box and menu texts as the mark of a keyboard accelerator.
// Device names and messages must show it as written, so every "&" is doubled.
inline QString withoutAccelerators(QString text) {
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

inline QString withoutAccelerators(const std::string& text) {
    return withoutAccelerators(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

}  // namespace tonvera
