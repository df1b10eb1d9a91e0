// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The rules that keep key records and macros consistent when the key-setting dialog deletes
// macros and replaces the working store's list.

#include "model/MacroRecord.h"

#include <vector>

class KeyButtonSink;
class MessageSink;

// Whether macro may be deleted. A macro not yet applied always may. One that keys of any
// profile use sets MacroDeletedFlag and asks "MACRO_DELETE_CONFIRM_OF_KEYS"; only Yes deletes.
bool MacroMayBeDeleted(const MacroRecord& macro, MessageSink& messages);

// At the dialog's Apply: every macro record of the working store whose macro is gone from
// the dialog's list (or not yet applied there) becomes default; one without a macro id gets
// the list's first macro. Buttons of the active profile whose record changed are redescribed
// and the configuration is marked changed. Then the list, with every macro applied, replaces
// the working store's (the first 100 of it). buttons may be null.
void ApplyDialogMacros(std::vector<MacroRecord> dialogList, KeyButtonSink* buttons);
