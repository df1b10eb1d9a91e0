// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/KeyMapTables.h"

#include "model/KeyCodeTables.h"
#include "model/KeyMapOrder.h"

#include <cstdio>

namespace {

// The control id of each key button, in key map order.
constexpr std::array<int, kKeyButtonCount> kKeyButtonIds = {
    1058, 1075, 1073, 1060, 1046, 1061, 1062, 1063, 1051, 1064, 1065, 1066, 1077, 1076, 1052, 1053,
    1044, 1047, 1059, 1048, 1050, 1074, 1045, 1072, 1049, 1071, 1030, 1031, 1032, 1033, 1034, 1035,
    1036, 1037, 1038, 1039, 1070, 1022, 1043, 1056, 1090, 1040, 1041, 1054, 1055, 1042, 1067, 1068,
    1029, 1078, 1079, 1080, 1010, 1011, 1012, 1013, 1014, 1015, 1023, 1024, 1025, 1026, 1027, 1028,
    1091, 1093, 1094, 1097, 1095, 1098, 1096, 1099, 1103, 1101, 1100, 1102, 1092, 1069, 1088, 1083,
    1089, 1082, 1081, 1085, 1086, 1084, 1087, 1115, 1116, 1117, 1112, 1113, 1114, 1108, 1109, 1110,
    1120, 1104, 1118, 1119, 1105, 1106, 1107, 1111, 1199, 1200,
};

constexpr std::array<KeyButtonEntry, kKeyButtonCount> BuildKeyButtonTable() {
    std::array<KeyButtonEntry, kKeyButtonCount> table{};
    for (size_t i = 0; i < table.size(); ++i) {
        table[i] = {kKeyButtonIds[i], kKeyMapOrder[i]};
    }
    return table;
}

} // namespace

const std::array<KeyButtonEntry, kKeyButtonCount> KeyButtonTable = BuildKeyButtonTable();

const std::array<int, kGKeyButtonCount> GKeyTable = {1000, 1001, 1002, 1003, 1004,
                                                     1140, 1141, 1142, 1143};

int KeyButtonIndexOf(int id) {
    for (size_t i = 0; i < KeyButtonTable.size(); ++i) {
        if (KeyButtonTable[i].id == id) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int GKeyIndexOf(int id) {
    for (size_t i = 0; i < GKeyTable.size(); ++i) {
        if (GKeyTable[i] == id) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int GKeySlot(int gKeyIndex, uint16_t variantWord) {
    return gKeyIndex + ((variantWord & 0x100) != 0 ? kGKeyButtonCount : 0);
}

int KeyRecordIndex(uint16_t keyCode) {
    return KeyCodeToIndex(keyCode);
}

std::array<char, 8> KeySkinKey(uint16_t keyCode) {
    std::array<char, 8> key{};
    std::snprintf(key.data(), key.size(), "KEY_%03X",
                  static_cast<unsigned>(KeyRecordIndex(keyCode)) & 0xFFFu);
    return key;
}
