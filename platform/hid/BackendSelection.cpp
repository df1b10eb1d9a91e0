// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/hid/BackendSelection.h"

#include "platform/HexDigits.h"

#include <mutex>
#include <string_view>

namespace {

constexpr std::string_view kSimulate = "--simulate";
constexpr std::string_view kModel = "--model";
constexpr uint32_t kBootModeReturnMs = 5000;

struct Installed {
    std::mutex mutex;
    std::shared_ptr<SimulatedKeyboard> keyboard;
};

Installed& InstalledSlot() {
    static Installed slot;
    return slot;
}

bool ParseHex4(std::string_view text, uint16_t& value) {
    if (text.size() != 4) {
        return false;
    }
    uint32_t v = 0;
    if (!ParseHexDigits(text, v)) {
        return false;
    }
    value = static_cast<uint16_t>(v);
    return true;
}

bool ParseModel(std::string_view text, SimKeyboardModel& model, std::string& error) {
    uint16_t vendor = 0;
    uint16_t product = 0;
    const SimKeyboardModel* found = nullptr;
    if (text.size() == 9 && text[4] == ':' && ParseHex4(text.substr(0, 4), vendor) &&
        ParseHex4(text.substr(5), product)) {
        found = FindKeyboardModel(vendor, product);
    }
    if (found == nullptr) {
        error = "--model takes 0c45:5004 or 320f:5000, not \"" + std::string(text) + "\"";
        return false;
    }
    model = *found;
    return true;
}

} // namespace

SimArgResult TakeSimulationArgument(const std::vector<std::string>& args, size_t& index,
                                    SimulationOptions& options, std::string& error) {
    if (index >= args.size()) {
        return SimArgResult::NotOurs;
    }
    const std::string_view arg = args[index];
    if (arg == kSimulate) {
        options.simulate = true;
        options.stateFile.clear();
        ++index;
        return SimArgResult::Consumed;
    }
    if (arg.substr(0, kSimulate.size() + 1) == "--simulate=") {
        const std::string_view file = arg.substr(kSimulate.size() + 1);
        if (file.empty()) {
            error = "--simulate= needs a state file name";
            return SimArgResult::Invalid;
        }
        options.simulate = true;
        options.stateFile = std::string(file);
        ++index;
        return SimArgResult::Consumed;
    }
    if (arg == kModel) {
        if (index + 1 >= args.size()) {
            error = "--model needs a value: 0c45:5004 or 320f:5000";
            return SimArgResult::Invalid;
        }
        SimKeyboardModel model;
        if (!ParseModel(args[index + 1], model, error)) {
            return SimArgResult::Invalid;
        }
        options.model = model;
        index += 2;
        return SimArgResult::Consumed;
    }
    if (arg.substr(0, kModel.size() + 1) == "--model=") {
        SimKeyboardModel model;
        if (!ParseModel(arg.substr(kModel.size() + 1), model, error)) {
            return SimArgResult::Invalid;
        }
        options.model = model;
        ++index;
        return SimArgResult::Consumed;
    }
    return SimArgResult::NotOurs;
}

bool ExtractSimulationOptions(std::vector<std::string>& args, SimulationOptions& options,
                              std::string& error) {
    SimulationOptions taken = options;
    std::vector<std::string> rest;
    size_t index = 0;
    while (index < args.size()) {
        switch (TakeSimulationArgument(args, index, taken, error)) {
        case SimArgResult::NotOurs:
            rest.push_back(args[index++]);
            break;
        case SimArgResult::Consumed:
            break;
        case SimArgResult::Invalid:
            return false;
        }
    }
    args = std::move(rest);
    options = std::move(taken);
    return true;
}

bool SelectHidBackend(const SimulationOptions& options, std::string& error) {
    if (!options.simulate) {
        if (options.model) {
            error = "--model is only used with --simulate";
            return false;
        }
        return true;
    }
    SimKeyboardModel model = options.model.value_or(kSimModel5004);
    const std::filesystem::path stateFile = options.stateFile;
    std::error_code ec;
    if (!options.stateFile.empty() && std::filesystem::exists(stateFile, ec)) {
        SimKeyboardMemory memory;
        const SimStateError loadError = LoadSimStateFile(stateFile, memory);
        if (loadError != SimStateError::None) {
            error = options.stateFile + ": " + SimStateErrorText(loadError);
            return false;
        }
        if (options.model && memory.model != *options.model) {
            error = options.stateFile + ": " + SimStateErrorText(SimStateError::WrongModel);
            return false;
        }
        model = memory.model;
    }
    auto keyboard = std::make_shared<SimulatedKeyboard>(model);
    keyboard->SetBootModeDuration(kBootModeReturnMs);
    if (!options.stateFile.empty()) {
        const SimStateError attachError = keyboard->AttachStateFile(stateFile);
        if (attachError != SimStateError::None) {
            error = options.stateFile + ": " + SimStateErrorText(attachError);
            return false;
        }
    }
    {
        Installed& slot = InstalledSlot();
        std::lock_guard lock(slot.mutex);
        slot.keyboard = keyboard;
    }
    SetCurrentHidBackend(keyboard);
    return true;
}

std::shared_ptr<SimulatedKeyboard> InstalledSimulatedKeyboard() {
    Installed& slot = InstalledSlot();
    std::lock_guard lock(slot.mutex);
    return slot.keyboard;
}
