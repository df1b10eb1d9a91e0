// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Simulated keyboards behind one backend, in enumeration order, optionally with upper-case
// vendor and product markers in their paths.

#include "RecordingLink.h"
#include "platform/hid/sim/SimulatedKeyboard.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <string>
#include <vector>

class MultiKeyboardBackend : public HidBackend {
public:
    explicit MultiKeyboardBackend(std::vector<std::shared_ptr<SimulatedKeyboard>> keyboards,
                                  bool upperCaseMarkers = false)
        : keyboards_(std::move(keyboards)), upper_(upperCaseMarkers) {}

    bool ListInterfaces(std::vector<std::string>& paths) override {
        paths.clear();
        for (const auto& keyboard : keyboards_) {
            std::vector<std::string> own;
            keyboard->ListInterfaces(own);
            for (const std::string& path : own) {
                paths.push_back(Outside(path));
            }
        }
        return true;
    }

    std::unique_ptr<HidInterface> Open(const std::string& path, const HidOpenFlags& flags,
                                       HidOpenError& error) override {
        error = HidOpenError::NotFound;
        for (const auto& keyboard : keyboards_) {
            if (auto handle = keyboard->Open(Inside(path), flags, error)) {
                return handle;
            }
        }
        return nullptr;
    }

    bool PathExists(const std::string& path) override {
        return std::any_of(keyboards_.begin(), keyboards_.end(), [&](const auto& keyboard) {
            return keyboard->PathExists(Inside(path));
        });
    }

private:
    // "?vid_0c45&pid_5004" becomes "?VID_0C45&PID_5004".
    std::string Outside(const std::string& path) const {
        if (!upper_) {
            return path;
        }
        std::string shown = path;
        const size_t query = shown.find('?');
        std::transform(shown.begin() + static_cast<long>(query), shown.end(),
                       shown.begin() + static_cast<long>(query),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        return shown;
    }
    std::string Inside(const std::string& path) const {
        if (!upper_) {
            return path;
        }
        std::string real = path;
        const size_t query = real.find('?');
        if (query != std::string::npos) {
            std::transform(real.begin() + static_cast<long>(query), real.end(),
                           real.begin() + static_cast<long>(query),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        }
        return real;
    }

    std::vector<std::shared_ptr<SimulatedKeyboard>> keyboards_;
    bool upper_;
};
