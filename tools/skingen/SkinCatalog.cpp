// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/skingen/SkinCatalog.h"

#include "model/KeyMapOrder.h"

#include <cstdio>

namespace skingen {
namespace {

std::vector<std::string> Numbered(const std::string& prefix, int first, int last,
                                  const std::string& suffix = {}) {
    std::vector<std::string> names;
    for (int i = first; i <= last; ++i) {
        names.push_back(prefix + std::to_string(i) + suffix);
    }
    return names;
}

void Append(std::vector<std::string>& to, const std::vector<std::string>& more) {
    to.insert(to.end(), more.begin(), more.end());
}

std::vector<std::string> MainButtonKeys() {
    std::vector<std::string> keys = {
        // image buttons
        "CONTROL_OK", "CONTROL_CANCEL", "CONTROL2_APPLY", "CONTROL_CLOSE", "CONTROL_MINIMIZE",
        "CONTROL_MENU", "CONTROL_HELP", "FUNC_PROFILES", "FUNC_PROFILE1", "FUNC_PROFILE2",
        "FUNC_PROFILE3", "FUNC_DEFAULT", "FUNC_MACRO", "FUNC_SWITCH", "FUNC_REPORT1",
        "FUNC_REPORT2", "FUNC_REPORT3", "FUNC_REPORT4", "FLIP_0", "FLIP_1", "FLIP_2", "KEY_FN",
        "LOCK_AB", "LOCK_CAPS", "LOCK_NUM", "LOCK_SCROLL", "VELMAR_LINK", "VELMAR_VER",
        "LEFT_ARROW", "RIGHT_ARROW",
        // plain controls of the lighting panel and the user colour modes
        "CONTROL_UsbStatic", "CONTROL_RGBStatic", "CONTROL_DengStatic", "CONTROL_DengStaPic",
        "CONTROL_XGcombox", "CONTROL_JDTStatic", "CONTROL_LightStatic", "CONTROL_LightSlider",
        "CONTROL_SpeedStatic", "CONTROL_SpeedSlider", "CONTROL_BLFXStatic", "CONTROL_BLFXLStaPic",
        "CONTROL_BLFXRStaPic", "CONTROL_FYYSStatic", "CONTROL_FYYSButton", "CONTROL_FYSJSStaPic",
        "CONTROL_FYSJSStatic", "CONTROL_FYCFStatic", "CONTROL_FYdjcfStatic", "CONTROL_FYggcfStatc",
        "CONTROL_FYdjcfStaPic", "CONTROL_FYggcfStaPic", "CONTROL_HONGPIC", "CONTROL_HUANGPIC",
        "CONTROL_LVPIC", "CONTROL_LANPIC", "CONTROL_HXysStatic", "CONTROL_HXysButton",
        "CONTROL_HXsjsStatic", "CONTROL_HXsjsStaPic", "CONTROL_JTysStatic", "CONTROL_JTysButton",
        "CONTROL_USERysStatic", "CONTROL_USERysButton", "CONTROL_USERjsStatic",
        "CONTROL_USERjsButton", "CONTROL_USERgjStatic", "CONTROL_USERgjStaPic1",
        "CONTROL_USERgjStaPic2", "CONTROL_CDysStatic", "CONTROL_CDysButton", "CONTROL_CDsjsStatic",
        "CONTROL_CDsjsStaPic", "CONTROL_TSysStatic", "CONTROL_TSysButton", "CONTROL_TSsjsStatic",
        "CONTROL_TSsjsStaPic", "CONTROL_umCombo", "CONTROL_Network", "CONTROL_Facebook",
        "CONTROL_twitter", "COLOR_R", "COLOR_G", "COLOR_B",
        // the direction controls' other two position sets; the lighting panel moves all three
        // controls of a set, so the third set needs its right picture as well
        "CONTROL_BLFXStatic2", "CONTROL_BLFXStatic3", "CONTROL_BLFXLStaPic2",
        "CONTROL_BLFXLStaPic3", "CONTROL_BLFXRStaPic2", "CONTROL_BLFXRStaPic3",
        // buttons of the key picture that have no key code: D1-D6 and the upper part of Enter
        "KEY_D1", "KEY_D2", "KEY_D3", "KEY_D4", "KEY_D5", "KEY_D6", "KEY_ENTER2"};
    Append(keys, Numbered("CONTROL_Color", 1, 8));
    Append(keys, Numbered("FUNC_G", 1, 9));
    for (int code : KeyMapCodes()) {
        keys.push_back(KeySkinName(code));
    }
    return keys;
}

std::vector<std::string> CompositeButtonKeys() {
    return {"CONTROL_OK", "CONTROL_CANCEL", "CONTROL_TITLE", "CONTROL_MASK", "CONTROL_KEY",
            "CONTROL_MEDIA", "CONTROL_FUNCTION", "CONTROL_MACRO", "CONTROL_OSK", "CONTROL_CLEAR",
            "FUNC_MACRO_ADD", "FUNC_MACRO_CLEAR", "FUNC_MACRO_DELETE", "FUNC_MACRO_DELETE2",
            "FUNC_MACRO_DOWN", "FUNC_MACRO_DOWN_BOTTOM", "FUNC_MACRO_RECORD", "FUNC_MACRO_UP",
            "FUNC_MACRO_UP_TOP", "FUNCTION_KEY_SETTING_TISHI", "FUNC_FUNCTION_SELECT",
            "FUNC_KEY_INPUT", "FUNC_KEY_RADIO_KB", "FUNC_KEY_RADIO_KB_STATIC", "FUNC_KEY_RADIO_MOU",
            "FUNC_KEY_RADIO_MOU_STATIC", "FUNC_MACRO_CYCLES", "FUNC_MACRO_CYCLES_PROMPT",
            "FUNC_MACRO_LIST", "FUNC_MACRO_LIST2", "FUNC_MACRO_RECORD_DELAY",
            "FUNC_MACRO_RECORD_DELAY2", "FUNC_MEDIA_SELECT", "KEY_SETTING", "MARCO_NAME_SETTING",
            "MEDIA_SETTING_TISHI", "TISHI_SINGLE_STATIC",
            // the Apply button and the mouse list have no key of their own elsewhere
            "CONTROL2_APPLY", "FUNC_MOUSE_SELECT"};
}

std::vector<CatalogPicture> Pictures() {
    std::vector<CatalogPicture> pictures;
    auto window = [&](const std::string& file, const std::string& layout) {
        pictures.push_back({file, layout, PictureSize::Window, {}});
    };
    auto control = [&](const std::string& file, const std::string& key) {
        pictures.push_back({file, "Main.ini", PictureSize::Control, key});
    };

    for (const char* state : {"normal", "over", "down", "disable", "color0", "color1"}) {
        window(std::string("main_") + state + ".jpg", "Main.ini");
    }
    pictures.push_back({"Arrow.jpg", "Main.ini", PictureSize::Sprites, "LEFT_ARROW"});

    for (const char* name : {"dengup", "dengdown"}) {
        control(std::string(name) + ".bmp", "CONTROL_DengStaPic");
    }
    // First and second choice of the three direction pairs; each picture shows in its own
    // control in every position set.
    for (const char* name : {"leftup", "leftdown", "upup", "updown", "kuosan", "kuosandown"}) {
        control(std::string(name) + ".bmp", "CONTROL_BLFXLStaPic");
    }
    for (const char* name :
         {"rightup", "rightdown", "downup", "downdown", "julong", "julongdown"}) {
        control(std::string(name) + ".bmp", "CONTROL_BLFXRStaPic");
    }
    const char* fourColours[][2] = {
        {"hong", "CONTROL_HONGPIC"},
        {"huang", "CONTROL_HUANGPIC"},
        {"lv", "CONTROL_LVPIC"},
        {"lan", "CONTROL_LANPIC"},
    };
    for (const auto& [name, key] : fourColours) {
        control(std::string(name) + ".bmp", key);
        control(std::string(name) + "ok.bmp", key);
    }
    for (const char* name : {"sjsup", "sjsdown"}) {
        control(std::string(name) + ".bmp", "CONTROL_HXsjsStaPic");
        control(std::string(name) + ".bmp", "CONTROL_FYSJSStaPic");
    }
    for (const char* name : {"user1up", "user1down"}) {
        control(std::string(name) + ".bmp", "CONTROL_USERgjStaPic1");
    }
    for (const char* name : {"user2up", "user2down"}) {
        control(std::string(name) + ".bmp", "CONTROL_USERgjStaPic2");
    }
    for (const auto& name : Numbered("jdt", 1, 10, ".bmp")) {
        control(name, "CONTROL_JDTStatic");
    }
    for (const auto& name : Numbered("", 0, 5, ".bmp")) {
        control(name, "CONTROL_LightSlider");
    }
    for (const auto& name : Numbered("", 6, 11, ".bmp")) {
        control(name, "CONTROL_SpeedSlider");
    }
    // Loaded with the others but shown by no control: spare slider positions.
    for (const auto& name : Numbered("", 12, 25, ".bmp")) {
        control(name, "CONTROL_LightSlider");
    }
    for (int i = 1; i <= 8; ++i) {
        control("Color" + std::to_string(i) + ".bmp", "CONTROL_Color" + std::to_string(i));
    }

    for (const char* set : {"key", "macro", "macro2", "media", "function"}) {
        for (const char* state : {"normal", "over", "down"}) {
            window(std::string(set) + "_" + state + ".jpg", "Composite.ini");
        }
    }
    window("macro_disable.jpg", "Composite.ini");
    window("macro2_disable.jpg", "Composite.ini");

    for (const char* state : {"normal", "over", "down"}) {
        window(std::string("Profile_") + state + ".jpg", "Profile.ini");
    }
    for (const char* state : {"normal", "over"}) {
        window(std::string("update_") + state + ".jpg", "UpdateDlg.ini");
    }
    return pictures;
}

} // namespace

const std::vector<int>& KeyMapCodes() {
    static const std::vector<int> codes(kKeyMapOrder.begin(), kKeyMapOrder.end());
    return codes;
}

int KeyPositionIndex(int code) {
    if (code < 0x100) {
        return code;
    }
    if (code < 0x200) {
        return (code - 0x80) & 0xFF;
    }
    return code - 0x100;
}

std::string KeySkinName(int code) {
    char name[16];
    std::snprintf(name, sizeof name, "KEY_%03X", static_cast<unsigned>(KeyPositionIndex(code)));
    return name;
}

const std::vector<CatalogSection>& CatalogSections() {
    static const std::vector<CatalogSection> sections = {
        {"Main.ini",
         "SCREEN",
         {"Main", "Mask", "Link", "NetworkLink", "FacebookLink", "TwitterLink"}},
        {"Main.ini", "BUTTONINFO", MainButtonKeys()},
        {"Main.ini",
         "BUTTONINFO2",
         {"LEFT_ARROW", "RIGHT_ARROW", "UP_ARROW_LEFT1", "UP_ARROW_RIGHT1", "DOWN_ARROW_LEFT1",
          "DOWN_ARROW_RIGHT1"}},
        {"Composite.ini", "SCREEN", {"Main", "Mask"}},
        {"Composite.ini", "BUTTONINFO", CompositeButtonKeys()},
        {"Profile.ini", "SCREEN", {"Main", "Mask"}},
        {"Profile.ini",
         "BUTTONINFO",
         {"CONTROL_OK", "CONTROL_CANCEL", "CONTROL2_APPLY", "FUNC_ADD", "FUNC_DELETE", "FUNC_LOAD",
          "PROGRAM_LIST"}},
        {"UpdateDlg.ini", "SCREEN", {"Main", "Mask"}},
        {"UpdateDlg.ini",
         "BUTTONINFO",
         {"CONTROL_OPENButton", "CONTROL_BACKUPButton", "CONTROL_UPButton", "CONTROL_CUPButton",
          "CONTROL_UPStatic", "CONTROL_UPCombox"}},
    };
    return sections;
}

const std::vector<CatalogPicture>& CatalogPictures() {
    static const std::vector<CatalogPicture> pictures = Pictures();
    return pictures;
}

} // namespace skingen
