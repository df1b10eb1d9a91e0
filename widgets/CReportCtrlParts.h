// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the parts of CReportCtrl share: the column alignment and the guard of its busy flag.

#include "widgets/CReportCtrl.h"

inline Qt::Alignment ReportColumnAlignment(int format) {
    switch (format & 0x3) {
    case CReportCtrl::LVCFMT_RIGHT:
        return Qt::AlignRight | Qt::AlignVCenter;
    case CReportCtrl::LVCFMT_CENTER:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

class CReportCtrl::BusyScope {
public:
    explicit BusyScope(int* flag) : flag_(flag) {
        if (flag_ != nullptr) {
            *flag_ = 1;
        }
    }
    ~BusyScope() {
        if (flag_ != nullptr) {
            *flag_ = 0;
        }
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    int* flag_;
};
