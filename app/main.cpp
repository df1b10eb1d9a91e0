// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CKestrowApp.h"

int main(int argc, char** argv) {
    CKestrowApp app;
    return app.Run(argc, argv);
}
