// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/CHidDevice.h"
#include "device/DeviceState.h"
#include "device/Presence.h"
#include "device/Protocol.h"
#include "model/KeyboardTransfer.h"
#include "model/Lighting.h"
#include "model/ProfileFile.h"
#include "model/ProfileStore.h"
#include "tools/kestrowctl/CtlCommands.h"
#include "tools/kestrowctl/ExitCodes.h"
#include "tools/kestrowctl/JsonText.h"
#include "tools/kestrowctl/TerminalSink.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string Hex(const uint8_t* bytes, size_t length) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; i < length; ++i) {
        text.push_back(kDigits[bytes[i] >> 4]);
        text.push_back(kDigits[bytes[i] & 0x0F]);
    }
    return text;
}

std::string Ids(uint16_t vendor, uint16_t product) {
    char text[16];
    std::snprintf(text, sizeof text, "%04x:%04x", vendor, product);
    return text;
}

struct FoundKeyboard {
    std::string path;
    const KeyboardModel* model;
};

} // namespace

int RunList(const CtlOptions& options, TerminalSink& sink) {
    CHidDevice device;
    if (!device.EnumerateInterfaces()) {
        sink.Note("the HID interfaces cannot be listed");
        return kExitFailed;
    }
    std::vector<FoundKeyboard> found;
    while (const std::string* path = device.NextPath()) {
        if (!IsCandidatePath(*path)) {
            continue;
        }
        // Only to read its attributes and usages: read access, shared.
        CHidDevice candidate;
        if (!candidate.Open(*path, {.read = true, .overlapped = true})) {
            continue;
        }
        if (IsConfigurationInterface(candidate)) {
            const HiddAttributes& attributes = candidate.Attributes();
            found.push_back({*path, FindKeyboardModel(attributes.VendorID, attributes.ProductID)});
        }
        candidate.Close();
    }
    device.FreePathList();

    if (options.json) {
        std::string out = "[";
        for (size_t i = 0; i < found.size(); ++i) {
            const KeyboardModel& m = *found[i].model;
            out += (i == 0 ? "" : ",") + std::string("{\"path\":") + JsonString(found[i].path) +
                   ",\"id\":\"" + Ids(m.vendorId, m.productId) +
                   "\",\"keySlots\":" + std::to_string(m.keySlotCount) + "}";
        }
        std::printf("%s]\n", out.c_str());
    } else {
        for (const FoundKeyboard& k : found) {
            std::printf("%s  %s  %u key slots\n", k.path.c_str(),
                        Ids(k.model->vendorId, k.model->productId).c_str(), k.model->keySlotCount);
        }
    }
    if (found.empty()) {
        sink.ShowText("MAIN_NO_DEVICE_PROMPT", std::nullopt);
        return kExitNoKeyboard;
    }
    return kExitOk;
}

int RunBoot(const CtlOptions& options, TerminalSink& sink) {
    (void)options;
    if (!sink.AskPlain("Send the boot request? The keyboard leaves normal operation until its "
                       "update program has run.")) {
        sink.Note("nothing was sent");
        return kExitFailed;
    }
    if (CmdEnterBootMode() != kCmdOk) {
        sink.Note("the boot request could not be sent");
        return kExitFailed;
    }
    return kExitOk;
}

int RunInfo(const CtlOptions& options, TerminalSink& sink) {
    uint8_t info[kInfoBlockLength] = {};
    if (const int result = CmdReadInfoBlock(info); result != kCmdOk) {
        sink.Note("the info block could not be read (result " + std::to_string(result) + ")");
        return kExitFailed;
    }
    const CHidDevice& device = ConfigDevice();
    const HiddAttributes& attributes = device.Attributes();
    const DeviceStateRecord& state = DeviceState();
    std::vector<int> effects;
    for (const auto& [position, code] : BuildEffectTable(info).entries) {
        effects.push_back(code);
    }
    const std::string ids = Ids(attributes.VendorID, attributes.ProductID);
    if (options.json) {
        std::string list;
        for (size_t i = 0; i < effects.size(); ++i) {
            list += (i == 0 ? "" : ",") + std::string("{\"code\":") + std::to_string(effects[i]) +
                    ",\"name\":" + JsonString(EffectName(static_cast<uint8_t>(effects[i]))) + "}";
        }
        std::printf("{\"path\":%s,\"id\":\"%s\",\"keySlots\":%u,\"keyTableLength\":%u,"
                    "\"activeProfile\":%d,\"macroCapacity\":%u,\"effects\":[%s],"
                    "\"infoBlock\":\"%s\"}\n",
                    JsonString(device.DevicePath()).c_str(), ids.c_str(), state.KeySlotCount.load(),
                    state.KeyTableLength.load(), info[10], state.MacroCapacity.load(), list.c_str(),
                    Hex(info, sizeof info).c_str());
        return kExitOk;
    }
    std::printf("Keyboard:        %s (%s)\n", ids.c_str(), device.DevicePath().c_str());
    std::printf("Model:           %u key slots, %u-byte key tables\n", state.KeySlotCount.load(),
                state.KeyTableLength.load());
    std::printf("Active profile:  %d\n", info[10]);
    std::printf("Macro capacity:  %u bytes\n", state.MacroCapacity.load());
    std::printf("Effects:        ");
    if (effects.empty()) {
        std::printf(" none");
    }
    std::printf("\n");
    for (int code : effects) {
        std::printf("  %3d  %s\n", code, EffectName(static_cast<uint8_t>(code)).c_str());
    }
    std::printf("Info block:      %s\n", Hex(info, sizeof info).c_str());
    return kExitOk;
}

int RunProfile(const CtlOptions& options, TerminalSink& sink) {
    if (options.profileNumber) {
        // As the window's profile buttons: the profile already active is not sent again.
        if (ActiveProfile() == *options.profileNumber) {
            return kExitOk;
        }
        if (!SetDeviceProfile(*options.profileNumber)) {
            sink.Note("the keyboard did not take profile " +
                      std::to_string(*options.profileNumber));
            return kExitFailed;
        }
        return kExitOk;
    }
    const int profile = ActiveProfile();
    if (profile < 0) {
        sink.Note("the active profile cannot be read from the keyboard");
        return kExitFailed;
    }
    if (options.json) {
        std::printf("{\"activeProfile\":%d}\n", profile);
    } else {
        std::printf("%d\n", profile);
    }
    return kExitOk;
}

int RunBackup(const CtlOptions& options, TerminalSink& sink) {
    if (!ReadKeyboardToFile(options.file)) {
        sink.Note("the keyboard's configuration could not be read into " + options.file);
        return kExitFailed;
    }
    return kExitOk;
}

int RunRestore(const CtlOptions& options, TerminalSink& sink) {
    int result = 0;
    if (!CheckFileForUser(options.file, sink, result)) {
        sink.ShowText("MAIN_PROMPT_INPORT", std::nullopt);
        return kExitFailed;
    }
    // As the window's import: the file becomes the working store and goes to the keyboard, all
    // three profiles, and then over the active profile's working file (when there is one).
    ProfileStore& working = WorkingStore();
    std::lock_guard lock(working.lock);
    ClearWorkingStore();
    if (!LoadProfileFile(options.file)) {
        sink.ShowText("MAIN_PROMPT_INPORT", std::nullopt);
        return kExitFailed;
    }
    // Unlike the window, the result counts: a script must know whether the keyboard has it.
    // A missing working file is no failure: the window makes it when it reads the keyboard.
    if (!WriteStoreAndWorkingFile(ProfilesToWrite::All, &sink).written) {
        sink.Note("the keyboard did not take the whole configuration of " + options.file);
        return kExitFailed;
    }
    return kExitOk;
}
