#include "platform/qt/qt_application.h"

#include <QCoreApplication>
#include <QMetaObject>

#include "platform/qt/quit_request.h"

namespace tonvera {

void QtApplication::terminate() {
    QMetaObject::invokeMethod(QCoreApplication::instance(), &requestQuit, Qt::QueuedConnection);
}

}  // namespace tonvera
