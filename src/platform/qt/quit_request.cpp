#include "platform/qt/quit_request.h"

#include <QCoreApplication>

namespace tonvera {
namespace {

bool quitRequested = false;

}  // namespace

void requestQuit() {
    quitRequested = true;
    QCoreApplication::quit();
}

bool isQuitRequested() {
    return quitRequested;
}

}  // namespace tonvera
