// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/DeviceState.h"
#include "device/Protocol.h"
#include "model/KeyboardTransfer.h"
#include "model/Lighting.h"
#include "model/ProfileFolder.h"
#include "model/UserColourFile.h"
#include "tools/kestrowctl/CtlCommands.h"
#include "tools/kestrowctl/ExitCodes.h"
#include "tools/kestrowctl/JsonText.h"
#include "tools/kestrowctl/TerminalSink.h"

#include <cstdio>
#include <string>

namespace {

std::string ColourText(uint32_t colour) {
    char text[8];
    std::snprintf(text, sizeof text, "%02x%02x%02x", colour & 0xFF, (colour >> 8) & 0xFF,
                  (colour >> 16) & 0xFF);
    return text;
}

std::string RecordHex(const LightRecord& record) {
    std::string text;
    for (uint8_t byte : record) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02x", byte);
        text += digits;
    }
    return text;
}

void PrintLighting(const CtlOptions& options, int profile) {
    const LightingModel& lighting = Lighting();
    const LightingState& s = lighting.state;
    const std::string effectName = EffectName(s.effect);
    // The speed as the slider shows it: the record keeps it reversed.
    const int speed = SliderFromSpeedValue(s.speed);
    const char* direction = IsFirstDirection(s.direction) ? "first" : "second";
    const LightRecord& record = lighting.records[static_cast<size_t>(profile)];
    if (options.json) {
        std::printf("{\"profile\":%d,\"effect\":%d,\"effectName\":%s,\"brightness\":%d,"
                    "\"speed\":%d,\"direction\":\"%s\",\"multicolour\":%s,\"colour\":\"%s\","
                    "\"reportRate\":%d,\"fourColour\":%d,\"record\":\"%s\"}\n",
                    profile, s.effect, JsonString(effectName).c_str(), s.brightness, speed,
                    direction, s.multicolour ? "true" : "false", ColourText(s.colour[0]).c_str(),
                    s.reportRate, s.fourColour, RecordHex(record).c_str());
        return;
    }
    std::printf("Profile:      %d\n", profile);
    std::printf("Effect:       %d %s\n", s.effect, effectName.c_str());
    std::printf("Brightness:   %d\n", s.brightness);
    std::printf("Speed:        %d\n", speed);
    std::printf("Direction:    %s\n", direction);
    std::printf("Multicolour:  %s\n", s.multicolour ? "on" : "off");
    std::printf("Colour:       %s\n", ColourText(s.colour[0]).c_str());
    std::printf("Report rate:  %d\n", s.reportRate);
    std::printf("Four-colour:  %d\n", s.fourColour);
    std::printf("Record:       %s\n", RecordHex(record).c_str());
}

// Tells the user about a write the keyboard did not take; true when it took it.
bool Took(int result, const char* what, TerminalSink& sink) {
    if (result == kCmdOk) {
        return true;
    }
    sink.Note(std::string("the keyboard did not take ") + what + " (result " +
              std::to_string(result) + ")");
    return false;
}

// The window's reset of the user colour modes with the lighting defaults: the profile's user
// colour file from the template, then its selected mode loaded and uploaded. False when the
// file could not be reset (the mode the file holds is still uploaded, as the window does) or
// the upload failed.
bool ResetUserColours(int profile, TerminalSink& sink) {
    // The window creates the folder (with copies of the template) when it starts.
    EnsureProfileFolder();
    const bool reset = ResetUserColourFile(profile);
    if (!reset) {
        sink.Note("the user colour file " + UserColourFilePath(profile).string() +
                  " could not be reset from " + UserColourTemplatePath().string());
    }
    const bool uploaded = Took(LoadUserMode(true), "the user colours", sink);
    return reset && uploaded;
}

// One change as the lighting panel makes it: its bytes, in its order, in its own bracket;
// the stored state follows so that later changes compare against it. False when the keyboard
// did not take a write or a file could not be written.
bool ApplyChange(const LightChange& change, int profile, TerminalSink& sink) {
    LightingState& s = Lighting().state;
    using Field = LightChange::Field;
    switch (change.field) {
    case Field::Effect:
        s.effect = static_cast<uint8_t>(change.value);
        return Took(WriteEffect(s.effect), "the effect", sink);
    case Field::Brightness:
        // A slider moved to the level it already has sends nothing.
        if (s.brightness == change.value) {
            return true;
        }
        s.brightness = static_cast<uint8_t>(change.value);
        return Took(WriteLightByte(LightField::Brightness, s.brightness), "the brightness", sink);
    case Field::Speed: {
        const uint8_t stored = SpeedValueFromSlider(change.value);
        if (s.speed == stored) {
            return true;
        }
        s.speed = stored;
        return Took(WriteLightByte(LightField::Speed, stored), "the speed", sink);
    }
    case Field::Direction:
        s.direction = static_cast<uint8_t>(change.value);
        return Took(WriteLightByte(LightField::Direction, s.direction), "the direction", sink);
    case Field::Colour:
        s.multicolour = false;
        s.colour.fill(PackColour(change.rgb[0], change.rgb[1], change.rgb[2]));
        return Took(WriteColour(change.rgb[0], change.rgb[1], change.rgb[2]), "the colour", sink);
    case Field::Multicolour:
        s.multicolour = change.value != 0;
        return Took(WriteLightByte(LightField::Multicolour, s.multicolour ? 1 : 0),
                    "the multicolour switch", sink);
    case Field::ReportRate:
        s.reportRate = static_cast<uint8_t>(change.value);
        return Took(WriteLightByte(LightField::ReportRate, s.reportRate), "the report rate", sink);
    case Field::FourColour:
        s.fourColour = static_cast<uint8_t>(change.value);
        return Took(WriteLightByte(LightField::FourColour, s.fourColour), "the four-colour choice",
                    sink);
    case Field::Defaults: {
        // Effect 1 is selected first (with the multicolour flag as it stands), then the user
        // colour modes are reset when the keyboard offers them, then the default record goes
        // out and the state takes its values. All of it is sent whatever the keyboard answers.
        bool ok = Took(WriteEffect(1), "the effect", sink);
        if (Lighting().effects.UserColoursAvailable()) {
            ok = ResetUserColours(profile, sink) && ok;
        }
        ok = Took(WriteDefaultRecord(), "the default lighting record", sink) && ok;
        s.effect = kDefaultLightRecord[LightField::Effect];
        s.brightness = kDefaultLightRecord[LightField::Brightness];
        s.speed = kDefaultLightRecord[LightField::Speed];
        s.direction = kDefaultLightRecord[LightField::Direction];
        s.multicolour = kDefaultLightRecord[LightField::Multicolour] != 0;
        s.colour.fill(
            PackColour(kDefaultLightRecord[5], kDefaultLightRecord[6], kDefaultLightRecord[7]));
        s.reportRate = 0;
        return ok;
    }
    }
    return false;
}

} // namespace

int RunLight(const CtlOptions& options, TerminalSink& sink) {
    int profile = options.profile ? *options.profile : ActiveProfile();
    if (profile < 0) {
        sink.Note("the active profile cannot be read from the keyboard");
        return kExitFailed;
    }
    DeviceState().CurrentProfile.store(profile);
    if (ReloadLighting() != 0) {
        sink.Note("the lighting cannot be read from the keyboard");
        return kExitFailed;
    }
    if (options.lightChanges.empty()) {
        PrintLighting(options, profile);
        return kExitOk;
    }
    // The window offers only the keyboard's own effects; refuse others before anything is sent.
    for (const LightChange& change : options.lightChanges) {
        if (change.field == LightChange::Field::Effect &&
            Lighting().effects.PositionOf(static_cast<uint8_t>(change.value)) < 0) {
            sink.Note("effect " + std::to_string(change.value) +
                      " is not in the keyboard's effect list (see 'kestrowctl info')");
            return kExitFailed;
        }
    }
    return ApplyLightChanges(options.lightChanges, profile, sink);
}

int ApplyLightChanges(const std::vector<LightChange>& changes, int profile, TerminalSink& sink) {
    // A keyboard that refuses one change is not sent the ones after it.
    for (const LightChange& change : changes) {
        if (!ApplyChange(change, profile, sink)) {
            return kExitFailed;
        }
    }
    return kExitOk;
}
