#include "platform/qt/qt_application.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace tonvera {

void QtApplication::terminate() {
    QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                              Qt::QueuedConnection);
}

}  // namespace tonvera
