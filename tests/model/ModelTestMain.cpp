// SPDX-License-Identifier: GPL-3.0-or-later
#include "ModelTestSupport.h"

#include <gtest/gtest.h>

// Every model test program runs in private user and program folders.
static ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new ModelEnvironment);
