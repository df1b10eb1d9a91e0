// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A HidBackend in front of another that writes every report moved on a writable interface (the
// configuration interface is the only one opened for writing) to a stream, in order: "> " and
// the bytes of a report sent, "< " and the bytes of a report received, as lower-case hex.

#include "platform/hid/HidBackend.h"

#include <cstdio>
#include <memory>
#include <mutex>
#include <string>

class TraceHidBackend : public HidBackend {
public:
    TraceHidBackend(std::shared_ptr<HidBackend> inner, std::FILE* out);

    bool ListInterfaces(std::vector<std::string>& paths) override;
    std::unique_ptr<HidInterface> Open(const std::string& path, const HidOpenFlags& flags,
                                       HidOpenError& error) override;
    bool PathExists(const std::string& path) override;

    // One trace line (without the newline).
    static std::string FormatLine(char direction, const uint8_t* bytes, size_t length);

    struct Sink {
        std::FILE* out;
        std::mutex lock;
        void Write(char direction, const uint8_t* bytes, size_t length);
    };

private:
    std::shared_ptr<HidBackend> inner_;
    std::shared_ptr<Sink> sink_;
};
