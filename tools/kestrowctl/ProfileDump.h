// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A readable listing of a profile file's contents: every assignment that is not the default,
// per on-board profile, and every macro with its steps.

#include "model/ProfileStore.h"

#include <string>

// What a record does, as one line ("key Left Ctrl", "macro 3 'Copy' x2", ...).
std::string DescribeRecordForListing(const ProfileStore& store, int profile, int index);
// The name of the key or G-key a record belongs to.
std::string RecordKeyName(int index);

std::string ProfileListingText(const ProfileStore& store);
std::string ProfileListingJson(const ProfileStore& store);
