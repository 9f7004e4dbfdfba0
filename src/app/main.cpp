#include "app/tonvera_app.h"

int main(int argc, char** argv) {
    return tonvera::TonveraApp::run(argc, argv);
}
